#include "client/connection_state.h"

bool ConnectionState::Connected() const {
    std::lock_guard<std::mutex> guard(lock_);
    return connected_;
}

bool ConnectionState::ConnectInProgress() const {
    std::lock_guard<std::mutex> guard(lock_);
    return connectInProgress_;
}

bool ConnectionState::ReconnectWanted() const {
    std::lock_guard<std::mutex> guard(lock_);
    return reconnectWanted_;
}

void ConnectionState::SetConnected(bool connected) {
    std::lock_guard<std::mutex> guard(lock_);
    connected_ = connected;
    if (connected)
        connectInProgress_ = reconnectWanted_ = false;
}

void ConnectionState::SetConnectInProgress(bool inProgress) {
    std::lock_guard<std::mutex> guard(lock_);
    connectInProgress_ = inProgress;
}

void ConnectionState::SetReconnectWanted(bool wanted) {
    std::lock_guard<std::mutex> guard(lock_);
    reconnectWanted_ = wanted;
}

bool ConnectionState::IsConnected() const {
    std::lock_guard<std::mutex> guard(lock_);
    return connected_ && !connectInProgress_;
}

bool ConnectionState::ClaimReconnect() {
    std::lock_guard<std::mutex> guard(lock_);
    if (connected_ || connectInProgress_ || !reconnectWanted_)
        return false;
    connectInProgress_ = true;
    return true;
}
