#include "tests/client/client_harness.h"

#include "client/control_ids.h"
#include "tests/client/event_loop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

ClientHarness::ClientHarness(const ClientSetup& setup) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavro-client-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "mkdtemp failed";
    dir_ = pattern;
    const std::string path = dir_ + "/client.ini";
    {
        std::ofstream ini(path);
        ini << "[Tavro_CLIENT]\n"
            << "HOST=" << setup.host << "\n"
            << "PORT=" << setup.port << "\n"
            << "CALL=" << setup.callsign << "\n"
            << "COMM=" << setup.comment << "\n"
            << "ROOM=" << setup.room << "\n"
            << "PSWD=" << setup.password << "\n"
            << "RECO=" << (setup.autoReconnect ? 1 : 0) << "\n"
            << setup.extraIni;
    }
    store_ = std::make_unique<CSettingsStore>(path);
    options_.prompt = &prompt;
    options_.events = &events;
    options_.watchdogPeriodMs = setup.watchdogPeriodMs;
    options_.receiveTimeoutMs = setup.receiveTimeoutMs;
    options_.connectTimeoutMs = kWaitMs;
}

ClientHarness::~ClientHarness() {
    client_.reset();
    store_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void ClientHarness::Start(const std::string& commandLine) {
    client_ = std::make_unique<CClient_TavroDlg>(*store_, std::move(options_));
    client_->OnInitDialog(commandLine);
}

bool ClientHarness::Connect() {
    client_->OnCommand(IDC_CONNECT);
    return RunUntil([&] { return client_->IsConnected(); }, kWaitMs);
}

bool ClientHarness::WaitForConnections(size_t count) {
    return RunUntil([&] { return events.connections.size() >= count; }, kWaitMs);
}

bool ClientHarness::WaitForIdle() {
    return RunUntil(
        [&] {
            return !client_->State().Connected() && Controls().IsEnabled(IDC_CONNECT) &&
                   !Controls().IsEnabled(IDC_CONNECTION_LOST);
        },
        kWaitMs);
}

std::vector<std::string> ClientHarness::ListLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < Controls().Count(IDC_MAIN_LIST); ++i)
        lines.push_back(Controls().ItemText(IDC_MAIN_LIST, i));
    return lines;
}

std::unique_ptr<CMsg> ExpectMessage(CScriptedPeer& peer, uint8_t command, int timeoutMs) {
    int err = 0;
    std::unique_ptr<CMsg> message = peer.Read(timeoutMs, &err);
    if (!message) {
        ADD_FAILURE() << "expected command " << int(command) << ", read ended with error " << err;
        return nullptr;
    }
    if (message->command != command) {
        ADD_FAILURE() << "expected command " << int(command) << ", got " << message->Describe();
        return nullptr;
    }
    return message;
}

std::unique_ptr<CJoinMessage> AcceptAndJoin(CScriptedPeer& peer, int32_t serverVersion) {
    if (!peer.Accept(kWaitMs)) {
        ADD_FAILURE() << "the client did not connect";
        return nullptr;
    }
    if (!ExpectMessage(peer, kCmdVersion))
        return nullptr;
    CVersionMessage version;
    version.version = serverVersion;
    peer.Send(version);
    for (;;) {
        std::unique_ptr<CMsg> message = peer.Read(kWaitMs);
        if (!message) {
            ADD_FAILURE() << "no join from the client";
            return nullptr;
        }
        if (message->command == kCmdVersionEx)
            continue;
        if (message->command != kCmdJoin && message->command != kCmdJoinWithPassword) {
            ADD_FAILURE() << "expected a join, got " << message->Describe();
            return nullptr;
        }
        return std::unique_ptr<CJoinMessage>(static_cast<CJoinMessage*>(message.release()));
    }
}
