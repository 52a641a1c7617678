#include "ui/edit_announcement_dialog.h"

#include "radio/edit_announcement_dlg.h"
#include "ui/dialog_refusal_box.h"
#include "ui/file_filter.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

CEditAnnouncementDialog::CEditAnnouncementDialog(CEditAnnouncementDlg& logic, QWidget* parent)
    : QDialog(parent), logic_(logic) {
    setWindowTitle(QStringLiteral("Edit Announcement"));

    tick_ = new QLineEdit;
    tick_->setObjectName(QStringLiteral("tick"));
    tick_->setMaximumWidth(tick_->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    file_ = new QLineEdit;
    file_->setObjectName(QStringLiteral("file"));
    // Room for a typical path or Morse text.
    file_->setMinimumWidth(file_->fontMetrics().averageCharWidth() * 40);
    browse_ = new QToolButton;
    browse_->setText(QStringLiteral("..."));
    browse_->setObjectName(QStringLiteral("browse"));
    browse_->setToolTip(QStringLiteral("Choose a WAV file"));
    morse_ = new QCheckBox(QStringLiteral("Generate Morse Announcement"));
    morse_->setObjectName(QStringLiteral("morse"));

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_);
    fileRow->addWidget(browse_);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Announce At tick "), tick_);
    form->addRow(QStringLiteral("Wave File"), fileRow);
    form->addRow(morse_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    ShowFields();
    connect(morse_, &QCheckBox::toggled, this, [this](bool checked) {
        logic_.fields.morse = checked;
        browse_->setEnabled(logic_.BrowseEnabled());
    });
    connect(browse_, &QToolButton::clicked, this, &CEditAnnouncementDialog::Browse);
}

void CEditAnnouncementDialog::ShowFields() {
    const EditAnnouncementFields& f = logic_.fields;
    tick_->setText(QString::fromStdString(f.tick));
    tick_->setEnabled(f.tickEnabled);
    file_->setText(QString::fromStdString(f.file));
    morse_->setChecked(f.morse);
    browse_->setEnabled(logic_.BrowseEnabled());
}

void CEditAnnouncementDialog::Browse() {
    QFileDialog dialog(this, QStringLiteral("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFiltersOf(CEditAnnouncementDlg::kFileFilter));
    dialog.setDefaultSuffix(QString::fromLatin1(CEditAnnouncementDlg::kDefaultExtension));
    if (!file_->text().isEmpty())
        dialog.selectFile(file_->text());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    logic_.fields.tick = tick_->text().toStdString();
    logic_.FileChosen(dialog.selectedFiles().constFirst().toStdString());
    ShowFields();
}

void CEditAnnouncementDialog::accept() {
    EditAnnouncementFields& f = logic_.fields;
    f.tick = tick_->text().toStdString();
    f.file = file_->text().toStdString();
    f.morse = morse_->isChecked();
    if (const std::optional<DlgRefusal> refusal = logic_.Ok()) {
        ShowRefusal(this, *refusal);
        QLineEdit* field = refusal->field == CEditAnnouncementDlg::kTickField ? tick_ : file_;
        field->setFocus();
        field->selectAll();
        return;
    }
    QDialog::accept();
}

bool RunEditAnnouncementDialog(CEditAnnouncementDlg& logic, QWidget* parent) {
    CEditAnnouncementDialog dialog(logic, parent);
    return dialog.exec() == QDialog::Accepted;
}
