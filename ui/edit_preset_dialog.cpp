#include "ui/edit_preset_dialog.h"

#include "radio/edit_preset_dlg.h"
#include "ui/dialog_refusal_box.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QLineEdit* Edit(const std::string& text, const char* name) {
    auto* edit = new QLineEdit(QString::fromStdString(text));
    edit->setObjectName(QLatin1String(name));
    return edit;
}

} // namespace

CEditPresetDialog::CEditPresetDialog(CEditPresetDlg& logic, QWidget* parent)
    : QDialog(parent), logic_(logic) {
    setWindowTitle(QStringLiteral("Edit Preset"));
    const EditPresetFields& f = logic_.fields;
    name_ = Edit(f.name, "name");
    // Room for a host name.
    name_->setMinimumWidth(name_->fontMetrics().averageCharWidth() * 32);
    server_ = Edit(f.server, "server");
    port_ = Edit(f.port, "port");
    port_->setMaximumWidth(port_->fontMetrics().horizontalAdvance(QStringLiteral("000000000")));
    room_ = Edit(f.room, "room");
    password_ = Edit(f.password, "password");
    password_->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name"), name_);
    form->addRow(QStringLiteral("Server"), server_);
    form->addRow(QStringLiteral("Port"), port_);
    form->addRow(QStringLiteral("Room"), room_);
    form->addRow(QStringLiteral("Password"), password_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CEditPresetDialog::accept() {
    logic_.fields = {name_->text().toStdString(), server_->text().toStdString(),
                     port_->text().toStdString(), room_->text().toStdString(),
                     password_->text().toStdString()};
    if (const std::optional<DlgRefusal> refusal = logic_.Ok()) {
        ShowRefusal(this, *refusal);
        port_->setFocus();
        port_->selectAll();
        return;
    }
    QDialog::accept();
}

bool RunEditPresetDialog(CEditPresetDlg& logic, QWidget* parent) {
    CEditPresetDialog dialog(logic, parent);
    return dialog.exec() == QDialog::Accepted;
}
