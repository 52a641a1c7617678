#pragma once

#include <QDialog>

#include <functional>

class CAnnouncementsDlg;
class QLineEdit;
class QTreeWidget;

// The "Announcements" dialog over the logic: its buttons run the logic's commands, which open
// the "Edit Announcement" dialog over this one, and the list shows the logic's lines after
// each. OK writes the tick time into the logic and closes only when the logic accepts it.
// Object names for findChild: "announcements" (the list), "tickSeconds", "newAnnouncement",
// "editAnnouncement", "deleteAnnouncement", "connectMessage", "presetRoom1Message",
// "disconnectMessage".
class CAnnouncementsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAnnouncementsDialog(CAnnouncementsDlg& logic, QWidget* parent = nullptr);

    void accept() override;

private:
    // Runs one of the logic's commands on the selected line, then shows the list again.
    void Run(const std::function<void()>& command);
    void ShowList();

    CAnnouncementsDlg& logic_;
    QTreeWidget* list_ = nullptr;
    QLineEdit* tickSeconds_ = nullptr;
};

// Runs the dialog modally over parent; true when it closed with OK.
bool RunAnnouncementsDialog(CAnnouncementsDlg& logic, QWidget* parent);
