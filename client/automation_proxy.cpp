#include "client/automation_proxy.h"

#include "client/client_dlg.h"
#include "client/client_events_fanout.h"
#include "client/control_ids.h"

#include <QDBusError>
#include <QDBusMessage>

CClient_TavroDlgAutoProxy::CClient_TavroDlgAutoProxy(CClient_TavroDlg& dialog,
                                                     CClientEventsFanOut& events, QObject* parent)
    : QObject(parent), dialog_(&dialog), events_(events) {
    events_.Add(this);
    // The fields change by the user's hand too.
    fieldObserver_ = dialog.Controls().AddObserver([this](int id, uint32_t) {
        if (id == IDC_SERVER || id == IDC_PORT || id == IDC_TALK_GROUP)
            Publish();
    });
    holderWatcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&holderWatcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString& name) { DropHolder(name); });
    Publish();
}

CClient_TavroDlgAutoProxy::~CClient_TavroDlgAutoProxy() {
    events_.Remove(this);
    if (dialog_) {
        dialog_->Controls().RemoveObserver(fieldObserver_);
        if (!holders_.isEmpty())
            dialog_->SetHeldByController(false);
    }
    if (bus_) {
        bus_->unregisterObject(kPath);
        bus_->unregisterService(kName);
    }
}

bool CClient_TavroDlgAutoProxy::Register(const QDBusConnection& bus, std::string& reason) {
    if (!bus.isConnected()) {
        reason = "no D-Bus session bus: " + bus.lastError().message().simplified().toStdString();
        return false;
    }
    QDBusConnection connection = bus;
    if (!connection.registerObject(kPath, this, QDBusConnection::ExportScriptableContents)) {
        reason = std::string("the D-Bus object path ") + kPath + " is taken";
        return false;
    }
    if (!connection.registerService(kName)) {
        connection.unregisterObject(kPath);
        reason = std::string("the D-Bus name ") + kName + " is taken (another client runs)";
        return false;
    }
    bus_ = connection;
    holderWatcher_.setConnection(connection);
    return true;
}

// ---- the connection fields

QString CClient_TavroDlgAutoProxy::Server() const {
    return dialog_ ? QString::fromStdString(dialog_->ShownConnectionFields().host) : QString();
}

void CClient_TavroDlgAutoProxy::SetServer(const QString& host) {
    if (dialog_)
        dialog_->ChangeSettingsThroughFields(
            [&](ClientSettings& s) { s.serverHost = host.toStdString(); });
}

QString CClient_TavroDlgAutoProxy::Room() const {
    return dialog_ ? QString::fromStdString(dialog_->ShownConnectionFields().room) : QString();
}

void CClient_TavroDlgAutoProxy::SetRoom(const QString& room) {
    if (dialog_)
        dialog_->ChangeSettingsThroughFields(
            [&](ClientSettings& s) { s.room = room.toStdString(); });
}

int CClient_TavroDlgAutoProxy::Port() const {
    return dialog_ ? dialog_->ShownConnectionFields().port : 0;
}

void CClient_TavroDlgAutoProxy::SetPort(int port) {
    if (dialog_)
        dialog_->ChangeSettingsThroughFields([&](ClientSettings& s) { s.serverPort = port; });
}

QString CClient_TavroDlgAutoProxy::State() const {
    if (!dialog_)
        return QStringLiteral("idle");
    if (dialog_->State().IsConnected())
        return QStringLiteral("connected");
    return dialog_->State().ConnectInProgress() ? QStringLiteral("connecting")
                                                : QStringLiteral("idle");
}

// ---- methods

QString CClient_TavroDlgAutoProxy::Caller() const {
    return calledFromDBus() ? message().service() : QString();
}

void CClient_TavroDlgAutoProxy::Hold() {
    const QString caller = Caller();
    if (holders_.contains(caller) || !dialog_)
        return;
    holders_.insert(caller);
    if (!caller.isEmpty())
        holderWatcher_.addWatchedService(caller);
    dialog_->SetHeldByController(true);
}

void CClient_TavroDlgAutoProxy::Release() {
    DropHolder(Caller());
}

// The window stays held while any holder is left.
void CClient_TavroDlgAutoProxy::DropHolder(const QString& name) {
    if (!holders_.remove(name))
        return;
    if (!name.isEmpty())
        holderWatcher_.removeWatchedService(name);
    if (holders_.isEmpty() && dialog_)
        dialog_->SetHeldByController(false);
}

void CClient_TavroDlgAutoProxy::Connect() {
    Click(IDC_CONNECT);
}

void CClient_TavroDlgAutoProxy::Disconnect() {
    Click(IDC_DISCONNECT);
}

void CClient_TavroDlgAutoProxy::Click(int id) {
    if (dialog_ && dialog_->Controls().IsEnabled(id))
        dialog_->OnCommand(id);
}

// ---- events

void CClient_TavroDlgAutoProxy::ConnectAttemptChanged(bool) {
    Publish();
}

void CClient_TavroDlgAutoProxy::Connected(const std::string&, int) {
    Publish();
}

void CClient_TavroDlgAutoProxy::Disconnected(bool) {
    Publish();
}

void CClient_TavroDlgAutoProxy::MembersChanged(const std::vector<std::string>& lines) {
    members_.clear();
    for (const std::string& line : lines)
        members_.append(QString::fromStdString(line));
    Publish();
}

void CClient_TavroDlgAutoProxy::TalkerChanged(const std::string& talker) {
    talker_ = QString::fromStdString(talker);
    Publish();
}

void CClient_TavroDlgAutoProxy::Publish() {
    const QVariantMap now{
        {QStringLiteral("Server"), Server()}, {QStringLiteral("Room"), Room()},
        {QStringLiteral("Port"), Port()},     {QStringLiteral("State"), State()},
        {QStringLiteral("Talker"), talker_},  {QStringLiteral("Members"), members_}};
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (published_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    published_ = now;
    if (changed.isEmpty() || !bus_)
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << QString(kName) << changed << QStringList();
    bus_->send(signal);
}
