#include "ui/announcements_dialog.h"

#include "radio/announcements_dlg.h"
#include "ui/dialog_button.h"
#include "ui/dialog_refusal_box.h"
#include "ui/edit_announcement_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CAnnouncementsDialog::CAnnouncementsDialog(CAnnouncementsDlg& logic, QWidget* parent)
    : QDialog(parent), logic_(logic) {
    using Fixed = CAnnouncementsDlg::FixedMessage;
    setWindowTitle(QStringLiteral("Announcements"));

    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("announcements"));
    list_->setHeaderLabels({QStringLiteral("Tick No."), QStringLiteral("Filename")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, list_->fontMetrics().horizontalAdvance(QStringLiteral("Tick No.")) *
                                 3 / 2);
    list_->setMinimumWidth(list_->fontMetrics().averageCharWidth() * 50);

    auto* newButton = DialogButton("New...", "newAnnouncement");
    auto* editButton = DialogButton("Edit...", "editAnnouncement");
    auto* deleteButton = DialogButton("Delete", "deleteAnnouncement");
    auto* connectButton = DialogButton("Connect Message...", "connectMessage");
    auto* room1Button = DialogButton("Preset Room 1 Message...", "presetRoom1Message");
    auto* disconnectButton = DialogButton("DisConnect Message...", "disconnectMessage");

    auto edit = [this](CEditAnnouncementDlg& dlg) { return RunEditAnnouncementDialog(dlg, this); };
    connect(newButton, &QPushButton::clicked, this,
            [=, this] { Run([=, this] { logic_.New(edit); }); });
    auto editSelected = [=, this] { Run([=, this] { logic_.Edit(edit); }); };
    connect(editButton, &QPushButton::clicked, this, editSelected);
    // A double click edits the line clicked.
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [=, this](QTreeWidgetItem* item) {
        list_->setCurrentItem(item);
        editSelected();
    });
    connect(deleteButton, &QPushButton::clicked, this,
            [this] { Run([this] { logic_.Delete(); }); });
    for (auto [button, which] : {std::pair{connectButton, Fixed::Connect},
                                 {room1Button, Fixed::PresetRoom1},
                                 {disconnectButton, Fixed::Disconnect}})
        connect(button, &QPushButton::clicked, this,
                [=, this] { Run([=, this] { logic_.EditFixedMessage(which, edit); }); });

    auto* listButtons = new QVBoxLayout;
    listButtons->addWidget(newButton);
    listButtons->addWidget(editButton);
    listButtons->addWidget(deleteButton);
    listButtons->addStretch();
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(list_);
    listRow->addLayout(listButtons);

    tickSeconds_ = new QLineEdit(QString::fromStdString(logic_.fields.tickSeconds));
    tickSeconds_->setObjectName(QStringLiteral("tickSeconds"));
    tickSeconds_->setMaximumWidth(
        tickSeconds_->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    auto* tickLabel = new QLabel(QStringLiteral("Announcement tick time (seconds)"));
    tickLabel->setBuddy(tickSeconds_);
    auto* tickRow = new QHBoxLayout;
    tickRow->addWidget(tickLabel);
    tickRow->addWidget(tickSeconds_);
    tickRow->addStretch();

    auto* messages = new QHBoxLayout;
    messages->addWidget(connectButton);
    messages->addWidget(room1Button);
    messages->addWidget(disconnectButton);
    messages->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(listRow);
    layout->addLayout(tickRow);
    layout->addLayout(messages);
    layout->addWidget(buttons);

    ShowList();
}

void CAnnouncementsDialog::Run(const std::function<void()>& command) {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    logic_.fields.selection = selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected[0]);
    command();
    ShowList();
}

void CAnnouncementsDialog::ShowList() {
    list_->setUpdatesEnabled(false);
    list_->clear();
    for (const std::string& line : logic_.fields.lines) {
        const QString text = QString::fromStdString(line);
        list_->addTopLevelItem(new QTreeWidgetItem(
            {text.section(QLatin1Char('\t'), 0, 0), text.section(QLatin1Char('\t'), 1)}));
    }
    if (logic_.fields.selection >= 0)
        list_->setCurrentItem(list_->topLevelItem(logic_.fields.selection));
    list_->setUpdatesEnabled(true);
}

void CAnnouncementsDialog::accept() {
    logic_.fields.tickSeconds = tickSeconds_->text().toStdString();
    if (const std::optional<DlgRefusal> refusal = logic_.Ok()) {
        ShowRefusal(this, *refusal);
        tickSeconds_->setFocus();
        tickSeconds_->selectAll();
        return;
    }
    QDialog::accept();
}

bool RunAnnouncementsDialog(CAnnouncementsDlg& logic, QWidget* parent) {
    CAnnouncementsDialog dialog(logic, parent);
    return dialog.exec() == QDialog::Accepted;
}
