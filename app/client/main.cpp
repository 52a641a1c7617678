// tavro-client: the Tavro RF gateway client.

#include "app/client/console_log.h"
#include "app/common/program_options.h"
#include "audio/wav_file_devices.h"
#include "client/automation_proxy.h"
#include "client/client_dlg.h"
#include "client/client_events_fanout.h"
#include "client/field_exchange.h"
#include "client/program_version.h"
#include "platform/alsa_mixer.h"
#include "platform/alsa_wave.h"
#include "platform/clock.h"
#include "platform/com_ports.h"
#include "platform/display.h"
#include "platform/file_target.h"
#include "platform/input_file.h"
#include "platform/instance_lock.h"
#include "platform/log_line.h"
#include "platform/session_bus.h"
#include "platform/settings_path.h"
#include "radio/settings_store.h"
#include "ui/announcements_dialog.h"
#include "ui/main_window.h"
#include "ui/message_box_prompt.h"
#include "ui/preset_servers_dialog.h"
#include "ui/restriction_edit_dialog.h"
#include "ui/rig_keying_dialog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

namespace {
int signalPipe[2] = {-1, -1};

// The byte written is the signal's number, for the log.
void OnSignal(int signal) {
    const char byte = char(signal);
    [[maybe_unused]] ssize_t n = write(signalPipe[1], &byte, 1);
}

void PrintUsage(FILE* out) {
    std::fprintf(
        out,
        "Usage: tavro-client [--headless] [--admin] [--config FILE] [--answer yes|no]\n"
        "                    [--audio-in FILE.wav] [--audio-out FILE.wav] [COMMAND LINE...]\n"
        "       tavro-client --list-audio | --list-serial\n"
        "\n"
        "Links a radio to a room of a Tavro conference server. Without --headless it\n"
        "opens the window \"Varnet - RF Gateway\"; either way what happens is logged\n"
        "on standard error, one line per event.\n"
        "\n"
        "  --headless        run without a window (as a service, or over ssh)\n"
        "  --admin           administer the server instead: its stations' status\n"
        "                    lines (logged one per station when headless), and its\n"
        "                    restrictions; the password is PASS of the settings\n"
        "  --config FILE     settings file (default %s)\n"
        "  --answer yes|no   headless: the answer to Yes/No questions (default no)\n"
        "  --audio-in FILE   take the receiver's audio from a WAV file (played in real\n"
        "                    time, then silence) instead of the sound card\n"
        "  --audio-out FILE  write the transmitter's audio to a WAV file (in real time)\n"
        "                    instead of the sound card\n"
        "  --list-audio      list the sound devices with their number for \"AUDIO_IN\"\n"
        "                    and their name for \"AUDIO_DEVICE\"\n"
        "  --list-serial     list the USB serial adapters with the \"COM_PORTS\" line\n"
        "                    that names each (by its /dev/serial/by-id name)\n"
        "  --version         print the version and exit\n"
        "  --help            show this text\n"
        "\n"
        "COMMAND LINE: empty; a room to join automatically within about 5 s with the\n"
        "stored server settings; or \"#ROOM CALLSIGN\" for the test mode. Headless,\n"
        "an empty command line joins the stored room.\n"
        "\n"
        "SIGINT, SIGTERM and SIGHUP close the program as closing the window does. One\n"
        "gateway runs on a settings file at a time: a second one refuses to start.\n"
        "\n"
        "Transmitter keying (TYPE in section [TX_CTRL] of the settings, or the window's\n"
        "Rig Keying dialog): 0 continuous tone, 1 iLink board, 2 COM port RTS or DTR\n"
        "(squelch on CTS or DSR), 3 the radio's VOX, 4 Halvek board, 5 GPIO pin of a\n"
        "CM108/CM119 USB sound chip through /dev/hidraw (squelch on its Volume Down\n"
        "input), 6 GPIO lines through libgpiod (squelch on a second line).\n",
        DefaultSettingsPath().c_str());
}

void ListAudioDevices() {
    const std::vector<AlsaPcmDevice> devices = ListAlsaWaveDevices();
    std::printf("AUDIO_IN  AUDIO_DEVICE  description\n");
    std::printf("      -1  default  the system's default device\n");
    for (const AlsaPcmDevice& device : devices)
        std::printf("%8d  %s  %s\n", device.index, device.name.c_str(), device.description.c_str());
    if (devices.empty())
        std::printf("No sound card found that can both record and play.\n");
    else
        std::printf("\nAUDIO_DEVICE, when set, is used before AUDIO_IN (in section "
                    "[Tavro_CLIENT]):\na USB card keeps its place when cards are numbered anew.\n");
}

void ListSerialPorts() {
    const std::vector<SerialDeviceEntry> ports = ListSerialDevices();
    if (ports.empty()) {
        std::printf("No USB serial adapter found (ttyUSB, ttyACM). Built-in ports are COM1 = "
                    "/dev/ttyS0 and so on.\n");
        return;
    }
    std::printf("Lines for section [COM_PORTS] of the settings file, one per adapter:\n\n");
    for (size_t i = 0; i < ports.size(); ++i)
        std::printf("COM%zu=%s    (now %s)\n", i + 1, ports[i].name.c_str(),
                    ports[i].device.c_str());
}

void LogLine(const std::string& line) {
    WriteLogLine(LogPriority::Info, line);
}

int Fatal(const std::string& text) {
    WriteFatalLine("tavro-client: " + text);
    return 1;
}

struct Arguments {
    bool headless = false;
    bool admin = false;
    std::string config;
    bool answer = false;
    std::string audioIn, audioOut;
    std::string commandLine;
};

// Returns -1 to go on, otherwise the exit code.
int ParseArguments(int argc, char** argv, Arguments& args) {
    QCommandLineParser parser;
    // Everything from the first word of the command line on is the command line.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption listAudio(QStringLiteral("list-audio"));
    const QCommandLineOption listSerial(QStringLiteral("list-serial"));
    const QCommandLineOption headless(QStringLiteral("headless"));
    const QCommandLineOption admin(QStringLiteral("admin"));
    const QCommandLineOption config(QStringLiteral("config"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption answer(QStringLiteral("answer"), QString(), QStringLiteral("yes|no"));
    const QCommandLineOption audioIn(QStringLiteral("audio-in"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption audioOut(QStringLiteral("audio-out"), QString(),
                                      QStringLiteral("FILE"));
    parser.addOptions({listAudio, listSerial, headless, admin, config, answer, audioIn, audioOut});
    if (const std::optional<int> done =
            ParseProgramOptions(parser, argc, argv, "tavro-client", PrintUsage))
        return *done;
    if (parser.isSet(listAudio)) {
        ListAudioDevices();
        return 0;
    }
    if (parser.isSet(listSerial)) {
        ListSerialPorts();
        return 0;
    }
    if (parser.isSet(answer)) {
        const QString value = parser.value(answer);
        if (value != QLatin1String("yes") && value != QLatin1String("no")) {
            std::fprintf(stderr, "tavro-client: --answer takes yes or no\n");
            return 2;
        }
        args.answer = value == QLatin1String("yes");
    }
    args.headless = parser.isSet(headless);
    args.admin = parser.isSet(admin);
    args.config = parser.value(config).toLocal8Bit().toStdString();
    args.audioIn = parser.value(audioIn).toLocal8Bit().toStdString();
    args.audioOut = parser.value(audioOut).toLocal8Bit().toStdString();
    args.commandLine =
        parser.positionalArguments().join(QLatin1Char(' ')).toLocal8Bit().toStdString();
    return -1;
}

// The first field of the stored settings that the window's field check
// refuses, as "KEY: why", or empty.
class CFieldCheck : public IUserPrompt {
public:
    void ShowMessage(const std::string& text, const std::string&, Icon) override {
        if (refusal.empty())
            refusal = text;
    }
    void ShowFieldMessage(const std::string& setting, const std::string& text) override {
        if (refusal.empty())
            refusal = setting + ": " + text;
    }
    bool AskYesNo(const std::string&) override { return false; }
    std::string refusal;
};
} // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (const int code = ParseArguments(argc, argv, args); code >= 0)
        return code;
    // Qt would abort without a display; say what to do instead.
    if (!args.headless && !DisplayAvailable())
        return Fatal("no display: set DISPLAY or WAYLAND_DISPLAY, or run with --headless");
    // A receiver file that cannot be read would play nothing.
    if (!args.admin && !args.audioIn.empty())
        if (const std::string problem = InputFileProblem(args.audioIn); !problem.empty())
            return Fatal("--audio-in " + args.audioIn + ": " + problem);

    std::unique_ptr<QCoreApplication> app;
    if (args.headless)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavro-client"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Varnet - RF Gateway"));
    // Wayland matches the window to the installed desktop entry, and its icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("tavro-client"));
    CSettingsStore store(args.config.empty() ? DefaultSettingsPath() : args.config);
    // A settings file that could not be saved would lose the settings at exit: refuse at once.
    if (const std::string problem = store.CheckUsable(); !problem.empty())
        return Fatal(problem);
    // Two gateways on one settings file would fight over the radio and the
    // file. Administration leaves both alone and may run beside a gateway.
    CInstanceLock lock;
    if (!args.admin) {
        const std::string settingsFile = FinalLinkTarget(store.Path()).value_or(store.Path());
        pid_t holder = 0;
        std::string error;
        switch (lock.Take(settingsFile + ".lock", holder, error)) {
        case CInstanceLock::Result::Taken:
            break;
        case CInstanceLock::Result::HeldByOther:
            return Fatal("another tavro-client" +
                         (holder > 0 ? " (process " + std::to_string(holder) + ")" : "") +
                         " runs on the settings " + settingsFile +
                         ": stop it first, or give this one another --config file");
        case CInstanceLock::Result::Failed:
            return Fatal(error);
        }
    }
    LogLine("tavro-client " + ProgramVersionText() + "- settings " + store.Path());

    CConsolePrompt consolePrompt(args.answer, WriteLogLine);
    CMessageBoxPrompt windowPrompt;
    CConsoleEvents events(WriteLogLine, SystemClock());
    // The log and the automation object both follow what the window shows.
    CClientEventsFanOut eventReceivers;
    eventReceivers.Add(&events);
    CClient_TavroDlg::Options options;
    options.prompt = args.headless ? static_cast<IUserPrompt*>(&consolePrompt) : &windowPrompt;
    options.events = &eventReceivers;
    // Administration joins no room: it leaves the sound card alone.
    if (args.admin) {
        options.templateId = kAdminTemplate;
    } else {
        if (args.audioIn.empty())
            options.waveIn = std::make_unique<CAlsaWaveIn>();
        else
            options.waveIn = std::make_unique<CWavFileWaveIn>();
        if (args.audioOut.empty())
            options.waveOut = std::make_unique<CAlsaWaveOut>();
        else
            options.waveOut = std::make_unique<CWavFileWaveOut>();
    }
    options.captureDeviceName = args.audioIn;
    options.playbackDeviceName = args.audioOut;
    QWidget* windowForDialogs = nullptr;
    if (!args.headless) {
        options.runRigKeyingDialog = [&windowForDialogs](CRigKeyingDlg& logic) {
            return RunRigKeyingDialog(logic, windowForDialogs);
        };
        options.runRestrictionEditor = [&windowForDialogs](CRestrictionEditEx& logic) {
            RunRestrictionEditor(logic, windowForDialogs);
        };
        options.runAnnouncementsDialog = [&windowForDialogs](CAnnouncementsDlg& logic) {
            return RunAnnouncementsDialog(logic, windowForDialogs);
        };
        options.runPresetServersDialog = [&windowForDialogs](CPresetServersDlg& logic) {
            return RunPresetServersDialog(logic, windowForDialogs);
        };
    }
    auto dialog = std::make_unique<CClient_TavroDlg>(store, std::move(options));
    events.Follow({[&] { return dialog && dialog->State().ReconnectWanted(); },
                   [&] { return dialog && dialog->Settings().autoReconnect; }});
    const std::vector<AlsaPcmDevice> devices = ListAlsaWaveDevices();
    if (!args.admin && (args.audioIn.empty() || args.audioOut.empty())) {
        const char* use = !args.audioIn.empty()    ? "playback"
                          : !args.audioOut.empty() ? "capture"
                                                   : "capture and playback";
        LogLine(DescribeAlsaDeviceUse(use, dialog->Settings().audioDevice, devices));
    }

    std::unique_ptr<CMainWindow> window;
    if (!args.headless) {
        window = std::make_unique<CMainWindow>(*dialog);
        windowForDialogs = window.get();
        windowPrompt.SetParent(window.get());
        // The faders work the mixer of the card that capture and playback use.
        std::string pcm = "default";
        WaveDeviceId id;
        id.index = dialog->Settings().audioDevice;
        PickAlsaPcmName(id, devices, pcm);
        const std::string card = AlsaMixerCardForPcm(pcm);
        window->AttachMixers(
            OpenAlsaMixer(dialog->Settings().lineIn ? MixerSource::Line : MixerSource::Microphone,
                          card),
            OpenAlsaMixer(MixerSource::WaveOut, card));
    }

    // Other programs read and set the connection fields, hold the window and
    // follow its state over D-Bus; without a session bus the gateway runs on.
    CClient_TavroDlgAutoProxy automation(*dialog, eventReceivers);
    std::string reason = "no D-Bus session bus: DBUS_SESSION_BUS_ADDRESS is not set";
    if (SessionBusReachable() && automation.Register(QDBusConnection::sessionBus(), reason))
        LogLine(std::string("D-Bus: offering ") + CClient_TavroDlgAutoProxy::kName + " at " +
                CClient_TavroDlgAutoProxy::kPath);
    else
        LogLine("D-Bus: no automation object (" + reason + ")");
    QObject::connect(dialog.get(), &CClient_TavroDlg::hidden, [&] {
        LogLine("Another program holds the window: it stays open, hidden; a second signal "
                "ends it");
        if (window)
            window->hide();
    });

    // SIGINT, SIGTERM and SIGHUP close the program as closing the window does.
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        std::perror("tavro-client: socketpair");
        return 1;
    }
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char byte = 0;
        [[maybe_unused]] ssize_t n = read(signalPipe[0], &byte, 1);
        LogLine(std::string("Closing on ") + CloseSignalName(byte));
        if (dialog->IsHiddenByClose())
            dialog->SetHeldByController(false); // a second signal ends a held window
        else if (window)
            window->close();
        else
            dialog->OnClose();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);

    QObject::connect(dialog.get(), &CClient_TavroDlg::ended, app.get(), &QCoreApplication::quit,
                     Qt::QueuedConnection);
    dialog->OnInitDialog(args.commandLine);
    if (args.headless && !args.admin) {
        // Headless nobody is there to correct a field: settings that the
        // window's field check refuses stop the gateway at once.
        ClientSettings checked = dialog->Settings();
        CFieldCheck check;
        if (!SaveFields(dialog->Controls(), checked, check, true))
            return Fatal("settings " + store.Path() + ": " + check.refusal);
        const ClientSettings& s = dialog->Settings();
        // There is no Connect button to press: the stored room is joined as
        // a room on the command line would be.
        if (args.commandLine.empty()) {
            if (s.serverHost.empty()) {
                WriteLogLine(LogPriority::Warning,
                             "No server to connect to: HOST is empty in [Tavro_CLIENT] of " +
                                 store.Path() + "; waiting for one over D-Bus");
            } else {
                LogLine("No room on the command line: connecting within about 5 s to the "
                        "stored server " +
                        s.serverHost + ":" + std::to_string(s.serverPort) + ", room " + s.room);
                dialog->ConnectSoon();
            }
        }
        if (!s.autoReconnect)
            WriteLogLine(LogPriority::Warning,
                         "Auto-Reconnect is off (RECO=0 in [Tavro_CLIENT]): a lost connection "
                         "will not be re-established");
    }
    if (window) {
        window->show();
        LogLine("Window shown");
    }
    const int code = app->exec();
    window.reset();
    dialog.reset(); // saves the settings
    LogLine("Closed");
    return code;
}
