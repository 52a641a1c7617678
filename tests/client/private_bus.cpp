#include "tests/client/private_bus.h"

#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"

#include <QDBusPendingCall>

CPrivateBus::CPrivateBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--address=unix:path=") + dir_.filePath(QStringLiteral("bus")),
                   QStringLiteral("--print-address")});
    // The daemon prints its address once it listens.
    if (daemon_.waitForStarted(kWaitMs) && daemon_.waitForReadyRead(kWaitMs))
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

CPrivateBus::~CPrivateBus() {
    daemon_.terminate();
    if (!daemon_.waitForFinished(kWaitMs))
        daemon_.kill();
}

CBusConnection::CBusConnection(const QString& address, const QString& name)
    : name_(name), bus_(QDBusConnection::connectToBus(address, name)) {}

QDBusMessage CBusConnection::Call(const QString& service, const QString& path,
                                  const QString& interface, const QString& method,
                                  const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    // The service may live on this thread: wait in the event loop, not in the call.
    QDBusPendingCall pending = bus_->asyncCall(call, kWaitMs);
    RunUntil([&] { return pending.isFinished(); });
    return pending.reply();
}

void CBusConnection::Leave() {
    if (!bus_)
        return;
    bus_.reset();
    QDBusConnection::disconnectFromBus(name_);
}

bool CPropertyChanges::Watch(QDBusConnection& bus, const QString& service, const QString& path) {
    return bus.connect(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                       QStringLiteral("PropertiesChanged"), this,
                       SLOT(OnChanged(QString, QVariantMap, QStringList)));
}

QVariantList CPropertyChanges::ValuesOf(const QString& property) const {
    QVariantList values;
    for (const auto& [name, value] : changes_)
        if (name == property)
            values.append(value);
    return values;
}

void CPropertyChanges::OnChanged(const QString&, const QVariantMap& changed, const QStringList&) {
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        changes_.emplace_back(it.key(), it.value());
}
