// GLib's headers come before anything else, like libebook's elsewhere.
#include <gio/gio.h>

#include "platform/contacts/AddressBookChoice.h"
#include "platform/contacts/EdsAddressBook.h"
#include "platform/contacts/VCardAddressBook.h"
#include "tests/TestSupport.h"
#include "tests/platform/PrivateSessionBus.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>

using namespace pelmora;
using namespace std::chrono_literals;

namespace {

// A session bus on which Evolution Data Server cannot be started.
class NoServerEnvironment final : public testing::Environment {
public:
    void SetUp() override
    {
        bus_ = std::make_unique<test::PrivateSessionBus>(test::PrivateSessionBus::Services::None);
        ASSERT_EQ(bus_->Error(), "");
    }
    void TearDown() override { bus_.reset(); }

private:
    std::unique_ptr<test::PrivateSessionBus> bus_;
};
testing::Environment* const g_environment
    = testing::AddGlobalTestEnvironment(new NoServerEnvironment);

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Owns the registry's bus name and never answers: a server that hangs.
class HungRegistry final {
public:
    HungRegistry()
    {
        GError* error = nullptr;
        gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
        if (address)
            connection_ = g_dbus_connection_new_for_address_sync(address,
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                    | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, &error);
        g_free(address);
        if (!connection_) {
            ADD_FAILURE() << (error ? error->message : "no connection");
            g_clear_error(&error);
            return;
        }
        g_dbus_connection_set_exit_on_close(connection_, FALSE);
        g_dbus_connection_add_filter(connection_, &Swallow, nullptr, nullptr);
        GVariant* reply = g_dbus_connection_call_sync(connection_, "org.freedesktop.DBus",
            "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
            g_variant_new("(su)", "org.gnome.evolution.dataserver.Sources5", 4u),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
        guint32 result = 0;
        if (reply) {
            g_variant_get(reply, "(u)", &result);
            g_variant_unref(reply);
        }
        if (result != 1)
            ADD_FAILURE() << "could not own the registry's name";
        g_clear_error(&error);
    }
    ~HungRegistry()
    {
        if (connection_) {
            g_dbus_connection_close_sync(connection_, nullptr, nullptr);
            g_object_unref(connection_);
        }
    }
    HungRegistry(const HungRegistry&) = delete;
    HungRegistry& operator=(const HungRegistry&) = delete;

private:
    static GDBusMessage* Swallow(
        GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer)
    {
        if (incoming
            && g_dbus_message_get_message_type(message) == G_DBUS_MESSAGE_TYPE_METHOD_CALL) {
            g_object_unref(message);
            return nullptr;
        }
        return message;
    }
    GDBusConnection* connection_ = nullptr;
};

} // namespace

TEST(EdsAbsentTest, WithoutTheServerTheVCardFileIsRead)
{
    unsetenv("PELMORA_CONTACTS");
    test::ScratchDir dataDir;
    std::ofstream(dataDir.Path() / "contacts.vcf")
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:f\r\nN:File;Fay;;;\r\n"
           "TEL;TYPE=CELL:0700\r\nEND:VCARD\r\n";
    EXPECT_FALSE(EdsOnSessionBus());
    const auto start = std::chrono::steady_clock::now();
    const auto chosen = ChooseAddressBook(dataDir.Path());
    EXPECT_LT(SecondsSince(start), 2.0) << "an absent server costs no waiting";
    ASSERT_NE(dynamic_cast<VCardAddressBook*>(chosen.get()), nullptr);
    const auto folder = chosen->Current();
    ASSERT_EQ(folder->Cards().Size(), 1u);
    EXPECT_EQ(folder->FirstWith(Mobile, u"0700"), 0);
}

TEST(EdsAbsentTest, ForcedServerThatIsAbsentIsAnEmptyBook)
{
    setenv("PELMORA_CONTACTS", "eds", 1);
    test::ScratchDir dataDir;
    const auto chosen = ChooseAddressBook(dataDir.Path());
    unsetenv("PELMORA_CONTACTS");
    auto* eds = dynamic_cast<EdsAddressBook*>(chosen.get());
    ASSERT_NE(eds, nullptr);
    ASSERT_TRUE(eds->WaitForFirstRead(10s)) << "an unreachable server counts as read";
    EXPECT_EQ(eds->Books(), 0);
    EXPECT_TRUE(eds->Current()->Cards().Empty());
}

TEST(EdsAbsentTest, AHungServerHoldsALookupNoLongerThanTheFirstReadWait)
{
    HungRegistry hung;
    EXPECT_TRUE(EdsOnSessionBus());
    const double wait = std::chrono::duration<double>(EdsAddressBook::kFirstReadWait).count();
    auto book = std::make_unique<EdsAddressBook>();
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(book->Current()->Cards().Empty());
    const double first = SecondsSince(start);
    EXPECT_GE(first, wait - 0.05);
    EXPECT_LT(first, wait + 1.0);
    EXPECT_FALSE(book->WaitForFirstRead(0ms));
    start = std::chrono::steady_clock::now();
    EXPECT_TRUE(book->Current()->Cards().Empty());
    EXPECT_LT(SecondsSince(start), 0.5) << "the next lookups do not wait again";

    start = std::chrono::steady_clock::now();
    book.reset();
    EXPECT_LT(SecondsSince(start), 2.0) << "closing does not wait for the server";
}
