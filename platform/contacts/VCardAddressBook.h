#pragma once

#include "platform/contacts/AddressBook.h"

#include <filesystem>
#include <string>
#include <vector>

namespace pelmora {

// The address book of vCard files: one file, or a folder whose .vcf files are
// read in name order. A missing source is an empty address book. The source
// is read again only when a file was added, removed or changed (by time or
// size), so a logon on an unchanged address book costs a few file checks.
class VCardAddressBook final : public AddressBook {
public:
    explicit VCardAddressBook(std::filesystem::path source);

    // PELMORA_CONTACTS when set, else "contacts.vcf" in the data directory.
    static std::filesystem::path DefaultSource(const std::filesystem::path& dataDir);

    std::shared_ptr<const ContactFolder> Current() override;
    int Reads() const { return reads_; }

private:
    struct FileStamp {
        std::filesystem::path path;
        std::filesystem::file_time_type time;
        uintmax_t size;
        bool operator==(const FileStamp&) const = default;
    };
    std::vector<FileStamp> Stamp() const;

    std::filesystem::path source_;
    std::vector<FileStamp> stamp_;
    std::shared_ptr<const ContactFolder> folder_;
    int reads_ = 0;
};

// Gives each card a contact identifier derived from its UID: 32-bit, non-zero,
// the same at every read. Two UIDs that hash alike are told apart by taking
// the next free number, in UID order, so the result does not depend on the
// order of the cards.
void AssignContactIds(std::vector<std::string>& uids, std::vector<ContactCard>& cards);
uint32_t ContactIdOfUid(std::string_view uid);

} // namespace pelmora
