// tavro-client: the Tavro RF gateway client.

#include "app/client/console_log.h"
#include "audio/wav_file_devices.h"
#include "client/automation_proxy.h"
#include "client/client_dlg.h"
#include "client/client_events_fanout.h"
#include "client/program_version.h"
#include "platform/alsa_mixer.h"
#include "platform/alsa_wave.h"
#include "platform/display.h"
#include "platform/settings_path.h"
#include "radio/settings_store.h"
#include "ui/announcements_dialog.h"
#include "ui/main_window.h"
#include "ui/message_box_prompt.h"
#include "ui/preset_servers_dialog.h"
#include "ui/restriction_edit_dialog.h"
#include "ui/rig_keying_dialog.h"

#include <QApplication>
#include <QDBusConnection>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {
int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(signalPipe[1], &byte, 1);
}

void PrintUsage(FILE* out) {
    std::fprintf(
        out,
        "Usage: tavro-client [--headless] [--admin] [--config FILE] [--answer yes|no]\n"
        "                    [--audio-in FILE.wav] [--audio-out FILE.wav] [COMMAND LINE...]\n"
        "       tavro-client --list-audio\n"
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
        "  --version         print the version and exit\n"
        "  --help            show this text\n"
        "\n"
        "COMMAND LINE: empty; a room to join automatically within about 5 s with the\n"
        "stored server settings; or \"#ROOM CALLSIGN\" for the test mode.\n"
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
    std::printf("AUDIO_IN  device\n");
    std::printf("      -1  default (the system's default device)\n");
    for (const AlsaPcmDevice& device : devices)
        std::printf("%8d  %s  %s\n", device.index, device.name.c_str(), device.description.c_str());
    if (devices.empty())
        std::printf("No sound card found that can both record and play.\n");
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
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("tavro-client %s\n", ProgramVersionText().c_str());
            return 0;
        }
        if (a == "--list-audio") {
            ListAudioDevices();
            return 0;
        }
        if (a == "--audio-in" && i + 1 < argc) {
            args.audioIn = argv[++i];
        } else if (a == "--audio-out" && i + 1 < argc) {
            args.audioOut = argv[++i];
        } else if (a == "--headless") {
            args.headless = true;
        } else if (a == "--admin") {
            args.admin = true;
        } else if (a == "--config" && i + 1 < argc) {
            args.config = argv[++i];
        } else if (a == "--answer" && i + 1 < argc) {
            const std::string value = argv[++i];
            if (value != "yes" && value != "no") {
                std::fprintf(stderr, "tavro-client: --answer takes yes or no\n");
                return 2;
            }
            args.answer = value == "yes";
        } else if (a == "--") {
            ++i;
            break;
        } else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "tavro-client: unknown or incomplete option '%s'\n\n", a.c_str());
            PrintUsage(stderr);
            return 2;
        } else {
            break;
        }
    }
    for (; i < argc; ++i) {
        if (!args.commandLine.empty())
            args.commandLine += ' ';
        args.commandLine += argv[i];
    }
    return -1;
}
} // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (const int code = ParseArguments(argc, argv, args); code >= 0)
        return code;
    // Qt would abort without a display; say what to do instead.
    if (!args.headless && !DisplayAvailable()) {
        std::fprintf(stderr, "tavro-client: no display: set DISPLAY or WAYLAND_DISPLAY, or run "
                             "with --headless\n");
        return 1;
    }

    std::unique_ptr<QCoreApplication> app;
    if (args.headless)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavro-client"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Varnet - RF Gateway"));
    CSettingsStore store(args.config.empty() ? DefaultSettingsPath() : args.config);
    // A settings file that could not be saved would lose the settings at exit: refuse at once.
    if (const std::string problem = store.CheckUsable(); !problem.empty()) {
        std::fprintf(stderr, "tavro-client: %s\n", problem.c_str());
        return 1;
    }
    LogLine("tavro-client " + ProgramVersionText() + "- settings " + store.Path());

    CConsolePrompt consolePrompt(args.answer);
    CMessageBoxPrompt windowPrompt;
    CConsoleEvents events;
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
            OpenAlsaMixer(dialog->Settings().lineIn ? MixerSource::Line : MixerSource::Microphone, card),
            OpenAlsaMixer(MixerSource::WaveOut, card));
    }

    // Other programs read and set the connection fields, hold the window and
    // follow its state over D-Bus; without a session bus the gateway runs on.
    CClient_TavroDlgAutoProxy automation(*dialog, eventReceivers);
    std::string reason;
    if (automation.Register(QDBusConnection::sessionBus(), reason))
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

    // SIGINT and SIGTERM close the program as closing the window does.
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        std::perror("tavro-client: socketpair");
        return 1;
    }
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char byte;
        [[maybe_unused]] ssize_t n = read(signalPipe[0], &byte, 1);
        LogLine("Closing");
        if (dialog->IsHiddenByClose())
            dialog->SetHeldByController(false); // a second signal ends a held window
        else if (window)
            window->close();
        else
            dialog->OnClose();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    QObject::connect(dialog.get(), &CClient_TavroDlg::ended, app.get(), &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Headless there is no Connect button to press: without a room on the
    // command line the gateway joins the stored room (as a service does).
    if (args.headless && !args.admin && args.commandLine.empty())
        args.commandLine = dialog->Settings().room;
    dialog->OnInitDialog(args.commandLine);
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
