#pragma once

#include <QDialog>

class CRestrictionComment;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

// The "Restriction Comment" dialog over its logic's fields: "Restricted By", "Reason" (several
// lines; it has the focus with its text selected) and "Duration (Hours)", which is disabled
// when the logic offers no duration. OK writes the fields back and remembers the name; Cancel
// leaves them. Object names: "restrictedBy", "reason", "duration".
class CRestrictionCommentDialog : public QDialog {
    Q_OBJECT
public:
    explicit CRestrictionCommentDialog(CRestrictionComment& logic, QWidget* parent = nullptr);

    void accept() override;

private:
    CRestrictionComment& logic_;
    QLineEdit* restrictedBy_ = nullptr;
    QPlainTextEdit* reason_ = nullptr;
    QSpinBox* duration_ = nullptr;
};

// Runs the dialog modally over parent; true when it closed with OK.
bool RunRestrictionCommentDialog(CRestrictionComment& logic, QWidget* parent);
