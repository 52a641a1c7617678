#include "ui/restriction_comment_dialog.h"

#include "radio/restriction_editor_comment.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>

CRestrictionCommentDialog::CRestrictionCommentDialog(CRestrictionComment& logic, QWidget* parent)
    : QDialog(parent), logic_(logic) {
    setWindowTitle(QStringLiteral("Restriction Comment"));

    restrictedBy_ = new QLineEdit(QString::fromStdString(logic_.restrictedBy));
    restrictedBy_->setObjectName(QStringLiteral("restrictedBy"));
    reason_ = new QPlainTextEdit(QString::fromStdString(logic_.reason));
    reason_->setObjectName(QStringLiteral("reason"));
    reason_->setTabChangesFocus(true);
    duration_ = new QSpinBox;
    duration_->setObjectName(QStringLiteral("duration"));
    duration_->setRange(0, CRestrictionComment::kMaxDurationHours);
    duration_->setValue(logic_.durationHours.value_or(0));
    duration_->setEnabled(logic_.durationHours.has_value());

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Restricted By"), restrictedBy_);
    fields->addRow(QStringLiteral("Reason"), reason_);
    fields->addRow(QStringLiteral("Duration (Hours)"), duration_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);

    // The reason is what usually changes: it starts with the focus and its text selected, so
    // typing replaces it.
    reason_->selectAll();
    reason_->setFocus();
}

void CRestrictionCommentDialog::accept() {
    logic_.restrictedBy = restrictedBy_->text().toStdString();
    logic_.reason = reason_->toPlainText().toStdString();
    if (logic_.durationHours)
        logic_.durationHours = duration_->value();
    logic_.Ok();
    QDialog::accept();
}

bool RunRestrictionCommentDialog(CRestrictionComment& logic, QWidget* parent) {
    CRestrictionCommentDialog dialog(logic, parent);
    return dialog.exec() == QDialog::Accepted;
}
