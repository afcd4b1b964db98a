#include "platform/contacts/VCardAddressBook.h"

#include "platform/contacts/VCardParser.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numeric>
#include <unordered_set>

namespace pelmora {

VCardAddressBook::VCardAddressBook(std::filesystem::path source)
    : source_(std::move(source))
{
}

std::filesystem::path VCardAddressBook::DefaultSource(const std::filesystem::path& dataDir)
{
    if (const char* chosen = std::getenv("PELMORA_CONTACTS"); chosen && *chosen)
        return chosen;
    return dataDir / "contacts.vcf";
}

std::vector<VCardAddressBook::FileStamp> VCardAddressBook::Stamp() const
{
    std::vector<FileStamp> stamp;
    std::error_code error;
    auto add = [&](const std::filesystem::path& path) {
        std::error_code e;
        const auto time = std::filesystem::last_write_time(path, e);
        const auto size = std::filesystem::file_size(path, e);
        if (!e)
            stamp.push_back({path, time, size});
    };
    if (std::filesystem::is_directory(source_, error)) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(source_, error)) {
            const std::string ext = entry.path().extension().string();
            std::string lower(ext);
            std::transform(lower.begin(), lower.end(), lower.begin(),
                [](unsigned char c) { return std::tolower(c); });
            if (lower == ".vcf" && entry.is_regular_file(error))
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
            return a.filename().string() < b.filename().string();
        });
        for (const auto& file : files)
            add(file);
    } else if (std::filesystem::is_regular_file(source_, error)) {
        add(source_);
    }
    return stamp;
}

std::shared_ptr<const ContactFolder> VCardAddressBook::Current()
{
    std::vector<FileStamp> stamp = Stamp();
    if (folder_ && stamp == stamp_)
        return folder_;
    ++reads_;
    std::vector<std::string> uids;
    std::vector<ContactCard> cards;
    for (const FileStamp& file : stamp) {
        std::ifstream in(file.path, std::ios::binary);
        const std::string text {
            std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        for (ParsedCard& parsed : ParseVCards(text, file.path.string())) {
            uids.push_back(std::move(parsed.uid));
            cards.push_back(std::move(parsed.card));
        }
    }
    AssignContactIds(uids, cards);
    stamp_ = std::move(stamp);
    folder_ = std::make_shared<const ContactFolder>(std::move(cards));
    return folder_;
}

uint32_t ContactIdOfUid(std::string_view uid)
{
    // FNV-1a, 32-bit.
    uint32_t hash = 2166136261u;
    for (unsigned char c : uid) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash == 0 ? 1 : hash;
}

void AssignContactIds(std::vector<std::string>& uids, std::vector<ContactCard>& cards)
{
    std::vector<size_t> order(cards.size());
    std::iota(order.begin(), order.end(), size_t {0});
    std::stable_sort(
        order.begin(), order.end(), [&](size_t a, size_t b) { return uids[a] < uids[b]; });
    std::unordered_set<uint32_t> taken;
    taken.reserve(cards.size() * 2);
    for (size_t index : order) {
        uint32_t id = ContactIdOfUid(uids[index]);
        while (!taken.insert(id).second)
            id = id == 0xFFFFFFFFu ? 1 : id + 1;
        cards[index].oid = id;
    }
}

} // namespace pelmora
