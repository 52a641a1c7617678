#pragma once

#include "ui/rig_line_groups.h"

#include <QDialog>

class CRigKeyingDlg;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QSlider;

// The "Rig Keying and Squelch Setup" dialog over the logic's fields: the controls show the
// fields when the dialog is made, OK writes the controls back into them and Cancel leaves them
// as they were. Only the groups that the chosen keying method uses are enabled. Every control
// has an object name ("methodHalvek", "halvekPort", ...) for finding it with findChild.
class CRigKeyingDialog : public QDialog {
    Q_OBJECT
public:
    explicit CRigKeyingDialog(CRigKeyingDlg& logic, QWidget* parent = nullptr);

    void accept() override;

private:
    QGroupBox* MakeMethodGroup();
    QGroupBox* MakeToneGroup();
    QGroupBox* MakeTransmitGroup();
    QGroupBox* MakeComKeyingGroup();
    QGroupBox* MakeSquelchGroup();
    QGroupBox* MakeILinkGroup();
    QGroupBox* MakeHalvekGroup();
    QGroupBox* MakeAudioGroup();
    void EnableGroupsOfMethod();
    void WriteFields();

    CRigKeyingDlg& logic_;

    QButtonGroup* methods_ = nullptr;
    QRadioButton *methodTone_ = nullptr, *methodILink_ = nullptr, *methodComPort_ = nullptr,
                 *methodVox_ = nullptr, *methodHalvek_ = nullptr, *methodCm108_ = nullptr,
                 *methodGpio_ = nullptr;

    QGroupBox *toneGroup_ = nullptr, *comKeyingGroup_ = nullptr, *squelchGroup_ = nullptr,
              *ilinkGroup_ = nullptr, *halvekGroup_ = nullptr;

    QLineEdit *toneFrequency_ = nullptr, *toneLevel_ = nullptr;
    QCheckBox* txTimeoutEnabled_ = nullptr;
    QLineEdit *txTimeout_ = nullptr, *txRestart_ = nullptr;

    QComboBox* comPort_ = nullptr;
    QRadioButton *rts_ = nullptr, *dtr_ = nullptr;
    QCheckBox* invertKeying_ = nullptr;

    QRadioButton *squelchVox_ = nullptr, *squelchCts_ = nullptr, *squelchDsr_ = nullptr;
    QCheckBox* invertSquelch_ = nullptr;

    QComboBox* ilinkPort_ = nullptr;

    QComboBox* halvekPort_ = nullptr;
    QCheckBox *halvekDigitalSquelch_ = nullptr, *halvekActiveHigh_ = nullptr;
    QSlider* analogSquelchLevel_ = nullptr;

    QComboBox* audioDevice_ = nullptr;

    CRigLineGroups lineGroups_;
};

// Runs the dialog modally over parent; true when it closed with OK.
bool RunRigKeyingDialog(CRigKeyingDlg& logic, QWidget* parent);
