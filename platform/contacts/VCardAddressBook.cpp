#include "platform/contacts/VCardAddressBook.h"

#include "platform/contacts/VCardParser.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numeric>
#include <sys/stat.h>
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

namespace {

bool IsVCardName(std::string_view name)
{
    if (name.size() < 4)
        return false;
    std::string ext(name.substr(name.size() - 4));
    std::transform(
        ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".vcf";
}

int64_t Nanoseconds(const timespec& time)
{
    return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

} // namespace

VCardAddressBook::FileStamp VCardAddressBook::StampOf(const std::filesystem::path& path) const
{
    FileStamp stamp {path};
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    // A folder is known by its identity alone: entries that are not cards
    // come and go without changing the address book.
    if (!S_ISDIR(info.st_mode)) {
        stamp.size = static_cast<uint64_t>(info.st_size);
        stamp.modified = Nanoseconds(info.st_mtim);
        stamp.changed = Nanoseconds(info.st_ctim);
    }
    return stamp;
}

VCardAddressBook::Stamp VCardAddressBook::TakeStamp() const
{
    Stamp stamp;
    stamp.source = StampOf(source_);
    struct stat link { };
    stamp.linked = ::lstat(source_.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    std::error_code error;
    if (std::filesystem::is_directory(source_, error)) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(source_, error)) {
            if (!IsVCardName(entry.path().filename().string()) || !entry.is_regular_file(error))
                continue;
            files.push_back(entry.path());
            if (entry.is_symlink(error))
                stamp.linked = true;
        }
        std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
            return a.filename().string() < b.filename().string();
        });
        for (const auto& file : files)
            stamp.files.push_back(StampOf(file));
    } else if (std::filesystem::is_regular_file(source_, error)) {
        stamp.files.push_back(stamp.source);
    }
    return stamp;
}

void VCardAddressBook::ArmWatch()
{
    std::error_code error;
    if (std::filesystem::is_directory(source_, error)) {
        watch_.Arm({source_}, IsVCardName);
        return;
    }
    // A single file is watched through its folder, which also sees it
    // created, or replaced by a rename as editors save.
    std::filesystem::path folder = source_.parent_path();
    if (folder.empty())
        folder = ".";
    watch_.Arm({folder},
        [name = source_.filename().string()](std::string_view entry) { return entry == name; });
}

std::shared_ptr<const ContactFolder> VCardAddressBook::Current()
{
    if (folder_) {
        if (watch_.Armed()) {
            if (!watch_.Changed() && StampOf(source_) == stamp_.source)
                return folder_;
        } else if (TakeStamp() == stamp_) {
            return folder_;
        }
    }
    // Armed before the files are looked at, so that a change made while they
    // are read is seen at the next call.
    ArmWatch();
    const Stamp stamp = TakeStamp();
    if (stamp.linked)
        watch_.Disarm(); // changes behind a link happen in folders not watched
    Read(stamp);
    return folder_;
}

void VCardAddressBook::Read(const Stamp& stamp)
{
    // The old folder goes first, so the two are never held together.
    folder_.reset();
    ++reads_;
    std::vector<std::string> uids;
    CardTable cards;
    bool full = false;
    for (const FileStamp& file : stamp.files) {
        std::string text;
        {
            std::ifstream in(file.path, std::ios::binary);
            text.resize(static_cast<size_t>(file.size));
            in.read(text.data(), static_cast<std::streamsize>(text.size()));
            text.resize(static_cast<size_t>(std::max<std::streamsize>(0, in.gcount())));
            // Grown since it was stamped: the rest too (the watch or the
            // stamp sees the change and reads it again).
            if (in)
                text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        ParseVCards(text, file.path.string(), [&](ParsedCard&& parsed) {
            if (full || !cards.Append(parsed.card)) {
                full = true;
                return;
            }
            uids.push_back(std::move(parsed.uid));
        });
    }
    if (full)
        std::fprintf(stderr, "pelmora: %s: too many contacts, only the first %zu are used\n",
            source_.c_str(), cards.Size());
    cards.ShrinkToFit();
    const std::vector<uint32_t> ids = AssignContactIds(uids);
    for (size_t position = 0; position < ids.size(); ++position)
        cards.SetOid(position, ids[position]);
    stamp_ = stamp;
    folder_ = std::make_shared<const ContactFolder>(std::move(cards));
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

std::vector<uint32_t> AssignContactIds(const std::vector<std::string>& uids)
{
    std::vector<size_t> order(uids.size());
    std::iota(order.begin(), order.end(), size_t {0});
    std::stable_sort(
        order.begin(), order.end(), [&](size_t a, size_t b) { return uids[a] < uids[b]; });
    std::vector<uint32_t> ids(uids.size());
    std::unordered_set<uint32_t> taken;
    taken.reserve(uids.size() * 2);
    for (size_t index : order) {
        uint32_t id = ContactIdOfUid(uids[index]);
        while (!taken.insert(id).second)
            id = id == 0xFFFFFFFFu ? 1 : id + 1;
        ids[index] = id;
    }
    return ids;
}

} // namespace pelmora
