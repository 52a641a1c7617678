#include "ui/rig_line_groups.h"

#include "radio/rig_keying_dlg.h"
#include "ui/rig_setup_groups.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>

namespace {

QLineEdit* TextEdit(const std::string& text, const char* name, const char* placeholder) {
    auto* edit = new QLineEdit(QString::fromStdString(text));
    edit->setObjectName(QLatin1String(name));
    edit->setPlaceholderText(QLatin1String(placeholder));
    // Room for a device path such as /dev/hidraw12.
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("/dev/hidraw00__")));
    return edit;
}

QCheckBox* Check(const char* caption, const char* name, bool checked) {
    auto* box = new QCheckBox(QLatin1String(caption));
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

QGroupBox* Group(const char* title, const char* name, QLayout* layout) {
    auto* group = new QGroupBox(QLatin1String(title));
    group->setObjectName(QLatin1String(name));
    group->setLayout(layout);
    return group;
}

} // namespace

CRigLineGroups::CRigLineGroups(RigKeyingDlgFields& fields) : fields_(fields) {
    cm108Group_ = MakeCm108Group();
    gpioGroup_ = MakeGpioGroup();
}

QGroupBox* CRigLineGroups::MakeCm108Group() {
    const RigKeyingDlgFields& f = fields_;
    cm108Device_ = TextEdit(f.cm108Device, "cm108Device", "first C-Media chip");
    cm108Pin_ = new QComboBox;
    cm108Pin_->setObjectName(QStringLiteral("cm108Pin"));
    for (const std::string& entry : f.cm108Pin.entries)
        cm108Pin_->addItem(QString::fromStdString(entry));
    cm108Pin_->setCurrentIndex(f.cm108Pin.selection);
    cm108InvertKeying_ = Check("Invert Voltage", "cm108InvertKeying", f.cm108InvertKeying);
    cm108Squelch_ = Check("Squelch on Volume Down input", "cm108Squelch", f.cm108Squelch);
    cm108InvertSquelch_ = Check("Invert Squelch", "cm108InvertSquelch", f.cm108InvertSquelch);

    auto* layout = new QFormLayout;
    layout->addRow(QStringLiteral("Device"), cm108Device_);
    layout->addRow(QStringLiteral("Key Pin"), cm108Pin_);
    layout->addRow(cm108InvertKeying_);
    layout->addRow(cm108Squelch_);
    layout->addRow(cm108InvertSquelch_);
    return Group("CM108/CM119 Sound Chip", "cm108Group", layout);
}

QGroupBox* CRigLineGroups::MakeGpioGroup() {
    const RigKeyingDlgFields& f = fields_;
    gpioChip_ = TextEdit(f.gpioChip, "gpioChip", "gpiochip0");
    gpioKeyLine_ = TextEdit(f.gpioKeyLine, "gpioKeyLine", "name or offset");
    gpioInvertKeying_ = Check("Invert Voltage", "gpioInvertKeying", f.gpioInvertKeying);
    gpioSquelchLine_ = TextEdit(f.gpioSquelchLine, "gpioSquelchLine", "none: VOX");
    gpioInvertSquelch_ = Check("Invert Squelch", "gpioInvertSquelch", f.gpioInvertSquelch);

    auto* layout = new QFormLayout;
    layout->addRow(QStringLiteral("Chip"), gpioChip_);
    layout->addRow(QStringLiteral("Key Line"), gpioKeyLine_);
    layout->addRow(gpioInvertKeying_);
    layout->addRow(QStringLiteral("Squelch Line"), gpioSquelchLine_);
    layout->addRow(gpioInvertSquelch_);
    return Group("GPIO Lines", "gpioGroup", layout);
}

void CRigLineGroups::Enable(const RigSetupGroups& groups) {
    cm108Group_->setEnabled(groups.cm108);
    gpioGroup_->setEnabled(groups.gpio);
}

void CRigLineGroups::WriteFields() {
    RigKeyingDlgFields& f = fields_;
    f.cm108Device = cm108Device_->text().trimmed().toStdString();
    f.cm108Pin.selection = cm108Pin_->currentIndex();
    f.cm108InvertKeying = cm108InvertKeying_->isChecked();
    f.cm108Squelch = cm108Squelch_->isChecked();
    f.cm108InvertSquelch = cm108InvertSquelch_->isChecked();
    f.gpioChip = gpioChip_->text().trimmed().toStdString();
    f.gpioKeyLine = gpioKeyLine_->text().trimmed().toStdString();
    f.gpioInvertKeying = gpioInvertKeying_->isChecked();
    f.gpioSquelchLine = gpioSquelchLine_->text().trimmed().toStdString();
    f.gpioInvertSquelch = gpioInvertSquelch_->isChecked();
}
