#include "ui/preset_servers_dialog.h"

#include "radio/preset_servers_dlg.h"
#include "ui/dialog_button.h"
#include "ui/edit_preset_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CPresetServersDialog::CPresetServersDialog(CPresetServersDlg& logic, QWidget* parent)
    : QDialog(parent), logic_(logic) {
    setWindowTitle(QStringLiteral("Edit Preset Servers"));

    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("presets"));
    list_->setMinimumWidth(list_->fontMetrics().averageCharWidth() * 40);

    auto* add = DialogButton("Add...", "addPreset");
    auto* remove = DialogButton("Remove...", "removePreset");
    auto* edit = DialogButton("Edit...", "editPreset");
    auto* up = DialogButton("Move up", "moveUp");
    auto* down = DialogButton("Move Down", "moveDown");

    auto runEdit = [this](CEditPresetDlg& dlg) { return RunEditPresetDialog(dlg, this); };
    auto editSelected = [=, this] { Run([=, this] { logic_.Edit(runEdit); }); };
    connect(add, &QPushButton::clicked, this,
            [=, this] { Run([=, this] { logic_.Add(runEdit); }); });
    connect(edit, &QPushButton::clicked, this, editSelected);
    // A double click edits the line clicked.
    connect(list_, &QListWidget::itemDoubleClicked, this, [=, this](QListWidgetItem* item) {
        list_->setCurrentItem(item);
        editSelected();
    });
    connect(remove, &QPushButton::clicked, this, [this] { Run([this] { logic_.Remove(); }); });
    connect(up, &QPushButton::clicked, this, [this] { Run([this] { logic_.MoveUp(); }); });
    connect(down, &QPushButton::clicked, this, [this] { Run([this] { logic_.MoveDown(); }); });

    auto* commands = new QVBoxLayout;
    for (QPushButton* button : {add, remove, edit})
        commands->addWidget(button);
    commands->addSpacing(commands->spacing() * 3);
    commands->addWidget(up);
    commands->addWidget(down);
    commands->addStretch();

    auto* listRow = new QHBoxLayout;
    listRow->addWidget(list_);
    listRow->addLayout(commands);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(listRow);
    layout->addWidget(buttons);

    ShowList();
}

void CPresetServersDialog::Run(const std::function<void()>& command) {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    logic_.selection = selected.isEmpty() ? -1 : list_->row(selected[0]);
    command();
    ShowList();
}

void CPresetServersDialog::ShowList() {
    list_->setUpdatesEnabled(false);
    list_->clear();
    for (const std::string& line : logic_.lines)
        list_->addItem(QString::fromStdString(line));
    if (logic_.selection >= 0)
        list_->setCurrentRow(logic_.selection);
    list_->setUpdatesEnabled(true);
}

bool RunPresetServersDialog(CPresetServersDlg& logic, QWidget* parent) {
    CPresetServersDialog dialog(logic, parent);
    return dialog.exec() == QDialog::Accepted;
}
