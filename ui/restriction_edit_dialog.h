#pragma once

#include "radio/admin_settings.h"

#include <QDialog>

class CRestrictionEditEx;
class QPushButton;
class QTreeWidget;

// The "Edit Restrictions" dialog over its logic: a resizable window with the list of the
// server's restrictions (several lines selectable; a click on a heading sorts by the logic's
// rules) and the buttons "Mute", "Kick", "Ban", "Restore" and "Close". Making it opens the
// logic (the server is asked for its list) and closing it, by any means, closes the logic
// (the column widths are stored). The list follows every change of the logic's lines, such
// as a new list from the server. Object names: "list", "mute", "kick", "ban", "restore",
// "close".
class CRestrictionEditDialog : public QDialog {
    Q_OBJECT
public:
    explicit CRestrictionEditDialog(CRestrictionEditEx& logic, QWidget* parent = nullptr);
    ~CRestrictionEditDialog() override;

    void done(int result) override;

private:
    AdminColumnWidths HeadingWidths() const;
    AdminColumnWidths ColumnWidths() const;
    void Redraw();
    void TakeSelection();

    CRestrictionEditEx& logic_;
    QTreeWidget* list_ = nullptr;
};

// Runs the dialog modally over parent until "Close" or the close box.
void RunRestrictionEditor(CRestrictionEditEx& logic, QWidget* parent);
