#pragma once

#include "client/client_events.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>
#include <string>
#include <vector>

class CClient_TavroDlg;
class CClientEventsFanOut;

// The main window's automation object on D-Bus: bus name and interface
// "Client_Tavro.Application", object path "/Application". Another program
// reads and sets the connection fields (Server, Room, Port), holds the window
// so that closing it only hides it (Hold, Release), presses Connect and
// Disconnect, and watches State ("idle", "connecting", "connected"), Talker
// and Members (the member list's lines, "CALLSIGN<tab>description").
// PropertiesChanged announces every change of a property.
//
// Lives on the UI thread. It joins `events` for as long as it lives, so the
// fan-out must outlive it; it may outlive the window, but then does nothing.
class CClient_TavroDlgAutoProxy : public QObject, protected QDBusContext, public IClientEvents {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "Client_Tavro.Application")
    Q_PROPERTY(QString Server READ Server WRITE SetServer)
    Q_PROPERTY(QString Room READ Room WRITE SetRoom)
    Q_PROPERTY(int Port READ Port WRITE SetPort)
    Q_PROPERTY(QString State READ State)
    Q_PROPERTY(QString Talker READ Talker)
    Q_PROPERTY(QStringList Members READ Members)
public:
    // The bus name, which is also the interface's name, and the object path.
    static constexpr char kName[] = "Client_Tavro.Application";
    static constexpr char kPath[] = "/Application";

    CClient_TavroDlgAutoProxy(CClient_TavroDlg& dialog, CClientEventsFanOut& events,
                              QObject* parent = nullptr);
    // Releases its hold on the window and leaves the bus.
    ~CClient_TavroDlgAutoProxy() override;

    // Offers the object and takes the bus name on `bus`. False, with a
    // one-line reason, when the bus is not connected or the name or path is
    // taken; the program runs on without the object then.
    bool Register(const QDBusConnection& bus, std::string& reason);

    // Reading gives what the fields show; setting one changes that field only.
    QString Server() const;
    void SetServer(const QString& host);
    QString Room() const;
    void SetRoom(const QString& room);
    int Port() const;
    void SetPort(int port);

    QString State() const;
    QString Talker() const { return talker_; }
    QStringList Members() const { return members_; }

public slots:
    // The caller holds the window until it calls Release or leaves the bus.
    Q_SCRIPTABLE void Hold();
    Q_SCRIPTABLE void Release();
    // As the buttons: nothing while the button is disabled.
    Q_SCRIPTABLE void Connect();
    Q_SCRIPTABLE void Disconnect();

private:
    // IClientEvents
    void ConnectAttemptChanged(bool running) override;
    void Connected(const std::string& host, int port) override;
    void Disconnected(bool byUser) override;
    void Joined(const std::string&, const std::string&) override {}
    void MembersChanged(const std::vector<std::string>& lines) override;
    void TalkerChanged(const std::string& talker) override;
    void KeyingChanged(bool) override {}
    void Note(const std::string&) override {}

    // The D-Bus caller's unique name; empty for a call from this program.
    QString Caller() const;
    void DropHolder(const QString& name);
    void Click(int id);
    // Sends PropertiesChanged with the properties that changed since the last time.
    void Publish();

    QPointer<CClient_TavroDlg> dialog_;
    CClientEventsFanOut& events_;
    int fieldObserver_ = 0;
    std::optional<QDBusConnection> bus_;
    QDBusServiceWatcher holderWatcher_;
    QSet<QString> holders_;
    QString talker_;
    QStringList members_;
    QVariantMap published_;
};
