#pragma once

#include "platform/contacts/AddressBook.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

typedef struct _GMainContext GMainContext;
typedef struct _GCancellable GCancellable;
typedef struct _GSource GSource;
typedef struct _ESourceRegistry ESourceRegistry;

namespace pelmora {

class EdsBook;

// Reads Evolution Data Server's enabled address books on a thread of its
// own, with a GLib main context of its own: the server's signals arrive
// there whatever event loop the program's thread runs, and no lookup ever
// waits for them. After reading every book, and after each burst of changes,
// it builds a new folder and hands it to `publish`, from the reader thread.
// While it connects to the books again, lookups keep the last folder.
//
// Folder order: the default address book first, then the other enabled
// books by display name (then UID); within a book, contacts by their "file
// as" name (then UID). Contact identifiers come from the UIDs, as for vCard
// files. Books added, removed, enabled or disabled in the registry, and a
// server process that went away, make it connect to the books again.
class EdsReader final {
public:
    using Publish = std::function<void(std::shared_ptr<const ContactFolder> folder, int books)>;

    explicit EdsReader(Publish publish);
    ~EdsReader();
    EdsReader(const EdsReader&) = delete;
    EdsReader& operator=(const EdsReader&) = delete;

    // The bus name of the server's registry when it runs on the session bus
    // or can be started there, else empty.
    static std::string RegistryBusName(GCancellable* cancel = nullptr);

private:
    struct Signals; // the registry's signal handlers and the timers
    friend struct Signals;

    void Run();
    void Reload();
    void Rebuild();
    bool ConnectRegistry();
    void ScheduleReload(unsigned delayMs);
    void ScheduleRebuild();
    static void Cancel(GSource*& source);

    Publish publish_;
    std::atomic<bool> stopping_ {false};
    GMainContext* context_;
    GCancellable* cancel_;
    ESourceRegistry* registry_ = nullptr;
    std::vector<std::unique_ptr<EdsBook>> books_;
    GSource* reload_ = nullptr;
    GSource* rebuild_ = nullptr;
    bool registryFailed_ = false;
    std::thread thread_;
};

} // namespace pelmora
