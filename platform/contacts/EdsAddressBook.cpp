#include "platform/contacts/EdsAddressBook.h"

#include "platform/contacts/EdsReader.h"

namespace pelmora {

EdsAddressBook::EdsAddressBook()
    : reader_(std::make_unique<EdsReader>([this](std::shared_ptr<const ContactFolder> folder,
                                              int books) { Publish(std::move(folder), books); }))
{
}

EdsAddressBook::~EdsAddressBook()
{
    reader_.reset();
}

void EdsAddressBook::Publish(std::shared_ptr<const ContactFolder> folder, int books)
{
    {
        std::lock_guard lock(mutex_);
        folder_ = std::move(folder);
        books_ = books;
        ++reads_;
    }
    published_.notify_all();
}

std::shared_ptr<const ContactFolder> EdsAddressBook::Current()
{
    std::unique_lock lock(mutex_);
    if (!gaveUp_)
        gaveUp_ = !published_.wait_for(lock, kFirstReadWait, [this] { return folder_ != nullptr; });
    if (folder_)
        return folder_;
    static const auto empty = std::make_shared<const ContactFolder>(CardTable {});
    return empty;
}

bool EdsAddressBook::WaitForFirstRead(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return published_.wait_for(lock, timeout, [this] { return folder_ != nullptr; });
}

int EdsAddressBook::Books() const
{
    std::lock_guard lock(mutex_);
    return books_;
}

int EdsAddressBook::Reads() const
{
    std::lock_guard lock(mutex_);
    return reads_;
}

bool EdsOnSessionBus()
{
    return !EdsReader::RegistryBusName().empty();
}

} // namespace pelmora
