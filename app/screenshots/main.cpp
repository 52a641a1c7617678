// tavro-screenshots: pictures of the windows for the documentation. Runs a
// stand-in server, a remote station that talks into room UK-1, and the
// gateway's window on Qt's offscreen platform; once the remote station's
// over plays, it saves the main window and its dialogs, then the
// administration layout and its restrictions editor, as PNG files in the
// folder given.

#include "audio/wav_file.h"
#include "audio/wav_file_devices.h"
#include "client/client_dlg.h"
#include "radio/rig_keying_dlg.h"
#include "radio/settings_store.h"
#include "server/stand_in_server.h"
#include "ui/main_window.h"
#include "ui/rig_keying_dialog.h"
#include "ui/announcements_dialog.h"
#include "ui/preset_servers_dialog.h"
#include "ui/restriction_edit_dialog.h"
#include "radio/announcements_dlg.h"
#include "radio/preset_servers_dlg.h"
#include "radio/restriction_editor.h"
#include "client/control_ids.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {
class CSilentPrompt : public IUserPrompt {
public:
    void ShowMessage(const std::string& text, const std::string&, Icon) override {
        std::fprintf(stderr, "tavro-screenshots: message: %s\n", text.c_str());
    }
    bool AskYesNo(const std::string&) override { return false; }
    bool AnswersByItself() const override { return true; }
};

void WriteSettings(const std::string& path, const std::string& callsign, int port) {
    std::ofstream(path) << "[Tavro_CLIENT]\nHOST=127.0.0.1\nPORT=" << port << "\nCALL=" << callsign
                        << "\nCOMM=Demo station " << callsign << "\nROOM=UK-1\n";
}

// A warbling tone, loud enough to light most of the output meter.
bool WriteTone(const std::string& path, int seconds) {
    std::vector<int16_t> samples(size_t(8000 * seconds));
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) / 8000;
        samples[i] = int16_t(26000 * std::sin(2 * M_PI * (600 + 200 * std::sin(2 * M_PI * t)) * t));
    }
    return WriteWaveFile(path, samples);
}

constexpr char kAdminPassword[] = "demo";

bool RunUntil(const std::function<bool()>& done, int ms);

// Saves a picture of a window or dialog at its natural size and names it.
void Save(QWidget& widget, const QString& path) {
    widget.adjustSize();
    widget.grab().save(path);
    std::printf("%s\n", qPrintable(path));
}

bool RunUntil(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

std::unique_ptr<CClient_TavroDlg> MakeClient(CSettingsStore& store, IUserPrompt& prompt,
                                             const std::string& in, const std::string& out) {
    CClient_TavroDlg::Options options;
    options.prompt = &prompt;
    options.waveIn = std::make_unique<CWavFileWaveIn>();
    options.waveOut = std::make_unique<CWavFileWaveOut>();
    options.captureDeviceName = in;
    options.playbackDeviceName = out;
    options.watchdogPeriodMs = 200;
    return std::make_unique<CClient_TavroDlg>(store, std::move(options));
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: tavro-screenshots FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "tavro-screenshots: cannot make %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir work;
    const std::string dir = work.path().toStdString();

    CServerOptions serverOptions;
    serverOptions.listen = "127.0.0.1:0";
    serverOptions.adminPassword = kAdminPassword;
    CStandInServer server(serverOptions);
    std::string error;
    if (!server.Start(error)) {
        std::fprintf(stderr, "tavro-screenshots: %s\n", error.c_str());
        return 1;
    }
    WriteSettings(dir + "/gateway.INI", "G0DEMO", server.Port());
    WriteSettings(dir + "/remote.INI", "M0RMT", server.Port());
    const std::vector<int16_t> silence(8000);
    if (!WriteTone(dir + "/tone.wav", 60) || !WriteWaveFile(dir + "/quiet.wav", silence)) {
        std::fprintf(stderr, "tavro-screenshots: cannot write the test sounds in %s\n", dir.c_str());
        return 1;
    }

    CSilentPrompt prompt;
    CSettingsStore gatewayStore(dir + "/gateway.INI");
    CSettingsStore remoteStore(dir + "/remote.INI");
    auto gateway = MakeClient(gatewayStore, prompt, dir + "/quiet.wav", dir + "/played.wav");
    auto remote = MakeClient(remoteStore, prompt, dir + "/tone.wav", dir + "/remote-played.wav");
    CMainWindow window(*gateway);
    window.AttachMixers(nullptr, nullptr);
    gateway->OnInitDialog("UK-1");
    remote->OnInitDialog("UK-1");
    window.show();

    const bool talking =
        RunUntil([&] { return gateway->IsConnected() && remote->IsConnected(); }, 10000) &&
        (remote->OnPushToTalkStart(), true) &&
        RunUntil([&] { return gateway->Talker() == "M0RMT" && gateway->Levels().outputPeak > 20000; },
                 10000);
    if (!talking) {
        std::fprintf(stderr, "tavro-screenshots: the remote station's over did not reach the gateway\n");
        return 1;
    }
    RunUntil([] { return false; }, 300); // let the meters catch up
    const QString mainPicture = folder + "/main-window.png";
    window.grab().save(mainPicture);

    std::printf("%s\n", qPrintable(mainPicture));

    CRigKeyingDlg rigLogic;
    RigSettings rig;
    LoadRigSettings(gatewayStore.Ini(), rig);
    rigLogic.Open(rig, {AudioDeviceEntry("plughw:CARD=Device,DEV=0", "USB Audio Device")});
    rigLogic.ListPortDevices(gatewayStore.Ini());
    CRigKeyingDialog rigDialog(rigLogic, &window);
    Save(rigDialog, folder + "/rig-keying-dialog.png");

    // The announcements and presets a gateway might keep.
    ClientSettings shown = gateway->Settings();
    shown.announcements = {{0, "/usr/share/sounds/tavro/welcome.wav", 5}, {1, "DE G0DEMO", 10}};
    shown.presets = {{"Home - UK-1", "", 10024, "UK-1", "tavro.example.org"},
                     {"Club - 101", "", 10024, "101", "club.example.net"}};
    CAnnouncementsDlg announcementsLogic;
    announcementsLogic.Open(shown);
    CAnnouncementsDialog announcementsDialog(announcementsLogic, &window);
    Save(announcementsDialog, folder + "/announcements-dialog.png");
    CPresetServersDlg presetsLogic;
    presetsLogic.Open(shown.presets, ProposedPreset(shown.serverHost, shown.serverPort, shown.room));
    CPresetServersDialog presetsDialog(presetsLogic, &window);
    Save(presetsDialog, folder + "/preset-servers-dialog.png");

    // The administration layout over the same server, and its editor.
    WriteSettings(dir + "/admin.INI", "G0ADM", server.Port());
    std::ofstream(dir + "/admin.INI", std::ios::app) << "PASS=" << kAdminPassword << "\n";
    CSettingsStore adminStore(dir + "/admin.INI");
    CClient_TavroDlg::Options adminOptions;
    adminOptions.prompt = &prompt;
    adminOptions.templateId = kAdminTemplate;
    adminOptions.runRestrictionEditor = [&](CRestrictionEditEx& logic) {
        CRestrictionEditDialog editor(logic, &window);
        editor.show();
        RunUntil([&] { return logic.LineCount() >= 2; }, 5000);
        Save(editor, folder + "/restrictions-editor.png");
    };
    CClient_TavroDlg admin(adminStore, std::move(adminOptions));
    CMainWindow adminWindow(admin);
    admin.OnInitDialog("");
    adminWindow.show();
    admin.OnCommand(IDC_CONNECT);
    if (RunUntil([&] { return admin.Controls().Count(IDC_MAIN_LIST) >= 2 &&
                              admin.Controls().IsEnabled(IDC_RESTRICTIONS); },
                 10000)) {
        Save(adminWindow, folder + "/admin-window.png");
        admin.OnCommand(IDC_RESTRICTIONS);
    } else {
        std::fprintf(stderr, "tavro-screenshots: the administration login did not come through\n");
    }
    admin.OnClose();

    remote->OnClose();
    gateway->OnClose();
    RunUntil([&] { return remote->IsEnded() && gateway->IsEnded() && admin.IsEnded(); }, 5000);
    return 0;
}
