#include "platform/alsa_wave.h"

#include "platform/device_group.h"
#include "platform/string_format.h"
#include "platform/wave_requests.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

namespace {

// Ring buffers: a second of slack for capture, so a slow owner thread loses
// nothing; two buffers for playback, so what the card holds beyond the
// buffers still lent stays small. Periods of 50 ms wake the thread soon after
// room appears.
constexpr unsigned kCaptureRingUs = 1'000'000;
constexpr unsigned kPlaybackRingUs = 400'000;
constexpr unsigned kPeriodUs = 50'000;

void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsaErrors() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(DropAlsaMessage); });
}

std::string OneLine(const char* text) {
    std::string line = text ? text : "";
    for (size_t at; (at = line.find('\n')) != std::string::npos;)
        line.replace(at, 1, ", ");
    return line;
}

std::string HintField(void* hint, const char* field) {
    char* value = snd_device_name_get_hint(hint, field);
    std::string text = OneLine(value);
    std::free(value);
    return text;
}

// The control device of the card that an ALSA PCM name opens ("hw:1", "plughw:CARD=Device,DEV=0"),
// whose group says who may use the card; the first card's for names without one.
std::string CardDeviceFile(const std::string& pcmName) {
    int card = 0;
    if (const size_t colon = pcmName.find(':'); colon != std::string::npos) {
        std::string cardName = pcmName.substr(colon + 1);
        cardName = cardName.substr(0, cardName.find(','));
        if (cardName.starts_with("CARD="))
            cardName = cardName.substr(5);
        const bool number =
            !cardName.empty() && std::all_of(cardName.begin(), cardName.end(), ::isdigit);
        card = number ? std::stoi(cardName) : std::max(snd_card_get_index(cardName.c_str()), 0);
    }
    return "/dev/snd/controlC" + std::to_string(card);
}

std::vector<AlsaPcmHint> ReadPcmHints() {
    std::vector<AlsaPcmHint> read;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0)
        return read;
    for (void** hint = hints; *hint; ++hint)
        read.push_back(
            {HintField(*hint, "NAME"), HintField(*hint, "DESC"), HintField(*hint, "IOID")});
    snd_device_name_free_hint(hints);
    return read;
}

} // namespace

std::vector<AlsaPcmDevice> ListAlsaWaveDevices() {
    QuietAlsaErrors();
    return NumberAlsaPcmDevices(ReadPcmHints());
}

WaveStatus ResolveAlsaPcmName(const WaveDeviceId& id, std::string& name) {
    WaveDeviceId chosen = id;
    // A card named by its name ("plughw:CARD=Device,DEV=0") keeps its place when cards are
    // numbered anew; while it is not plugged in, the number stands in for it.
    if (const size_t card = id.name.find("CARD="); card != std::string::npos) {
        const std::string cardName = id.name.substr(card + 5, id.name.find(',', card) - card - 5);
        if (snd_card_get_index(cardName.c_str()) < 0)
            chosen.name.clear();
    }
    // Only an index needs the list.
    const bool byIndex = chosen.name.empty() && chosen.index >= 0;
    return PickAlsaPcmName(chosen, byIndex ? ListAlsaWaveDevices() : std::vector<AlsaPcmDevice>{},
                           name);
}

WaveStatus DescribeAlsaOpenError(int error, const std::string& pcmName) {
    const char* name = pcmName.c_str();
    switch (-error) {
    case EBUSY:
    case EAGAIN:
        return {WaveError::Busy,
                StringPrintf("the sound card '%s' is in use by another program; close it or "
                             "choose another device with --list-audio",
                             name)};
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EINVAL: // a name ALSA cannot parse, such as a card number out of range
        return {WaveError::NoDevice,
                StringPrintf("there is no sound device '%s'; choose one with --list-audio", name)};
    case EACCES:
    case EPERM:
        return {WaveError::Failed,
                StringPrintf("no permission to use the sound card '%s': %s", name,
                             GroupPermissionHint(CardDeviceFile(pcmName), "audio").c_str())};
    default:
        return {WaveError::Failed,
                StringPrintf("cannot open the sound card '%s': %s; choose another device with "
                             "--list-audio",
                             name, snd_strerror(error))};
    }
}

// One direction of one PCM device and its thread.
// Holds a device to real time. ALSA's "null" PCM, for one, reads and plays at
// once; left alone it would flood the engines with buffers. A sound card is
// never early, so it is never held back: the reference moves whenever the
// device is late.
class CRealTimePace {
public:
    using Clock = CWaveRequests::Clock;
    explicit CRealTimePace(int rate) : rate_(rate) {}

    // When `frames` frames moved from `startedAt` on should be done.
    Clock::time_point Due(uint64_t frames, Clock::time_point startedAt) {
        if (!anchored_ || startedAt > start_ + Span(frames_)) {
            start_ = startedAt;
            frames_ = 0;
            anchored_ = true;
        }
        frames_ += frames;
        return start_ + Span(frames_);
    }
    void Restart() { anchored_ = false; }

    // Frames that real time allows to have played since `start`.
    uint64_t FramesSince(Clock::time_point start) const {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
        return uint64_t(std::max<int64_t>(elapsed.count(), 0)) * uint64_t(rate_) / 1'000'000u;
    }
    Clock::duration Span(uint64_t frames) const {
        return std::chrono::microseconds(frames * 1'000'000u / uint64_t(rate_));
    }

private:
    int rate_;
    bool anchored_ = false;
    Clock::time_point start_;
    uint64_t frames_ = 0;
};

class CAlsaStream {
public:
    using BufferHandler = std::function<void(WaveBuffer)>;
    using CloseHandler = std::function<void()>;
    using FailHandler = std::function<void(const std::string&)>;

    explicit CAlsaStream(snd_pcm_stream_t direction) : direction_(direction) {}
    ~CAlsaStream() {
        requests_.Quit();
        Join();
    }

    WaveStatus Open(const WaveDeviceId& id, int rate, BufferHandler onBuffer, CloseHandler onClose,
                    FailHandler onFail);
    CWaveRequests& Requests() { return requests_; }

private:
    using Next = CWaveRequests::Next;
    // A playback buffer in the card, with the count of frames written up to its end.
    struct Playing {
        WaveBuffer buffer;
        uint64_t end = 0;
    };

    bool Capture() const { return direction_ == SND_PCM_STREAM_CAPTURE; }
    WaveStatus Configure(snd_pcm_t* pcm, const std::string& name, int rate) const;
    void Join() {
        if (thread_.joinable())
            thread_.join();
    }
    void RunCapture();
    void RunPlayback();
    // Reads or writes the whole buffer; false when the card failed, which
    // is reported once per open.
    bool Transfer(WaveBuffer& buffer);
    // Frames the card has played of the written ones.
    uint64_t Played(uint64_t written) const;
    void GiveBack(std::deque<WaveBuffer>& buffers);
    // Handles a reset or close (true: the thread ends); every buffer in
    // `returned` goes back unused.
    bool Stop(Next next, std::deque<WaveBuffer>& returned, bool& failed);

    const snd_pcm_stream_t direction_;
    snd_pcm_t* pcm_ = nullptr;
    std::string name_;
    int rate_ = 0;
    BufferHandler onBuffer_;
    CloseHandler onClose_;
    FailHandler onFail_;
    bool failureReported_ = false;
    CWaveRequests requests_;
    std::thread thread_;
};

WaveStatus CAlsaStream::Open(const WaveDeviceId& id, int rate, BufferHandler onBuffer,
                             CloseHandler onClose, FailHandler onFail) {
    if (requests_.IsOpen())
        return {WaveError::Failed, "the sound device is already open"};
    Join();
    QuietAlsaErrors();
    std::string name;
    if (WaveStatus status = ResolveAlsaPcmName(id, name); !status)
        return status;
    // Non-blocking, so that a busy device fails at once instead of waiting
    // for its owner to let go.
    snd_pcm_t* pcm = nullptr;
    if (int error = snd_pcm_open(&pcm, name.c_str(), direction_, SND_PCM_NONBLOCK); error < 0)
        return DescribeAlsaOpenError(error, name);
    if (WaveStatus status = Configure(pcm, name, rate); !status) {
        snd_pcm_close(pcm);
        return status;
    }
    pcm_ = pcm;
    name_ = name;
    rate_ = rate;
    onBuffer_ = std::move(onBuffer);
    onClose_ = std::move(onClose);
    onFail_ = std::move(onFail);
    failureReported_ = false;
    requests_.Open();
    thread_ = std::thread([this] { Capture() ? RunCapture() : RunPlayback(); });
    return {};
}

WaveStatus CAlsaStream::Configure(snd_pcm_t* pcm, const std::string& name, int rate) const {
    const char* verb = Capture() ? "record" : "play";
    snd_pcm_hw_params_t* hw;
    snd_pcm_hw_params_alloca(&hw);
    int error = snd_pcm_nonblock(pcm, 0);
    if (error >= 0)
        error = snd_pcm_hw_params_any(pcm, hw);
    if (error < 0)
        return {WaveError::Failed, StringPrintf("cannot set up the sound card '%s': %s",
                                                name.c_str(), snd_strerror(error))};
    if (snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
        snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16) < 0 ||
        snd_pcm_hw_params_set_channels(pcm, hw, 1) < 0 ||
        snd_pcm_hw_params_set_rate(pcm, hw, unsigned(rate), 0) < 0) {
        // A raw "hw:" device takes only its own formats; "plughw:" converts.
        const std::string advice = name.starts_with("hw:")
                                       ? "; try 'plug" + name + "', which converts"
                                       : "; choose another device with --list-audio";
        return {WaveError::BadFormat,
                StringPrintf("the sound card '%s' cannot %s 16-bit mono sound at %d Hz%s",
                             name.c_str(), verb, rate, advice.c_str())};
    }
    // The nearest sizes the card offers; one that offers none keeps its own.
    unsigned ringUs = Capture() ? kCaptureRingUs : kPlaybackRingUs;
    unsigned periodUs = kPeriodUs;
    (void)snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &ringUs, nullptr);
    (void)snd_pcm_hw_params_set_period_time_near(pcm, hw, &periodUs, nullptr);
    error = snd_pcm_hw_params(pcm, hw);
    if (error >= 0 && !Capture()) {
        // Play from the first frame written: a short buffer must not wait for
        // the ring to fill.
        snd_pcm_sw_params_t* sw;
        snd_pcm_sw_params_alloca(&sw);
        error = snd_pcm_sw_params_current(pcm, sw);
        if (error >= 0)
            error = snd_pcm_sw_params_set_start_threshold(pcm, sw, 1);
        if (error >= 0)
            error = snd_pcm_sw_params(pcm, sw);
    }
    if (error < 0)
        return {WaveError::Failed,
                StringPrintf("cannot set up the sound card '%s' to %s at %d Hz: %s", name.c_str(),
                             verb, rate, snd_strerror(error))};
    return {};
}

bool CAlsaStream::Transfer(WaveBuffer& buffer) {
    const size_t frames = buffer.samples.size();
    buffer.filled = 0;
    while (buffer.filled < frames) {
        int16_t* at = buffer.samples.data() + buffer.filled;
        snd_pcm_sframes_t n = Capture() ? snd_pcm_readi(pcm_, at, frames - buffer.filled)
                                        : snd_pcm_writei(pcm_, at, frames - buffer.filled);
        if (n < 0)
            n = snd_pcm_recover(pcm_, int(n), 1);
        if (n < 0) {
            // An unplugged card fails every transfer from now on: one report.
            if (!failureReported_)
                onFail_(StringPrintf("the sound card '%s' stopped working: %s", name_.c_str(),
                                     snd_strerror(int(n))));
            failureReported_ = true;
            return false;
        }
        buffer.filled += size_t(n);
    }
    return true;
}

uint64_t CAlsaStream::Played(uint64_t written) const {
    // Not running (an underrun, or nothing written): everything has played.
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_state(pcm_) != SND_PCM_STATE_RUNNING || snd_pcm_delay(pcm_, &delay) < 0)
        return written;
    return written - std::min(uint64_t(std::max<snd_pcm_sframes_t>(delay, 0)), written);
}

void CAlsaStream::GiveBack(std::deque<WaveBuffer>& buffers) {
    for (WaveBuffer& buffer : buffers) {
        buffer.filled = 0;
        onBuffer_(std::move(buffer));
    }
    buffers.clear();
}

bool CAlsaStream::Stop(Next next, std::deque<WaveBuffer>& returned, bool& failed) {
    snd_pcm_drop(pcm_);
    if (next == Next::Reset) {
        // A failed card gets another chance at the next Start.
        failed = snd_pcm_prepare(pcm_) < 0;
        GiveBack(returned);
        return false;
    }
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
    if (next == Next::Close) {
        GiveBack(returned);
        onClose_();
    }
    return true;
}

void CAlsaStream::RunCapture() {
    bool failed = false;
    CRealTimePace pace(rate_);
    for (;;) {
        WaveBuffer buffer;
        std::deque<WaveBuffer> returned;
        const Next next = requests_.Wait(buffer, returned, std::nullopt, !failed);
        if (next == Next::Buffer) {
            const auto startedAt = CRealTimePace::Clock::now();
            failed = !Transfer(buffer);
            requests_.SleepUntil(pace.Due(buffer.filled, startedAt));
            onBuffer_(std::move(buffer));
        } else {
            pace.Restart();
            if (Stop(next, returned, failed)) // no deadline, so no time-out
                return;
        }
    }
}

void CAlsaStream::RunPlayback() {
    std::deque<Playing> playing;
    uint64_t written = 0;
    bool failed = false;
    // Frames count as played no faster than real time from here.
    const CRealTimePace pace(rate_);
    CRealTimePace::Clock::time_point playStart = CRealTimePace::Clock::now();
    for (;;) {
        const uint64_t played = std::min(Played(written), pace.FramesSince(playStart));
        while (!playing.empty() && playing.front().end <= played) {
            onBuffer_(std::move(playing.front().buffer));
            playing.pop_front();
        }
        std::optional<CWaveRequests::Clock::time_point> deadline;
        if (!playing.empty()) {
            // Wake when the oldest buffer should have played, a little after.
            const uint64_t frames = playing.front().end - played;
            deadline = CWaveRequests::Clock::now() +
                       std::chrono::microseconds(frames * 1'000'000 / unsigned(rate_) + 2000);
        }
        WaveBuffer buffer;
        std::deque<WaveBuffer> returned;
        const Next next = requests_.Wait(buffer, returned, deadline, !failed);
        if (next == Next::Buffer) {
            // After the card ran dry, real time counts from now.
            if (playing.empty())
                playStart = CRealTimePace::Clock::now() - pace.Span(written);
            failed = !Transfer(buffer);
            written += buffer.filled;
            playing.push_back({std::move(buffer), written});
        } else if (next != Next::TimedOut) {
            for (auto it = playing.rbegin(); it != playing.rend(); ++it)
                returned.push_front(std::move(it->buffer));
            playing.clear();
            written = 0;
            if (Stop(next, returned, failed))
                return;
        }
    }
}

CAlsaWaveIn::CAlsaWaveIn() : stream_(std::make_unique<CAlsaStream>(SND_PCM_STREAM_CAPTURE)) {}
CAlsaWaveIn::~CAlsaWaveIn() = default;

WaveStatus CAlsaWaveIn::Open(const WaveDeviceId& device, int rate, IWaveInSink& sink) {
    return stream_->Open(
        device, rate, [&sink](WaveBuffer buffer) { sink.OnWaveInData(std::move(buffer)); },
        [&sink] { sink.OnWaveInClose(); },
        [&sink](const std::string& reason) { sink.OnWaveInFailed(reason); });
}

bool CAlsaWaveIn::AddBuffer(WaveBuffer&& buffer) {
    return stream_->Requests().Add(std::move(buffer));
}

bool CAlsaWaveIn::Start() {
    return stream_->Requests().Start();
}

void CAlsaWaveIn::Reset() {
    stream_->Requests().Reset();
}

void CAlsaWaveIn::Close() {
    stream_->Requests().Close();
}

CAlsaWaveOut::CAlsaWaveOut() : stream_(std::make_unique<CAlsaStream>(SND_PCM_STREAM_PLAYBACK)) {}
CAlsaWaveOut::~CAlsaWaveOut() = default;

WaveStatus CAlsaWaveOut::Open(const WaveDeviceId& device, int rate, IWaveOutSink& sink) {
    return stream_->Open(
        device, rate, [&sink](WaveBuffer buffer) { sink.OnWaveOutDone(std::move(buffer)); },
        [&sink] { sink.OnWaveOutClose(); },
        [&sink](const std::string& reason) { sink.OnWaveOutFailed(reason); });
}

bool CAlsaWaveOut::Write(WaveBuffer&& buffer) {
    return stream_->Requests().Add(std::move(buffer));
}

bool CAlsaWaveOut::Start() {
    return stream_->Requests().Start();
}

void CAlsaWaveOut::Reset() {
    stream_->Requests().Reset();
}

void CAlsaWaveOut::Close() {
    stream_->Requests().Close();
}
