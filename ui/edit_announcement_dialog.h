#pragma once

#include <QDialog>

class CEditAnnouncementDlg;
class QCheckBox;
class QLineEdit;
class QToolButton;

// The "Edit Announcement" dialog over the logic's fields. OK writes the controls into them and
// closes only when the logic accepts them; otherwise it shows why and stays open. The controls
// have object names "tick", "file", "browse" and "morse" for findChild.
class CEditAnnouncementDialog : public QDialog {
    Q_OBJECT
public:
    explicit CEditAnnouncementDialog(CEditAnnouncementDlg& logic, QWidget* parent = nullptr);

    void accept() override;

private:
    void Browse();
    void ShowFields();

    CEditAnnouncementDlg& logic_;
    QLineEdit* tick_ = nullptr;
    QLineEdit* file_ = nullptr;
    QToolButton* browse_ = nullptr;
    QCheckBox* morse_ = nullptr;
};

// Runs the dialog modally over parent; true when it closed with OK.
bool RunEditAnnouncementDialog(CEditAnnouncementDlg& logic, QWidget* parent);
