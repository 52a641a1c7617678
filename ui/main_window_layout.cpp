// The gateway layout: the controls of the main window, grouped as the
// original dialog groups them, in Qt layouts so that the window follows the
// font and the desktop's scaling.

#include "ui/main_window.h"

#include "client/client_dlg.h"
#include "client/control_ids.h"
#include "ui/color_button.h"
#include "ui/mixer_fader.h"
#include "ui/peak_meter.h"
#include "ui/push_to_talk_widget.h"
#include "ui/tab_stop_delegate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QVBoxLayout>

namespace {
// The detectors' tones, in the order of their sliders and meters.
constexpr const char* kDtmfToneNames[8] = {"697", "770", "852", "941",
                                           "1209", "1336", "1477", "1633"};
const QColor kMeterBackground(192, 192, 192);

QString Q(const char* text) { return QString::fromUtf8(text); }

// The original trackbars have their minimum at the top; so do ours, so that
// positions mean what the controller expects.
QSlider* VerticalSlider() {
    auto* slider = new QSlider(Qt::Vertical);
    slider->setInvertedAppearance(true);
    slider->setInvertedControls(true);
    return slider;
}
} // namespace

void CMainWindow::BuildLayout() {
    CWidgetBinding& bind = *binding_;
    // A control's caption lives in the model, so that the controller can
    // change it (VOX becomes "Mute", the input group "Line").
    auto caption = [this](int id, const char* text) { SetDefaultCaption(id, text); };
    const int du = std::max(1, fontMetrics().averageCharWidth() / 4); // a horizontal dialog unit

    auto edit = [this](int id) { return MakeEdit(id); };
    auto button = [this](int id, const char* text) { return MakeButton(id, text); };
    auto check = [&](int id, const char* text) {
        caption(id, text);
        auto* c = new QCheckBox(Q(text));
        c->setObjectName(QString::number(id));
        bind.BindCheckBox(id, c);
        return c;
    };
    auto label = [&](int id, const char* text) {
        caption(id, text);
        auto* l = new QLabel;
        l->setObjectName(QString::number(id));
        bind.BindLabel(id, l);
        return l;
    };
    auto slider = [&](int id, QSlider* s) {
        s->setObjectName(QString::number(id));
        bind.BindSlider(id, s);
        return s;
    };
    auto meter = [&](int id) {
        auto* m = new CPeakMeter(kMeterBackground);
        m->setObjectName(QString::number(id));
        m->setMinimumWidth(m->sizeHint().width()); // a squeezed column would hide it
        meters_[id] = m;
        return m;
    };
    auto fader = [&](int id) {
        auto* f = new CMixerFader;
        f->setObjectName(QString::number(id));
        faders_[id] = f;
        return f;
    };

    // ---- the station and the server
    auto* station = new QGroupBox(QStringLiteral("Station"));
    auto* stationGrid = new QGridLayout(station);
    QLineEdit* callsign = edit(IDC_CALLSIGN);
    callsign->setMaxLength(10);
    QLineEdit* comment = edit(IDC_COMMENT);
    comment->setMaxLength(100);
    stationGrid->addWidget(new QLabel(QStringLiteral("Callsign")), 0, 0);
    stationGrid->addWidget(callsign, 0, 1);
    stationGrid->addWidget(new QLabel(QStringLiteral("Comment")), 1, 0);
    stationGrid->addWidget(comment, 1, 1);
    stationGrid->addWidget(button(IDC_SEND, "Send"), 1, 2);

    auto* server = new QGroupBox(QStringLiteral("Server"));
    auto* serverGrid = new QGridLayout(server);
    auto* presets = new QComboBox;
    presets->setObjectName(QString::number(IDC_PRESETS));
    bind.BindCombo(IDC_PRESETS, presets);
    QLineEdit* port = edit(IDC_PORT);
    port->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), port));
    port->setMaximumWidth(48 * du);
    QLineEdit* password = edit(IDC_SERVER_PASSWORD);
    password->setEchoMode(QLineEdit::Password);
    auto* talkGroup = new QComboBox;
    talkGroup->setObjectName(QString::number(IDC_TALK_GROUP));
    talkGroup->setEditable(true);
    talkGroup->setInsertPolicy(QComboBox::NoInsert);
    talkGroup->lineEdit()->setMaxLength(10);
    bind.BindCombo(IDC_TALK_GROUP, talkGroup);
    serverGrid->addWidget(new QLabel(QStringLiteral("Presets")), 0, 0);
    serverGrid->addWidget(presets, 0, 1, 1, 3);
    serverGrid->addWidget(button(IDC_EDIT_PRESETS, "Edit..."), 0, 4);
    serverGrid->addWidget(new QLabel(QStringLiteral("Server")), 1, 0);
    serverGrid->addWidget(edit(IDC_SERVER), 1, 1);
    serverGrid->addWidget(new QLabel(QStringLiteral("Port")), 1, 2);
    serverGrid->addWidget(port, 1, 3, 1, 2);
    serverGrid->addWidget(new QLabel(QStringLiteral("Password")), 2, 0);
    serverGrid->addWidget(password, 2, 1);
    serverGrid->addWidget(new QLabel(QStringLiteral("Talk Group")), 2, 2);
    serverGrid->addWidget(talkGroup, 2, 3, 1, 2);
    serverGrid->setColumnStretch(1, 1);

    // ---- connecting, push-to-talk and the lamp
    auto* ptt = new CPushToTalkWidget(dialog_.PushToTalkButton(), QStringLiteral("PTT"));
    ptt->setObjectName(QString::number(IDC_PTT));
    caption(IDC_PTT, "PTT");
    bind.BindButton(IDC_PTT, ptt);
    auto* lamp = new CColorButton;
    lamp->setObjectName(QString::number(IDC_TX_LAMP));
    bind.BindLamp(IDC_TX_LAMP, lamp);
    auto* connectRow = new QHBoxLayout;
    connectRow->addWidget(button(IDC_CONNECT, "Connect"));
    connectRow->addWidget(button(IDC_DISCONNECT, "Disconnect"));
    connectRow->addWidget(ptt);
    connectRow->addWidget(lamp);
    connectRow->addStretch();
    connectRow->addWidget(MakeMenuButton());
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(check(IDC_VOX, "VOX"));
    checkRow->addWidget(check(IDC_AUTO_RECONNECT, "Auto-Reconnect"));
    checkRow->addWidget(check(IDC_DIAL_UP, "Dial-up to Internet on Connect"));
    checkRow->addStretch();

    auto* members = new QListWidget;
    members->setObjectName(QString::number(IDC_MAIN_LIST));
    members->setItemDelegate(new CTabStopDelegate(60 * du, members));
    members->setMinimumHeight(fontMetrics().height() * 10);
    bind.BindList(IDC_MAIN_LIST, members);

    auto* left = new QVBoxLayout;
    left->addWidget(station);
    left->addWidget(server);
    left->addLayout(connectRow);
    left->addLayout(checkRow);
    left->addWidget(members, 1);
    left->addWidget(label(IDC_IDLE_TIMER, "idle timer"));

    // ---- the audio levels
    auto* input = new QGroupBox;
    input->setObjectName(QString::number(IDC_INPUT_GROUP));
    caption(IDC_INPUT_GROUP, "Mic");
    bind.BindGroup(IDC_INPUT_GROUP, input);
    auto* inputGrid = new QGridLayout(input);
    inputGrid->addWidget(label(IDC_INPUT_COLUMNS, "Vox  Vu  Vol"), 0, 0, 1, 3, Qt::AlignHCenter);
    inputGrid->addWidget(slider(IDC_VOX_LEVEL, VerticalSlider()), 1, 0, Qt::AlignHCenter);
    inputGrid->addWidget(meter(IDC_INPUT_METER), 1, 1, Qt::AlignHCenter);
    inputGrid->addWidget(fader(IDC_INPUT_FADER), 1, 2, Qt::AlignHCenter);
    inputGrid->addWidget(check(IDC_LINE_IN, "Line In"), 2, 0, 1, 3);
    inputGrid->addWidget(check(IDC_ALC, "ALC"), 3, 0, 1, 3);
    inputGrid->setRowStretch(1, 1);

    auto* output = new QGroupBox(QStringLiteral("Output"));
    auto* outputGrid = new QGridLayout(output);
    outputGrid->addWidget(new QLabel(QStringLiteral("Vu  Vol")), 0, 0, 1, 2, Qt::AlignHCenter);
    outputGrid->addWidget(meter(IDC_OUTPUT_METER), 1, 0, Qt::AlignHCenter);
    outputGrid->addWidget(fader(IDC_OUTPUT_FADER), 1, 1, Qt::AlignHCenter);
    outputGrid->setRowStretch(1, 1);

    auto* levels = new QHBoxLayout;
    levels->addWidget(input);
    levels->addWidget(output);
    auto* silenceLabel = new QLabel(QStringLiteral("Silence Level"));
    QSlider* silence = slider(IDC_SILENCE_LEVEL, new QSlider(Qt::Horizontal));
    // The label goes with its slider when the rig set-up hides it.
    bind.BindCompanion(IDC_SILENCE_LEVEL, silenceLabel);
    auto* middle = new QVBoxLayout;
    middle->addLayout(levels, 1);
    middle->addWidget(silenceLabel);
    middle->addWidget(silence);

    // ---- Morse, identification and the rig
    auto* morse = new QGroupBox(QStringLiteral("Morse and ID"));
    auto* morseForm = new QFormLayout(morse);
    QLineEdit* speed = edit(IDC_CW_SPEED);
    speed->setValidator(new QIntValidator(0, 99, speed));
    QLineEdit* tone = edit(IDC_CW_FREQUENCY);
    tone->setValidator(new QIntValidator(0, 9999, tone));
    QLineEdit* volume = edit(IDC_CW_VOLUME);
    volume->setValidator(new QIntValidator(0, 99999, volume));
    QLineEdit* settling = edit(IDC_SQUELCH_SETTLING);
    settling->setValidator(new QIntValidator(-999999, 999999, settling));
    morseForm->addRow(QStringLiteral("Speed (WPM)"), speed);
    morseForm->addRow(QStringLiteral("Frequency (Hz)"), tone);
    morseForm->addRow(QStringLiteral("Volume 0-32000"), volume);
    morseForm->addRow(QStringLiteral("Squelch Settling (ms)"), settling);
    morseForm->addRow(QStringLiteral("Courtesy CW"), edit(IDC_COURTESY_TEXT));
    morseForm->addRow(QStringLiteral("ID CW"), edit(IDC_ID_TEXT));
    morseForm->addRow(check(IDC_COURTESY_TONES, "Courtesy Tones"));
    morseForm->addRow(check(IDC_ID_IF_IDLE, "ID if Idle"));
    morseForm->addRow(check(IDC_FORCE_ID, "Force ID Enabled"));
    morseForm->addRow(button(IDC_APPLY, "Apply"));
    auto* setupRow = new QHBoxLayout;
    setupRow->addWidget(button(IDC_RIG_KEYING, "Rig Keying..."));
    setupRow->addWidget(button(IDC_ANNOUNCEMENTS, "Setup RF Announcements..."));

    // ---- DTMF: a gain slider and a level meter per tone
    auto* dtmf = new QGroupBox(QStringLiteral("DTMF"));
    auto* dtmfGrid = new QGridLayout(dtmf);
    for (int i = 0; i < 8; ++i) {
        auto* name = new QLabel(Q(kDtmfToneNames[i]));
        name->setAlignment(Qt::AlignHCenter);
        dtmfGrid->addWidget(name, 0, 2 * i, 1, 2);
        QSlider* gain = slider(kDtmfGainSliders[i], VerticalSlider());
        CPeakMeter* level = meter(kDtmfLevelMeters[i]);
        gain->setMinimumHeight(fontMetrics().height() * 6);
        level->setMinimumHeight(fontMetrics().height() * 6);
        dtmfGrid->addWidget(gain, 1, 2 * i, Qt::AlignHCenter);
        dtmfGrid->addWidget(level, 1, 2 * i + 1, Qt::AlignHCenter);
    }
    dtmfGrid->setRowStretch(1, 1);
    auto* codes = new QFormLayout;
    codes->addRow(QStringLiteral("Connect Code"), edit(IDC_CONNECT_CODE));
    codes->addRow(QStringLiteral("Disconnect Code"), edit(IDC_DISCONNECT_CODE));
    QLabel* digits = label(IDC_DTMF_DIGITS, "");
    digits->setFrameShape(QFrame::StyledPanel);
    digits->setMinimumWidth(40 * du);
    codes->addRow(QStringLiteral("Decoded"), digits);
    dtmfGrid->addLayout(codes, 2, 0, 1, 12);
    dtmfGrid->addWidget(button(IDC_DTMF_HELP, "DTMF Help"), 2, 12, 1, 4, Qt::AlignBottom);

    auto* right = new QVBoxLayout;
    right->addWidget(morse);
    right->addLayout(setupRow);
    right->addWidget(dtmf, 1);

    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 3);
    top->addLayout(middle, 1);
    top->addLayout(right, 2);
}

void CMainWindow::SetDefaultCaption(int id, const char* text) {
    CDialogControls& controls = dialog_.Controls();
    if (controls.Text(id).empty())
        controls.SetText(id, text);
}

QLineEdit* CMainWindow::MakeEdit(int id) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::number(id));
    binding_->BindEdit(id, edit);
    return edit;
}

QPushButton* CMainWindow::MakeButton(int id, const char* caption) {
    SetDefaultCaption(id, caption);
    auto* button = new QPushButton(QString::fromUtf8(caption));
    button->setObjectName(QString::number(id));
    binding_->BindButton(id, button);
    return button;
}
