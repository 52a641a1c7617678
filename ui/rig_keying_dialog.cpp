#include "ui/rig_keying_dialog.h"

#include "radio/rig_keying_dlg.h"
#include "ui/rig_setup_groups.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

template <class Widget> Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QRadioButton* Radio(const char* caption, const char* name, bool checked) {
    auto* radio = Named(new QRadioButton(QLatin1String(caption)), name);
    radio->setChecked(checked);
    return radio;
}

QCheckBox* Check(const char* caption, const char* name, bool checked) {
    auto* box = Named(new QCheckBox(QLatin1String(caption)), name);
    box->setChecked(checked);
    return box;
}

QLineEdit* Edit(const std::string& text, const char* name) {
    auto* edit = Named(new QLineEdit(Text(text)), name);
    // Room for any number the setting takes, the same for every edit.
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000000000")));
    return edit;
}

// A field with its unit after it.
QWidget* WithUnit(QWidget* field, const char* unit) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    layout->addWidget(new QLabel(QLatin1String(unit)));
    return row;
}

// A port list whose entries also say which device each port opens: "COM3  /dev/ttyUSB0".
QComboBox* PortList(const DlgList& list, const std::vector<std::string>& devices,
                    const char* name) {
    auto* combo = Named(new QComboBox, name);
    for (size_t i = 0; i < list.entries.size(); ++i) {
        std::string entry = list.entries[i];
        if (i < devices.size() && !devices[i].empty())
            entry += "  " + devices[i];
        combo->addItem(Text(entry));
    }
    combo->setCurrentIndex(list.selection);
    return combo;
}

QComboBox* AudioList(const DlgList& list) {
    auto* combo = Named(new QComboBox, "audioDevice");
    // Device descriptions can be long: the list keeps a sensible width and each entry's tip
    // shows it whole.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(30);
    for (const std::string& entry : list.entries) {
        combo->addItem(Text(entry));
        combo->setItemData(combo->count() - 1, Text(entry), Qt::ToolTipRole);
    }
    combo->setCurrentIndex(list.selection);
    if (list.entries.empty()) {
        combo->setPlaceholderText(QStringLiteral("No sound device found"));
        combo->setEnabled(false);
    }
    return combo;
}

QGroupBox* Group(const char* title, const char* name, QLayout* layout) {
    auto* group = Named(new QGroupBox(QLatin1String(title)), name);
    group->setLayout(layout);
    return group;
}

} // namespace

CRigKeyingDialog::CRigKeyingDialog(CRigKeyingDlg& logic, QWidget* parent)
    : QDialog(parent), logic_(logic), lineGroups_(logic.fields) {
    setWindowTitle(QStringLiteral("Rig Keying and Squelch Setup"));

    auto* left = new QVBoxLayout;
    left->addWidget(MakeMethodGroup());
    left->addWidget(MakeToneGroup());
    left->addWidget(MakeTransmitGroup());
    left->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(MakeComKeyingGroup());
    right->addWidget(MakeSquelchGroup());
    right->addWidget(MakeILinkGroup());
    right->addWidget(MakeHalvekGroup());
    right->addStretch();

    auto* lines = new QVBoxLayout;
    lines->addWidget(lineGroups_.Cm108Group());
    lines->addWidget(lineGroups_.GpioGroup());
    lines->addStretch();

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    columns->addLayout(lines);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(MakeAudioGroup());
    layout->addWidget(buttons);

    EnableGroupsOfMethod();
    connect(methods_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            EnableGroupsOfMethod();
    });
}

QGroupBox* CRigKeyingDialog::MakeMethodGroup() {
    const RigKeyingDlgFields& f = logic_.fields;
    methodTone_ = Radio("Continuous Tone", "methodContinuousTone", f.methodContinuousTone);
    methodILink_ = Radio("iLink Board", "methodILink", f.methodILink);
    methodComPort_ = Radio("Com Port", "methodComPort", f.methodComPort);
    methodVox_ = Radio("VOX", "methodVox", f.methodVox);
    methodHalvek_ = Radio("Halvek Board", "methodHalvek", f.methodHalvek);
    methodCm108_ = Radio("CM108/CM119 Sound Chip", "methodCm108", f.methodCm108);
    methodGpio_ = Radio("GPIO Lines", "methodGpio", f.methodGpio);

    methods_ = new QButtonGroup(this);
    auto* layout = new QVBoxLayout;
    for (auto [radio, method] : {std::pair{methodTone_, RigKeyingMethod::Tone},
                                 {methodILink_, RigKeyingMethod::ILink},
                                 {methodComPort_, RigKeyingMethod::ComPort},
                                 {methodVox_, RigKeyingMethod::Vox},
                                 {methodHalvek_, RigKeyingMethod::Halvek},
                                 {methodCm108_, RigKeyingMethod::Cm108},
                                 {methodGpio_, RigKeyingMethod::Gpio}}) {
        methods_->addButton(radio, int(method));
        layout->addWidget(radio);
    }
    return Group("Rig Control Method", "methodGroup", layout);
}

QGroupBox* CRigKeyingDialog::MakeToneGroup() {
    toneFrequency_ = Edit(logic_.fields.toneFrequency, "toneFrequency");
    toneLevel_ = Edit(logic_.fields.toneLevel, "toneLevel");
    auto* layout = new QFormLayout;
    layout->addRow(QStringLiteral("Tone Frequency"), WithUnit(toneFrequency_, "Hz"));
    layout->addRow(QStringLiteral("Tone Level"), toneLevel_);
    toneGroup_ = Group("Continuous Tone", "toneGroup", layout);
    return toneGroup_;
}

QGroupBox* CRigKeyingDialog::MakeTransmitGroup() {
    txTimeoutEnabled_ = Check("Release the transmitter after the Tx Time-out", "txTimeoutEnabled",
                              logic_.fields.txTimeoutEnabled);
    txTimeout_ = Edit(logic_.fields.txTimeout, "txTimeout");
    txRestart_ = Edit(logic_.fields.txRestart, "txRestart");
    auto* layout = new QFormLayout;
    layout->addRow(txTimeoutEnabled_);
    layout->addRow(QStringLiteral("Tx Time-out"), WithUnit(txTimeout_, "s"));
    layout->addRow(QStringLiteral("Tx Restart"), WithUnit(txRestart_, "s"));
    return Group("Transmitter", "transmitGroup", layout);
}

QGroupBox* CRigKeyingDialog::MakeComKeyingGroup() {
    const RigKeyingDlgFields& f = logic_.fields;
    comPort_ = PortList(f.comPort, logic_.portDevices, "comPort");
    rts_ = Radio("RTS ", "rts", f.rts);
    dtr_ = Radio("DTR", "dtr", f.dtr);
    invertKeying_ = Check("Invert Voltage", "invertKeying", f.invertKeying);

    auto* lines = new QHBoxLayout;
    lines->addWidget(rts_);
    lines->addWidget(dtr_);
    lines->addStretch();
    auto* layout = new QFormLayout;
    layout->addRow(QStringLiteral("Com Port"), comPort_);
    layout->addRow(QStringLiteral("Key Line"), lines);
    layout->addRow(invertKeying_);
    comKeyingGroup_ = Group("Com Port Keying", "comKeyingGroup", layout);
    return comKeyingGroup_;
}

QGroupBox* CRigKeyingDialog::MakeSquelchGroup() {
    const RigKeyingDlgFields& f = logic_.fields;
    squelchVox_ = Radio("VOX", "squelchVox", f.squelchVox);
    squelchCts_ = Radio("CTS", "squelchCts", f.squelchCts);
    squelchDsr_ = Radio("DSR", "squelchDsr", f.squelchDsr);
    invertSquelch_ = Check("Invert Voltage", "invertSquelch", f.invertSquelch);

    auto* lines = new QHBoxLayout;
    lines->addWidget(squelchVox_);
    lines->addWidget(squelchCts_);
    lines->addWidget(squelchDsr_);
    lines->addStretch();
    auto* layout = new QVBoxLayout;
    layout->addLayout(lines);
    layout->addWidget(invertSquelch_);
    squelchGroup_ = Group("Squelch", "squelchGroup", layout);
    return squelchGroup_;
}

QGroupBox* CRigKeyingDialog::MakeILinkGroup() {
    ilinkPort_ = PortList(logic_.fields.ilinkPort, logic_.portDevices, "ilinkPort");
    auto* layout = new QFormLayout;
    layout->addRow(QStringLiteral("Com Port"), ilinkPort_);
    ilinkGroup_ = Group("iLink Board", "ilinkGroup", layout);
    return ilinkGroup_;
}

QGroupBox* CRigKeyingDialog::MakeHalvekGroup() {
    const RigKeyingDlgFields& f = logic_.fields;
    halvekPort_ = PortList(f.halvekPort, logic_.portDevices, "halvekPort");
    halvekDigitalSquelch_ =
        Check("Digital Squelch", "halvekDigitalSquelch", f.halvekDigitalSquelch);
    halvekActiveHigh_ = Check("Digital Squelch Active High", "halvekDigitalSquelchActiveHigh",
                              f.halvekDigitalSquelchActiveHigh);

    analogSquelchLevel_ = Named(new QSlider(Qt::Horizontal), "analogSquelchLevel");
    analogSquelchLevel_->setRange(0, CRigKeyingDlg::kAnalogSquelchMaximum);
    analogSquelchLevel_->setPageStep(1);
    analogSquelchLevel_->setTickPosition(QSlider::TicksBelow);
    analogSquelchLevel_->setValue(f.analogSquelchLevel);
    auto* level = new QLabel;
    level->setNum(analogSquelchLevel_->value());
    level->setMinimumWidth(level->fontMetrics().horizontalAdvance(QStringLiteral("15")));
    connect(analogSquelchLevel_, &QSlider::valueChanged, level, qOverload<int>(&QLabel::setNum));
    auto* slider = new QHBoxLayout;
    slider->addWidget(analogSquelchLevel_);
    slider->addWidget(level);

    auto* layout = new QFormLayout;
    layout->addRow(QStringLiteral("Com Port"), halvekPort_);
    layout->addRow(halvekDigitalSquelch_);
    layout->addRow(halvekActiveHigh_);
    layout->addRow(new QLabel(QStringLiteral("Analog Squelch Level")));
    layout->addRow(slider);
    halvekGroup_ = Group("Halvek Board", "halvekGroup", layout);
    return halvekGroup_;
}

QGroupBox* CRigKeyingDialog::MakeAudioGroup() {
    audioDevice_ = AudioList(logic_.fields.audioDevice);
    auto* layout = new QFormLayout;
    layout->addRow(QStringLiteral("Sound Device"), audioDevice_);
    return Group("Audio", "audioGroup", layout);
}

void CRigKeyingDialog::EnableGroupsOfMethod() {
    // With no method checked the logic keys by VOX.
    const int id = methods_->checkedId();
    const RigSetupGroups groups =
        GroupsForMethod(id < 0 ? RigKeyingMethod::Vox : RigKeyingMethod(id));
    toneGroup_->setEnabled(groups.continuousTone);
    comKeyingGroup_->setEnabled(groups.comKeying);
    squelchGroup_->setEnabled(groups.squelchLines);
    ilinkGroup_->setEnabled(groups.ilink);
    halvekGroup_->setEnabled(groups.halvek);
    lineGroups_.Enable(groups);
}

void CRigKeyingDialog::WriteFields() {
    RigKeyingDlgFields& f = logic_.fields;
    f.methodContinuousTone = methodTone_->isChecked();
    f.methodILink = methodILink_->isChecked();
    f.methodComPort = methodComPort_->isChecked();
    f.methodVox = methodVox_->isChecked();
    f.methodHalvek = methodHalvek_->isChecked();
    f.methodCm108 = methodCm108_->isChecked();
    f.methodGpio = methodGpio_->isChecked();
    lineGroups_.WriteFields();

    f.comPort.selection = comPort_->currentIndex();
    f.ilinkPort.selection = ilinkPort_->currentIndex();
    f.halvekPort.selection = halvekPort_->currentIndex();

    f.toneFrequency = toneFrequency_->text().toStdString();
    f.toneLevel = toneLevel_->text().toStdString();
    f.txTimeoutEnabled = txTimeoutEnabled_->isChecked();
    f.txTimeout = txTimeout_->text().toStdString();
    f.txRestart = txRestart_->text().toStdString();

    f.rts = rts_->isChecked();
    f.dtr = dtr_->isChecked();
    f.invertKeying = invertKeying_->isChecked();

    f.squelchVox = squelchVox_->isChecked();
    f.squelchCts = squelchCts_->isChecked();
    f.squelchDsr = squelchDsr_->isChecked();
    f.invertSquelch = invertSquelch_->isChecked();

    f.halvekDigitalSquelch = halvekDigitalSquelch_->isChecked();
    f.halvekDigitalSquelchActiveHigh = halvekActiveHigh_->isChecked();
    f.analogSquelchLevel = analogSquelchLevel_->value();

    f.audioDevice.selection = audioDevice_->currentIndex();
}

void CRigKeyingDialog::accept() {
    WriteFields();
    QDialog::accept();
}

bool RunRigKeyingDialog(CRigKeyingDlg& logic, QWidget* parent) {
    CRigKeyingDialog dialog(logic, parent);
    return dialog.exec() == QDialog::Accepted;
}
