#pragma once

#include <QDialog>

#include <functional>

class CPresetServersDlg;
class QListWidget;

// The "Edit Preset Servers" dialog over the logic: its buttons run the logic's commands ("Add..."
// and "Edit..." open the "Edit Preset" dialog over this one), and the list shows the logic's
// lines and selection after each. A double click is "Edit...". Object names for findChild:
// "presets" (the list), "addPreset", "removePreset", "editPreset", "moveUp", "moveDown".
class CPresetServersDialog : public QDialog {
    Q_OBJECT
public:
    explicit CPresetServersDialog(CPresetServersDlg& logic, QWidget* parent = nullptr);

private:
    // Runs one of the logic's commands on the selected line, then shows the list again.
    void Run(const std::function<void()>& command);
    void ShowList();

    CPresetServersDlg& logic_;
    QListWidget* list_ = nullptr;
};

// Runs the dialog modally over parent; true when it closed with OK.
bool RunPresetServersDialog(CPresetServersDlg& logic, QWidget* parent);
