#pragma once

#include "platform/contacts/AddressBook.h"
#include "platform/storage/DirectoryWatch.h"

#include <filesystem>
#include <string>
#include <vector>

namespace pelmora {

// The address book of vCard files: one file, or a folder whose .vcf files are
// read in name order. A missing source is an empty address book. Every call
// of Current() sees the files as they are at that moment, and reads them
// again only when one was added, removed or changed. A directory watch makes
// that check one system call however many files the folder holds; where no
// watch can be armed (symbolic links to the files, network file systems) each
// file's identity, size and times are compared instead.
class VCardAddressBook final : public AddressBook {
public:
    explicit VCardAddressBook(std::filesystem::path source);

    // PELMORA_CONTACTS when set, else "contacts.vcf" in the data directory.
    static std::filesystem::path DefaultSource(const std::filesystem::path& dataDir);

    std::shared_ptr<const ContactFolder> Current() override;
    int Reads() const { return reads_; }
    const std::filesystem::path& Source() const { return source_; }

private:
    struct FileStamp {
        std::filesystem::path path;
        uint64_t device = 0, inode = 0, size = 0;
        int64_t modified = 0, changed = 0; // nanoseconds
        bool operator==(const FileStamp&) const = default;
    };
    struct Stamp {
        std::vector<FileStamp> files;
        FileStamp source; // the source path itself, followed through links
        bool linked = false; // the source or one of its files is a symbolic link
        bool operator==(const Stamp& other) const
        {
            return files == other.files && source == other.source;
        }
    };
    Stamp TakeStamp() const;
    FileStamp StampOf(const std::filesystem::path& path) const;
    void ArmWatch();
    void Read(const Stamp& stamp);

    std::filesystem::path source_;
    Stamp stamp_;
    DirectoryWatch watch_;
    std::shared_ptr<const ContactFolder> folder_;
    int reads_ = 0;
};

// Gives each card a contact identifier derived from its UID: 32-bit, non-zero,
// the same at every read. Two UIDs that hash alike are told apart by taking
// the next free number, in UID order, so the result does not depend on the
// order of the cards.
std::vector<uint32_t> AssignContactIds(const std::vector<std::string>& uids);
uint32_t ContactIdOfUid(std::string_view uid);

} // namespace pelmora
