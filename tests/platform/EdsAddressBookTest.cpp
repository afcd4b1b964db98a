// libebook's headers come before anything else: they use names that other
// headers define as macros.
#include <libebook/libebook.h>

#include "messages/ContactsSession.h"
#include "platform/contacts/AddressBookChoice.h"
#include "platform/contacts/EdsAddressBook.h"
#include "platform/contacts/VCardAddressBook.h"
#include "tests/TestSupport.h"
#include "tests/platform/EdsTestBus.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <thread>

using namespace pelmora;
using namespace std::chrono_literals;

namespace {

testing::Environment* const g_environment
    = testing::AddGlobalTestEnvironment(new test::EdsEnvironment);

using test::Failure;
using test::kServerWait;
using test::WaitForServer;

// Changes the server's books the way a contacts application would: through
// a libebook connection of its own.
class Server final {
public:
    Server()
    {
        GError* error = nullptr;
        registry_ = e_source_registry_new_sync(nullptr, &error);
        if (!registry_)
            ADD_FAILURE() << "registry: " << Failure(error);
    }
    ~Server()
    {
        for (auto& [uid, client] : clients_)
            g_object_unref(client);
        if (registry_)
            g_object_unref(registry_);
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool Ready() const { return registry_ != nullptr; }

    // The book every test starts from empty.
    EBookClient* Personal() { return Client("system-address-book"); }

    EBookClient* Client(const std::string& sourceUid)
    {
        if (auto it = clients_.find(sourceUid); it != clients_.end())
            return it->second;
        ESource* source = e_source_registry_ref_source(registry_, sourceUid.c_str());
        if (!source) {
            ADD_FAILURE() << "no address book " << sourceUid;
            return nullptr;
        }
        GError* error = nullptr;
        EClient* client
            = e_book_client_connect_sync(source, static_cast<guint32>(-1), nullptr, &error);
        g_object_unref(source);
        if (!client) {
            ADD_FAILURE() << "connect " << sourceUid << ": " << Failure(error);
            return nullptr;
        }
        return clients_[sourceUid] = E_BOOK_CLIENT(client);
    }

    void Add(EBookClient* book, const std::vector<std::string>& vcards)
    {
        GSList* contacts = nullptr;
        for (auto it = vcards.rbegin(); it != vcards.rend(); ++it)
            contacts = g_slist_prepend(contacts, e_contact_new_from_vcard(it->c_str()));
        GError* error = nullptr;
        if (!e_book_client_add_contacts_sync(
                book, contacts, E_BOOK_OPERATION_FLAG_NONE, nullptr, nullptr, &error))
            ADD_FAILURE() << "add: " << Failure(error);
        g_slist_free_full(contacts, g_object_unref);
    }

    void SetMobile(EBookClient* book, const char* uid, const char* number)
    {
        GError* error = nullptr;
        EContact* contact = nullptr;
        if (!e_book_client_get_contact_sync(book, uid, &contact, nullptr, &error)) {
            ADD_FAILURE() << "get " << uid << ": " << Failure(error);
            return;
        }
        e_contact_set(contact, E_CONTACT_PHONE_MOBILE, number);
        if (!e_book_client_modify_contact_sync(
                book, contact, E_BOOK_OPERATION_FLAG_NONE, nullptr, &error))
            ADD_FAILURE() << "modify " << uid << ": " << Failure(error);
        g_object_unref(contact);
    }

    void Remove(EBookClient* book, const char* uid)
    {
        GError* error = nullptr;
        if (!e_book_client_remove_contact_by_uid_sync(
                book, uid, E_BOOK_OPERATION_FLAG_NONE, nullptr, &error))
            ADD_FAILURE() << "remove " << uid << ": " << Failure(error);
    }

    void Clear(EBookClient* book)
    {
        GSList* uids = nullptr;
        GError* error = nullptr;
        if (!e_book_client_get_contacts_uids_sync(book, "", &uids, nullptr, &error)) {
            ADD_FAILURE() << "list: " << Failure(error);
            return;
        }
        if (uids
            && !e_book_client_remove_contacts_sync(
                book, uids, E_BOOK_OPERATION_FLAG_NONE, nullptr, &error))
            ADD_FAILURE() << "clear: " << Failure(error);
        g_slist_free_full(uids, g_free);
    }

    // A new local address book; its UID.
    std::string CreateBook(const char* name)
    {
        ESource* source = e_source_new(nullptr, nullptr, nullptr);
        e_source_set_display_name(source, name);
        e_source_set_parent(source, "local-stub");
        auto* book = static_cast<ESourceAddressBook*>(
            e_source_get_extension(source, E_SOURCE_EXTENSION_ADDRESS_BOOK));
        e_source_backend_set_backend_name(E_SOURCE_BACKEND(book), "local");
        GError* error = nullptr;
        if (!e_source_registry_commit_source_sync(registry_, source, nullptr, &error))
            ADD_FAILURE() << "create " << name << ": " << Failure(error);
        std::string uid = e_source_get_uid(source);
        g_object_unref(source);
        created_.push_back(uid);
        return uid;
    }

    void DisableBook(const std::string& uid)
    {
        ESource* source = e_source_registry_ref_source(registry_, uid.c_str());
        ASSERT_NE(source, nullptr);
        e_source_set_enabled(source, FALSE);
        GError* error = nullptr;
        if (!e_source_write_sync(source, nullptr, &error))
            ADD_FAILURE() << "disable " << uid << ": " << Failure(error);
        g_object_unref(source);
    }

    // Removes the books this server created (when tests share a process).
    void RemoveCreatedBooks()
    {
        for (const std::string& uid : created_) {
            if (auto it = clients_.find(uid); it != clients_.end()) {
                g_object_unref(it->second);
                clients_.erase(it);
            }
            if (ESource* source = e_source_registry_ref_source(registry_, uid.c_str())) {
                e_source_remove_sync(source, nullptr, nullptr);
                g_object_unref(source);
            }
        }
        created_.clear();
    }

private:
    ESourceRegistry* registry_ = nullptr;
    std::map<std::string, EBookClient*> clients_;
    std::vector<std::string> created_;
};

std::string Card(const std::string& uid, const std::string& given, const std::string& family,
    const std::string& tel)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nN:" + family + ";" + given
        + ";;;\r\nFN:" + given + " " + family + "\r\n" + tel + "END:VCARD\r\n";
}

// The folder's first contact with `number` in `field`, if any.
std::optional<ContactCard> Find(AddressBook& book, PhoneField field, const std::u16string& number)
{
    const auto folder = book.Current();
    const int64_t at = folder->FirstWith(field, number);
    if (at < 0)
        return std::nullopt;
    return folder->Cards().Card(static_cast<size_t>(at));
}

class EdsAddressBookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server().Ready());
        ASSERT_NE(server().Personal(), nullptr);
        server().Clear(server().Personal());
    }
    void TearDown() override
    {
        SetAddressBook(nullptr);
        if (server_)
            server_->RemoveCreatedBooks();
    }
    // Made on first use. Until then the process has no registry, so a
    // backend made first makes it on its own thread, as in the program.
    Server& server()
    {
        if (!server_)
            server_.emplace();
        return *server_;
    }
    void DropServer() { server_.reset(); }

private:
    std::optional<Server> server_;
};

} // namespace

TEST_F(EdsAddressBookTest, ContactsAddedThroughLibebookAreFoundInAllThreeStages)
{
    server().Add(server().Personal(),
        {
            Card("exact", "Ann", "Exact", "TEL;TYPE=HOME,VOICE:0201234567\r\n"),
            Card("intl", "Bob", "Intl", "TEL;TYPE=WORK,VOICE:+44201234999\r\n"),
            Card("spaced", "Cy", "Spaced", "TEL;TYPE=CAR:+44 (20) 555-0100\r\n"),
        });
    EdsAddressBook book;
    ASSERT_TRUE(book.WaitForFirstRead(kServerWait));
    EXPECT_EQ(book.Books(), 1);
    SetAddressBook(&book);
    CContactsSession session;
    ASSERT_TRUE(session.Logon());

    const struct {
        const char* name;
        std::u16string number;
        std::u16string firstName;
        const char* uid;
    } rows[] = {
        {"stage 1: the number as stored", u"0201234567", u"Ann", "exact"},
        {"stage 2: leading zeros behind the prefix", u"00201234999", u"Bob", "intl"},
        {"stage 3: without formatting", u"+44205550100", u"Cy", "spaced"},
        {"no contact", u"0999999", u"", nullptr},
    };
    for (const auto& row : rows) {
        const ContactNameParts parts = IdentifyCaller(session, row.number, u"+44");
        EXPECT_EQ(parts.firstName, row.firstName) << row.name;
        EXPECT_EQ(parts.contactId, row.uid ? ContactIdOfUid(row.uid) : 0u) << row.name;
    }
}

TEST_F(EdsAddressBookTest, AdditionsEditsAndRemovalsReachTheNextLookup)
{
    EdsAddressBook book;
    ASSERT_TRUE(book.WaitForFirstRead(kServerWait));
    EXPECT_TRUE(book.Current()->Cards().Empty());

    server().Add(
        server().Personal(), {Card("dana", "Dana", "Moved", "TEL;TYPE=CELL:07700900001\r\n")});
    ASSERT_TRUE(WaitForServer([&] { return Find(book, Mobile, u"07700900001").has_value(); }));
    EXPECT_EQ(Find(book, Mobile, u"07700900001")->oid, ContactIdOfUid("dana"));

    server().SetMobile(server().Personal(), "dana", "07700900002");
    ASSERT_TRUE(WaitForServer([&] { return Find(book, Mobile, u"07700900002").has_value(); }));
    EXPECT_FALSE(Find(book, Mobile, u"07700900001").has_value()) << "the old number is gone";
    EXPECT_EQ(Find(book, Mobile, u"07700900002")->oid, ContactIdOfUid("dana"))
        << "an edit keeps the identifier";
    EXPECT_EQ(book.Current()->Cards().Size(), 1u);

    server().Remove(server().Personal(), "dana");
    ASSERT_TRUE(WaitForServer([&] { return book.Current()->Cards().Empty(); }));

    // A thousand contacts added at once arrive in some sixty batches of
    // sixteen; the folder is built once per burst, not per batch or contact.
    std::vector<std::string> many;
    for (int i = 0; i < 1000; ++i)
        many.push_back(Card("many-" + std::to_string(i), "Many", std::to_string(i),
            "TEL;TYPE=CELL:0800" + std::to_string(100000 + i) + "\r\n"));
    const int readsBefore = book.Reads();
    server().Add(server().Personal(), many);
    ASSERT_TRUE(WaitForServer([&] { return book.Current()->Cards().Size() == 1000; }));
    EXPECT_LT(book.Reads() - readsBefore, 40);
}

// Groups and profiles keep their members when the cards move from a vCard
// export into the server: the identifiers are the same, and so are the
// fields of the numbers.
TEST_F(EdsAddressBookTest, IdentifiersAndFieldsEqualThoseOfTheSameVCardFile)
{
    const std::vector<std::string> cards = {
        Card("uid-739192", "Hash", "Twin", "TEL;TYPE=CELL:07700 900010\r\n"),
        Card("uid-522789", "Hash", "Sibling", "TEL;TYPE=WORK,VOICE:020 7946 0011\r\n"),
        Card("plain", "Pat", "Plain",
            "TEL;TYPE=HOME,VOICE:01632 960001\r\nTEL;TYPE=HOME,VOICE:01632 960002\r\n"
            "TEL;TYPE=PAGER:01632 960003\r\nTEL;TYPE=WORK,FAX:01632 960004\r\n"
            "TEL;TYPE=VOICE:01632 960005\r\n"),
    };
    ASSERT_EQ(ContactIdOfUid("uid-739192"), ContactIdOfUid("uid-522789"))
        << "two UIDs whose hashes collide";
    server().Add(server().Personal(), cards);
    test::ScratchDir dir;
    {
        std::ofstream file(dir.Path() / "export.vcf", std::ios::binary);
        for (const std::string& card : cards)
            file << card;
    }
    VCardAddressBook exported(dir.Path() / "export.vcf");
    EdsAddressBook book;
    ASSERT_TRUE(book.WaitForFirstRead(kServerWait));

    std::map<std::u16string, ContactCard> fromFile, fromServer;
    for (const auto& [folder, byName] :
        {std::pair {exported.Current(), &fromFile}, std::pair {book.Current(), &fromServer}})
        for (size_t position = 0; position < folder->Size(); ++position)
            (*byName)[std::u16string(folder->Cards().TextOf(position, CardTable::LastName))]
                = folder->Cards().Card(position);
    ASSERT_EQ(fromServer.size(), 3u);
    for (const auto& [name, card] : fromFile) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        ASSERT_TRUE(fromServer.contains(name));
        EXPECT_EQ(fromServer[name].oid, card.oid);
        EXPECT_EQ(fromServer[name].phones, card.phones);
    }
    EXPECT_NE(fromServer[u"Twin"].oid, fromServer[u"Sibling"].oid);
}

// Books added and switched off while the program runs are followed; the
// default book comes first, then the others by name, and within a book the
// contacts by name.
TEST_F(EdsAddressBookTest, BooksAreFollowedAndOrderedDefaultFirstThenByName)
{
    DropServer();
    EdsAddressBook book;
    ASSERT_TRUE(book.WaitForFirstRead(kServerWait));
    EXPECT_EQ(book.Books(), 1);

    const std::string zeta = server().CreateBook("Zeta");
    const std::string alpha = server().CreateBook("alpha");
    const char* shared = "TEL;TYPE=CELL:0700\r\n";
    server().Add(server().Client(zeta), {Card("z1", "Zed", "Zeta", shared)});
    server().Add(server().Client(alpha), {Card("a1", "Al", "Alpha", shared)});
    server().Add(server().Personal(),
        {Card("p1", "Pia", "dunn", shared), Card("p2", "Pam", "Avery", shared),
            Card("p3", "Pat", "Ellis", shared), Card("p4", "Poe", "Cole", shared),
            Card("p5", "Pip", "brook", shared)});
    ASSERT_TRUE(WaitForServer([&] { return book.Current()->Cards().Size() == 7; }));
    EXPECT_EQ(book.Books(), 3);
    std::vector<std::u16string> order;
    const auto folder = book.Current();
    for (size_t position = 0; position < folder->Size(); ++position)
        order.emplace_back(folder->Cards().TextOf(position, CardTable::LastName));
    EXPECT_EQ(order,
        (std::vector<std::u16string> {
            u"Avery", u"brook", u"Cole", u"dunn", u"Ellis", u"Alpha", u"Zeta"}));
    ASSERT_TRUE(Find(book, Mobile, u"0700").has_value());
    EXPECT_EQ(Find(book, Mobile, u"0700")->oid, ContactIdOfUid("p2"));

    server().DisableBook(alpha);
    ASSERT_TRUE(WaitForServer([&] { return book.Current()->Cards().Size() == 6; }));
    EXPECT_EQ(book.Books(), 2);
}

TEST_F(EdsAddressBookTest, ChoosesTheServerWhenItHasBooksAndTheEnvironmentAllows)
{
    test::ScratchDir dataDir;
    const struct {
        const char* name;
        const char* contactsVariable; // null: unset
        bool serverHasContacts;
        bool vcardFileExists;
        bool server; // chosen
    } rows[] = {
        {"server with contacts", nullptr, true, true, true},
        {"server with an empty book and no vCard file", nullptr, false, false, true},
        {"empty server does not hide an existing vCard file", nullptr, false, true, false},
        {"PELMORA_CONTACTS names a vCard file", "@file", true, false, false},
        {"PELMORA_CONTACTS=eds", "eds", false, true, true},
    };
    const auto file = dataDir.Path() / "contacts.vcf";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server().Clear(server().Personal());
        if (row.serverHasContacts)
            server().Add(server().Personal(), {Card("s", "Sam", "Server", "")});
        std::filesystem::remove(file);
        if (row.vcardFileExists)
            std::ofstream(file) << Card("f", "Fay", "File", "");
        if (!row.contactsVariable)
            unsetenv("PELMORA_CONTACTS");
        else if (std::string(row.contactsVariable) == "@file")
            setenv("PELMORA_CONTACTS", file.c_str(), 1);
        else
            setenv("PELMORA_CONTACTS", row.contactsVariable, 1);
        const auto chosen = ChooseAddressBook(dataDir.Path());
        EXPECT_EQ(dynamic_cast<EdsAddressBook*>(chosen.get()) != nullptr, row.server);
        EXPECT_EQ(dynamic_cast<VCardAddressBook*>(chosen.get()) != nullptr, !row.server);
    }
    unsetenv("PELMORA_CONTACTS");
}
