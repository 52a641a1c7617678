#include "tests/client/soak_cycles.h"

#include "audio/sound_message_conversion.h"
#include "audio/sound_packet.h"
#include "client/control_ids.h"
#include "protocol/conference_messages.h"
#include "protocol/wire_io.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"

#include <dirent.h>
#include <malloc.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

// Present when a sanitizer's allocator runs the heap.
extern "C" void __sanitizer_purge_allocator() __attribute__((weak));

namespace {

// Reconnects come this soon after a drop, rather than the 5 s of service.
constexpr int kWatchdogPeriodMs = 20;
// Each sound message and its filler carry this many payload bytes together.
constexpr uint32_t kSoundUnitBytes = 1000;
// The bytes a silent packet keeps, which its Silence message does not carry.
constexpr uint32_t kSilentPacketBytes = 330;
// Packets of room audio that key the transmitter in a WhileKeyed cycle.
constexpr int kRoomAudioPackets = 5;

int CountEntries(const char* path) {
    DIR* dir = opendir(path);
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.')
            ++count;
    closedir(dir);
    return count;
}

std::vector<uint8_t> Encoded(const CMsg& message) {
    std::vector<uint8_t> bytes;
    CByteWriter out(bytes);
    message.Encode(out);
    return bytes;
}

// 200 ms of a 440 Hz tone as the server relays a talker's audio.
std::unique_ptr<CSoundMessage> ToneMessage() {
    std::vector<int16_t> tone(kPacketSamples);
    for (int i = 0; i < kPacketSamples; ++i)
        tone[size_t(i)] = int16_t(std::lround(8000 * std::sin(2 * M_PI * 440 * i / 8000.0)));
    CSoundPacket packet(tone.data(), kPacketSamples);
    packet.EncodeAmr();
    return MakeSoundMessage(packet);
}

// Bytes that end the gateway's reading of the stream: a command code beyond
// the protocol's, or an active-rooms list that claims more rooms than a list
// may hold; either followed by bytes of no meaning.
std::vector<uint8_t> Garbage(int cycle) {
    std::vector<uint8_t> bytes;
    if ((cycle / 4) % 2 == 0) {
        bytes.push_back(uint8_t(kCmdDummy + 1 + cycle % 200));
    } else {
        bytes.push_back(kCmdActiveRooms);
        CByteWriter(bytes).Int32(kMaxListCount + 1 + cycle);
    }
    uint32_t noise = uint32_t(cycle) * 2654435761u + 1;
    for (int i = 0; i < 64; ++i) {
        noise = noise * 1103515245u + 12345u;
        bytes.push_back(uint8_t(noise >> 24));
    }
    return bytes;
}

std::string Describe(const std::unique_ptr<CMsg>& message) {
    return message ? "\"" + message->Describe() + "\"" : "nothing";
}

} // namespace

ProcessFigures ReadProcessFigures() {
    // Freed memory goes back to the system first: what the allocator keeps
    // for reuse, and what AddressSanitizer holds back to catch late uses,
    // would otherwise hide what the process still holds.
    if (__sanitizer_purge_allocator)
        __sanitizer_purge_allocator();
    else
        malloc_trim(0);
    ProcessFigures figures;
    figures.threads = CountEntries("/proc/self/task");
    // Less the descriptor that reads the folder.
    figures.fds = CountEntries("/proc/self/fd") - 1;
    long size = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &size, &resident) == 2)
            figures.rssKb = resident * (sysconf(_SC_PAGESIZE) / 1024);
        std::fclose(statm);
    }
    return figures;
}

std::vector<std::string> Growth(const ProcessFigures& before, const ProcessFigures& after,
                                long rssMarginKb) {
    std::vector<std::string> grown;
    if (after.threads > before.threads)
        grown.push_back("threads " + std::to_string(before.threads) + " -> " +
                        std::to_string(after.threads));
    if (after.fds > before.fds)
        grown.push_back("file descriptors " + std::to_string(before.fds) + " -> " +
                        std::to_string(after.fds));
    if (after.rssKb > before.rssKb + rssMarginKb)
        grown.push_back("resident memory " + std::to_string(before.rssKb) + " KiB -> " +
                        std::to_string(after.rssKb) + " KiB, more than " +
                        std::to_string(rssMarginKb) + " KiB above");
    return grown;
}

DropPoint DropPointOf(int cycle) {
    return DropPoint(cycle % 4);
}

const char* DropPointName(DropPoint point) {
    switch (point) {
    case DropPoint::AfterJoin:
        return "dropped after the join";
    case DropPoint::WhileKeyed:
        return "dropped during room audio";
    case DropPoint::MidMessage:
        return "dropped in the middle of a message";
    case DropPoint::AfterGarbage:
        return "dropped after garbage";
    }
    return "";
}

// ---- events

void CSoakGateway::Events::Disconnected(bool byUser) {
    ++drops;
    droppedByUser = droppedByUser || byUser;
    capturingAtDrop = owner_.waveIn_->IsOpen();
    owner_.LeaveOnTransmitQueue(owner_.cycle_);
}

// ---- the gateway

CSoakGateway::CSoakGateway() : events_(*this), peer_(std::make_unique<CScriptedPeer>()) {
    port_ = peer_->Port();
    std::string pattern = (std::filesystem::temp_directory_path() / "tavro-soak-XXXXXX").string();
    if (mkdtemp(pattern.data()))
        dir_ = pattern;
}

CSoakGateway::~CSoakGateway() {
    client_.reset();
    store_.reset();
    std::error_code ignored;
    if (!dir_.empty())
        std::filesystem::remove_all(dir_, ignored);
}

std::string CSoakGateway::Start() {
    if (dir_.empty())
        return "no folder for the settings file";
    if (!peer_->IsListening())
        return "the scripted server does not listen";
    const std::string path = dir_ + "/client.ini";
    {
        std::ofstream ini(path);
        ini << "[Tavro_CLIENT]\nHOST=127.0.0.1\nPORT=" << port_
            << "\nCALL=G4SOK\nCOMM=Soak gateway\nROOM=SOAK\nRECO=1\n"
            << kRtsKeyingIni;
    }
    store_ = std::make_unique<CSettingsStore>(path);
    CClient_TavroDlg::Options options;
    options.prompt = &prompt_;
    options.events = &events_;
    auto in = std::make_unique<CManualWaveIn>();
    auto out = std::make_unique<CManualWaveOut>();
    waveIn_ = in.get();
    waveOut_ = out.get();
    options.waveIn = std::move(in);
    options.waveOut = std::move(out);
    options.serialPortFactory = serial_.Factory();
    options.watchdogPeriodMs = kWatchdogPeriodMs;
    options.connectTimeoutMs = kWaitMs;
    client_ = std::make_unique<CClient_TavroDlg>(*store_, std::move(options));
    client_->OnInitDialog("");
    if (!serial_.IsOpen())
        return "the rig port did not open";
    if (client_->Controls().Check(IDC_AUTO_RECONNECT) == 0)
        return "Auto-Reconnect is not checked";
    client_->OnCommand(IDC_CONNECT);
    if (!RunUntil([&] { return client_->IsConnected(); }, kWaitMs))
        return "the gateway did not connect";
    return Handshake(false);
}

std::string CSoakGateway::RunCycle(int cycle) {
    const DropPoint point = DropPointOf(cycle);
    const std::string where = std::string(DropPointName(point)) + ": ";
    cycle_ = cycle;
    const int drops = events_.drops;
    const int connections = events_.connections;
    const size_t playbackOpens = waveOut_->OpenAttempts().size();
    // Each cycle looks only at what it plays.
    waveOut_->ForgetWritten();

    std::string failure = Drop(point, cycle);
    if (!failure.empty())
        return where + failure;
    if (!RunUntil([&] { return events_.drops > drops; }, kWaitMs))
        return where + "the gateway did not notice";
    if (point == DropPoint::AfterGarbage) {
        // The gateway, not the server, closed this connection.
        if (!peer_->WaitClosed(kWaitMs))
            return where + "the gateway kept the connection open";
        peer_->Hangup();
    }
    if (events_.droppedByUser)
        return where + "the gateway said Bye, as if the user had disconnected";
    if (events_.capturingAtDrop != (point != DropPoint::WhileKeyed))
        return where + "the sound card was not on " +
               (events_.capturingAtDrop ? "playback" : "capture") + " at the drop";
    if (!PlayOut(playbackOpens))
        return where + "the reconnect announcement was not played, or the transmitter not "
                       "released with the sound card back on capture";

    const bool leftOver = !events_.capturingAtDrop;
    const size_t queued = client_->TransmitQueue().Size();
    if (queued != (leftOver ? 2u : 0u))
        return where + std::to_string(queued) + " packets wait on the transmit queue";
    // The server is back.
    peer_ = std::make_unique<CScriptedPeer>(port_);
    if (!peer_->IsListening())
        return where + "the scripted server cannot listen again";
    if (!RunUntil([&] { return events_.connections > connections; }, kWaitMs))
        return where + "Auto-Reconnect did not reconnect";
    failure = Handshake(leftOver);
    if (!failure.empty())
        return where + failure;
    if (!prompt_.messages.empty() || !prompt_.questions.empty())
        return where + "a message box was shown: " +
               (prompt_.messages.empty() ? prompt_.questions[0] : prompt_.messages[0].text);
    return "";
}

// The server stops listening at once, so that the gateway's reconnect
// attempts fail until the cycle lets it back.
std::string CSoakGateway::Drop(DropPoint point, int cycle) {
    switch (point) {
    case DropPoint::AfterJoin:
        break;
    case DropPoint::WhileKeyed:
        if (std::string failure = KeyWithRoomAudio(); !failure.empty())
            return failure;
        break;
    case DropPoint::MidMessage: {
        const std::vector<uint8_t> whole = Encoded(*ToneMessage());
        const size_t cut = 1 + size_t(cycle * 131) % (whole.size() - 1);
        if (!peer_->SendBytes({whole.begin(), whole.begin() + ptrdiff_t(cut)}))
            return "the first part of the message could not be sent";
        break;
    }
    case DropPoint::AfterGarbage:
        // The gateway ends the connection itself.
        peer_->StopListening();
        return peer_->SendBytes(Garbage(cycle)) ? "" : "the garbage could not be sent";
    }
    peer_->StopListening();
    peer_->Hangup();
    return "";
}

std::string CSoakGateway::KeyWithRoomAudio() {
    for (int i = 0; i < kRoomAudioPackets; ++i)
        if (!peer_->Send(*ToneMessage()))
            return "room audio could not be sent";
    if (!RunUntil(
            [&] {
                Capture();
                return serial_.Rts();
            },
            kWaitMs))
        return "room audio did not key the transmitter";
    const auto heard = [&] {
        for (const std::vector<int16_t>& buffer : waveOut_->Written())
            for (int16_t sample : buffer)
                if (sample != 0)
                    return true;
        return false;
    };
    if (!RunUntil(
            [&] {
                waveOut_->Play();
                return heard();
            },
            kWaitMs))
        return "room audio was not played";
    return serial_.Rts() ? "" : "the transmitter was released while room audio played";
}

bool CSoakGateway::PlayOut(size_t playbackOpens) {
    // The heartbeat is what ends playback once the room has gone quiet; it
    // runs here as often as the buffers, not every 250 ms.
    return RunUntil(
        [&] {
            Capture();
            waveOut_->Play();
            client_->OnTimer(kHeartbeatTimer);
            return waveOut_->OpenAttempts().size() > playbackOpens && waveIn_->IsStarted() &&
                   !waveOut_->IsOpen() && !serial_.Rts() && !client_->RigKeying().IsLampOn();
        },
        kWaitMs);
}

void CSoakGateway::Capture() {
    const std::vector<int16_t> silence(kPacketSamples, 0);
    while (waveIn_->Fill(silence)) {
    }
}

void CSoakGateway::LeaveOnTransmitQueue(int cycle) {
    leftSpeech_.assign(300, uint8_t(cycle));
    for (int shift = 0; shift < 32; shift += 8)
        leftSpeech_[size_t(shift / 8)] = uint8_t(uint32_t(cycle) >> shift);
    client_->TransmitQueue().Add(
        std::make_unique<CSoundPacket>(int(leftSpeech_.size()), leftSpeech_.data()));
    auto silent = std::make_unique<CSoundPacket>();
    silent->silent = true;
    client_->TransmitQueue().Add(std::move(silent));
}

std::string CSoakGateway::Handshake(bool leftOver) {
    if (!peer_->Accept(kWaitMs))
        return "the server saw no connection";
    if (leftOver) {
        std::unique_ptr<CMsg> speech = peer_->Read(kWaitMs);
        if (!speech || speech->command != kCmdSound ||
            static_cast<const CSoundMessage&>(*speech).payload != leftSpeech_)
            return "the speech packet left at the drop did not come first, but " + Describe(speech);
        std::unique_ptr<CMsg> filler = peer_->Read(kWaitMs);
        if (!filler || filler->command != kCmdDummy ||
            static_cast<const CDummyMessage&>(*filler).length !=
                kSoundUnitBytes - leftSpeech_.size())
            return "the speech packet's filler was " + Describe(filler);
        std::unique_ptr<CMsg> silence = peer_->Read(kWaitMs);
        if (!silence || silence->command != kCmdSilence)
            return "the silent packet left at the drop came as " + Describe(silence);
        filler = peer_->Read(kWaitMs);
        if (!filler || filler->command != kCmdDummy ||
            static_cast<const CDummyMessage&>(*filler).length !=
                kSoundUnitBytes - kSilentPacketBytes)
            return "the silent packet's filler was " + Describe(filler);
    }
    std::unique_ptr<CMsg> version = peer_->Read(kWaitMs);
    if (!version || version->command != kCmdVersion)
        return "the connection began with " + Describe(version) + ", not the version";
    CVersionMessage reply;
    reply.version = 113;
    if (!peer_->Send(reply))
        return "the server's version could not be sent";
    std::unique_ptr<CMsg> message = peer_->Read(kWaitMs);
    if (message && message->command == kCmdVersionEx)
        message = peer_->Read(kWaitMs);
    if (!message || message->command != kCmdJoinWithPassword)
        return "the gateway sent " + Describe(message) + " instead of its join";
    return "";
}
