// The window's automation object, used by a controller over a bus of the
// test's own.

#include "client/automation_proxy.h"
#include "client/client_events_fanout.h"
#include "client/control_ids.h"
#include "server/stand_in_server.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"
#include "tests/client/private_bus.h"

#include <QDBusVariant>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

const QString kName = CClient_TavroDlgAutoProxy::kName;
const QString kPath = CClient_TavroDlgAutoProxy::kPath;
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

class AutomationProxyTest : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(__SANITIZE_THREAD__)
        // Debian's Qt is not instrumented: QtDBus hands every call to its own
        // thread under a mutex ThreadSanitizer cannot see, and starting the
        // daemon forks a process that already runs threads.
        GTEST_SKIP() << "D-Bus is not tested under ThreadSanitizer";
#endif
        bus_ = std::make_unique<CPrivateBus>();
        ASSERT_FALSE(bus_->Address().isEmpty()) << "dbus-daemon did not start";
        service_ =
            std::make_unique<CBusConnection>(bus_->Address(), QStringLiteral("tavro-service"));
        controller_ =
            std::make_unique<CBusConnection>(bus_->Address(), QStringLiteral("tavro-controller"));
    }

    // A new window whose events reach its recorder and its automation object,
    // which is offered on the bus (in place of an earlier one).
    void Start(const ClientSetup& setup = {}) {
        proxy_.reset();
        if (harness_)
            fanOut_.Remove(&harness_->events);
        harness_ = std::make_unique<ClientHarness>(setup);
        harness_->Options().events = &fanOut_;
        fanOut_.Add(&harness_->events);
        harness_->Start();
        proxy_ = std::make_unique<CClient_TavroDlgAutoProxy>(harness_->Client(), fanOut_);
        std::string reason;
        ASSERT_TRUE(proxy_->Register(service_->Bus(), reason)) << reason;
    }

    QVariant Get(const QString& property) {
        const QDBusMessage reply =
            controller_->Call(kName, kPath, kProperties, QStringLiteral("Get"), {kName, property});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    bool Set(const QString& property, const QVariant& value) {
        const QDBusMessage reply =
            controller_->Call(kName, kPath, kProperties, QStringLiteral("Set"),
                              {kName, property, QVariant::fromValue(QDBusVariant(value))});
        return reply.type() == QDBusMessage::ReplyMessage;
    }

    bool Invoke(const QString& method) {
        return controller_->Call(kName, kPath, kName, method).type() == QDBusMessage::ReplyMessage;
    }

    std::unique_ptr<CPrivateBus> bus_;
    std::unique_ptr<CBusConnection> service_, controller_;
    CClientEventsFanOut fanOut_;
    std::unique_ptr<ClientHarness> harness_;
    std::unique_ptr<CClient_TavroDlgAutoProxy> proxy_;
};

TEST_F(AutomationProxyTest, FieldsAreReadAndSetWithoutConnecting) {
    ClientSetup setup;
    setup.port = 10010;
    Start(setup);
    CDialogControls& controls = harness_->Controls();
    EXPECT_EQ(Get("Server"), QVariant("127.0.0.1"));
    EXPECT_EQ(Get("Room"), QVariant("UK-1"));
    EXPECT_EQ(Get("Port"), QVariant(10010));

    // The user has typed a server and not used it yet: setting the port
    // changes the Port field and nothing else.
    controls.UserSetText(IDC_SERVER, "gw.example.org");
    std::vector<std::pair<int, uint32_t>> changes;
    const int observer =
        controls.AddObserver([&](int id, uint32_t what) { changes.emplace_back(id, what); });
    ASSERT_TRUE(Set("Port", 10024));
    controls.RemoveObserver(observer);
    EXPECT_EQ(changes, (std::vector<std::pair<int, uint32_t>>{{IDC_PORT, CDialogControls::kText}}));
    EXPECT_EQ(controls.Text(IDC_PORT), "10024");
    EXPECT_EQ(controls.Text(IDC_SERVER), "gw.example.org");
    EXPECT_EQ(harness_->Client().Settings().serverPort, 10024);

    ASSERT_TRUE(Set("Server", "relay.example.net"));
    ASSERT_TRUE(Set("Room", "UK-2"));
    EXPECT_EQ(Get("Server"), QVariant("relay.example.net"));
    EXPECT_EQ(Get("Room"), QVariant("UK-2"));
    EXPECT_EQ(Get("Port"), QVariant(10024));
    EXPECT_EQ(controls.Text(IDC_TALK_GROUP), "UK-2");

    EXPECT_EQ(Get("State"), QVariant("idle"));
    EXPECT_TRUE(harness_->events.attempts.empty());
    EXPECT_TRUE(harness_->prompt.messages.empty());
}

TEST_F(AutomationProxyTest, HeldWindowHidesOnCloseUntilTheHoldEnds) {
    // The holder leaves the bus after a close that only hid the window: the
    // window ends then.
    Start();
    int hidden = 0;
    QObject::connect(&harness_->Client(), &CClient_TavroDlg::hidden, [&] { ++hidden; });
    ASSERT_TRUE(Invoke("Hold"));
    harness_->Client().OnClose();
    EXPECT_EQ(hidden, 1);
    EXPECT_FALSE(harness_->Client().IsEnded());
    controller_->Leave();
    EXPECT_TRUE(RunUntil([&] { return harness_->Client().IsEnded(); }));

    // A window held and released ends at its close.
    controller_ = std::make_unique<CBusConnection>(bus_->Address(), QStringLiteral("tavro-again"));
    Start();
    ASSERT_TRUE(Invoke("Hold"));
    ASSERT_TRUE(Invoke("Release"));
    harness_->Client().OnClose();
    EXPECT_TRUE(harness_->Client().IsEnded());
}

TEST_F(AutomationProxyTest, ConnectShowsStateMembersAndTalker) {
    CServerOptions options;
    options.listen = "127.0.0.1:0";
    options.version = 120;
    options.pingInterval = std::chrono::milliseconds(0);
    CStandInServer server(options);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    ClientSetup setup;
    setup.port = server.Port();
    Start(setup);
    CPropertyChanges changes;
    ASSERT_TRUE(changes.Watch(controller_->Bus(), kName, kPath));
    EXPECT_EQ(Get("State"), QVariant("idle"));

    ASSERT_TRUE(Invoke("Connect"));
    const QStringList alone{"G4TST\tTest gateway"};
    ASSERT_TRUE(RunUntil([&] { return changes.ValuesOf("Members") == QVariantList{alone}; }));
    EXPECT_EQ(changes.ValuesOf("State"), (QVariantList{"connecting", "connected"}));

    // Another station joins and talks.
    ClientSetup other = setup;
    other.callsign = "M0BBB";
    ClientHarness bravo(other);
    bravo.Start();
    ASSERT_TRUE(bravo.Connect());
    const QStringList both{"G4TST\tTest gateway", "M0BBB\tTest gateway"};
    EXPECT_TRUE(RunUntil([&] { return changes.ValuesOf("Members").value(1) == both; }));
    const std::vector<uint8_t> speech(320, 0x3C);
    bravo.Client().OnCommand(IDC_PTT_START);
    for (int i = 0; i < 3; ++i)
        bravo.Client().TransmitQueue().Add(
            std::make_unique<CSoundPacket>(int(speech.size()), speech.data()));
    EXPECT_TRUE(RunUntil([&] { return changes.ValuesOf("Talker").contains("M0BBB"); }));
    EXPECT_EQ(Get("Talker"), QVariant("M0BBB"));
    EXPECT_EQ(Get("Members"), QVariant(both));

    ASSERT_TRUE(Invoke("Disconnect"));
    EXPECT_TRUE(RunUntil([&] { return changes.ValuesOf("State").value(2) == "idle"; }));
    EXPECT_EQ(changes.ValuesOf("Members").last(), QVariant(QStringList{}));
    EXPECT_EQ(changes.ValuesOf("Talker").last(), QVariant(""));
}

TEST_F(AutomationProxyTest, RegistrationFailsWithAReason) {
    Start();
    CClient_TavroDlgAutoProxy second(harness_->Client(), fanOut_);
    std::string reason;
    {
        const QString name = QStringLiteral("tavro-nowhere");
        EXPECT_FALSE(second.Register(
            QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), name),
            reason));
        QDBusConnection::disconnectFromBus(name);
    }
    EXPECT_THAT(reason, ::testing::StartsWith("no D-Bus session bus: "));
    EXPECT_EQ(reason.find('\n'), std::string::npos);

    CBusConnection other(bus_->Address(), QStringLiteral("tavro-other"));
    EXPECT_FALSE(second.Register(other.Bus(), reason));
    EXPECT_THAT(reason, ::testing::HasSubstr("Client_Tavro.Application is taken"));
}

} // namespace
