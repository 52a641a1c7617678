#pragma once

struct RigKeyingDlgFields;
struct RigSetupGroups;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;

// The "CM108/CM119 Sound Chip" and "GPIO Lines" groups of the rig keying dialog over the
// logic's fields. The groups are made with the object and belong to the dialog once it lays
// them out; every control has an object name ("cm108Pin", "gpioKeyLine", ...).
class CRigLineGroups {
public:
    explicit CRigLineGroups(RigKeyingDlgFields& fields);

    QGroupBox* Cm108Group() const { return cm108Group_; }
    QGroupBox* GpioGroup() const { return gpioGroup_; }
    void Enable(const RigSetupGroups& groups);
    // Writes the controls back into the fields.
    void WriteFields();

private:
    QGroupBox* MakeCm108Group();
    QGroupBox* MakeGpioGroup();

    RigKeyingDlgFields& fields_;

    QLineEdit* cm108Device_ = nullptr;
    QComboBox* cm108Pin_ = nullptr;
    QCheckBox *cm108InvertKeying_ = nullptr, *cm108Squelch_ = nullptr,
              *cm108InvertSquelch_ = nullptr;
    QLineEdit *gpioChip_ = nullptr, *gpioKeyLine_ = nullptr, *gpioSquelchLine_ = nullptr;
    QCheckBox *gpioInvertKeying_ = nullptr, *gpioInvertSquelch_ = nullptr;
    QGroupBox* cm108Group_ = nullptr;
    QGroupBox* gpioGroup_ = nullptr;
};
