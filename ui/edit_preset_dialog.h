#pragma once

#include <QDialog>

class CEditPresetDlg;
class QLineEdit;

// The "Edit Preset" dialog over the logic's fields. OK writes the controls into them and
// closes only when the logic accepts them; otherwise it shows why and stays open. Object names
// for findChild: "name", "server", "port", "room", "password".
class CEditPresetDialog : public QDialog {
    Q_OBJECT
public:
    explicit CEditPresetDialog(CEditPresetDlg& logic, QWidget* parent = nullptr);

    void accept() override;

private:
    CEditPresetDlg& logic_;
    QLineEdit* name_ = nullptr;
    QLineEdit* server_ = nullptr;
    QLineEdit* port_ = nullptr;
    QLineEdit* room_ = nullptr;
    QLineEdit* password_ = nullptr;
};

// Runs the dialog modally over parent; true when it closed with OK.
bool RunEditPresetDialog(CEditPresetDlg& logic, QWidget* parent);
