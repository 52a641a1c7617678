#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QVariantMap>

#include <optional>
#include <utility>
#include <vector>

// A D-Bus daemon of the test's own, listening on a socket in a temporary
// folder; stopped when the object goes.
class CPrivateBus {
public:
    CPrivateBus();
    ~CPrivateBus();
    // Empty when the daemon did not start.
    const QString& Address() const { return address_; }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
};

// One connection to a bus under a name of its own in this process.
class CBusConnection {
public:
    CBusConnection(const QString& address, const QString& name);
    ~CBusConnection() { Leave(); }
    QDBusConnection& Bus() { return *bus_; }
    // Calls a method and runs the event loop until the reply comes.
    QDBusMessage Call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments = {});
    // Closes the connection: the bus sees this client leave.
    void Leave();

private:
    QString name_;
    std::optional<QDBusConnection> bus_;
};

// The PropertiesChanged signals of one object, in the order they came.
class CPropertyChanges : public QObject {
    Q_OBJECT
public:
    // Subscribes on `bus` to the object's signals.
    bool Watch(QDBusConnection& bus, const QString& service, const QString& path);
    // The values one property was announced with.
    QVariantList ValuesOf(const QString& property) const;

public slots:
    void OnChanged(const QString& interface, const QVariantMap& changed,
                   const QStringList& invalidated);

private:
    std::vector<std::pair<QString, QVariant>> changes_;
};
