#pragma once

#include <mutex>

// The connection's three flags, shared by the UI thread and the reconnect
// watchdog. Each access takes the lock on its own.
class ConnectionState {
public:
    bool Connected() const;
    bool ConnectInProgress() const;
    bool ReconnectWanted() const;
    // Setting connected also clears the two other flags in the same step.
    void SetConnected(bool connected);
    void SetConnectInProgress(bool inProgress);
    void SetReconnectWanted(bool wanted);
    // Connected and no connect attempt running.
    bool IsConnected() const;
    // Claims the next connect attempt for the watchdog: true (and connect in
    // progress set) when not connected, no attempt runs and one is wanted.
    bool ClaimReconnect();

private:
    mutable std::mutex lock_;
    bool connected_ = false;
    bool connectInProgress_ = false;
    bool reconnectWanted_ = false;
};
