#pragma once

#include "platform/contacts/AddressBook.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace pelmora {

class EdsReader;

// The address books of the session's Evolution Data Server, where GNOME
// Contacts and the phone shells built on it keep the phone's contacts. A
// reader thread follows every enabled book (see EdsReader for the folder
// order) and hands over a new folder after each change, so a lookup takes
// the latest folder without asking the server. Only while the very first
// read is still running does a lookup wait, once, for at most
// kFirstReadWait; until that read is done, lookups then get an empty folder
// at once.
class EdsAddressBook final : public AddressBook {
public:
    static constexpr std::chrono::milliseconds kFirstReadWait {2000};

    // Starts reading at once, in the background.
    EdsAddressBook();
    ~EdsAddressBook() override;
    EdsAddressBook(const EdsAddressBook&) = delete;
    EdsAddressBook& operator=(const EdsAddressBook&) = delete;

    std::shared_ptr<const ContactFolder> Current() override;

    // Waits up to `timeout` for the first read of all enabled books; false
    // when it has not finished. A server that cannot be reached counts as
    // read, with no books.
    bool WaitForFirstRead(std::chrono::milliseconds timeout);
    // Enabled address books at the last read.
    int Books() const;
    // Folders built so far.
    int Reads() const;

private:
    void Publish(std::shared_ptr<const ContactFolder> folder, int books);

    mutable std::mutex mutex_;
    std::condition_variable published_;
    std::shared_ptr<const ContactFolder> folder_;
    int books_ = 0;
    int reads_ = 0;
    bool gaveUp_ = false; // a lookup waited kFirstReadWait in vain
    std::unique_ptr<EdsReader> reader_; // last: stops before the rest goes
};

// Whether Evolution Data Server's registry runs on the session bus or can
// be started there.
bool EdsOnSessionBus();

} // namespace pelmora
