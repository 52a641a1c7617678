#include "ui/restriction_edit_dialog.h"

#include "radio/restriction_editor.h"
#include "ui/dialog_button.h"
#include "ui/restriction_comment_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpacerItem>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

CRestrictionEditDialog::CRestrictionEditDialog(CRestrictionEditEx& logic, QWidget* parent)
    : QDialog(parent), logic_(logic) {
    setWindowTitle(QStringLiteral("Edit Restrictions"));
    setSizeGripEnabled(true);

    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("list"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    // The logic sorts, so its rules hold; Qt's own sorting stays off.
    list_->setSortingEnabled(false);
    QStringList headings;
    for (int column = 0; column < kRestrictionColumnCount; ++column)
        headings << QLatin1String(RestrictionColumnHeading(column));
    list_->setHeaderLabels(headings);
    QHeaderView* header = list_->header();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { logic_.ClickHeading(column); });
    connect(list_, &QTreeWidget::itemSelectionChanged, this,
            &CRestrictionEditDialog::TakeSelection);

    auto* mute = DialogButton("Mute", "mute");
    auto* kick = DialogButton("Kick", "kick");
    auto* ban = DialogButton("Ban", "ban");
    auto* restore = DialogButton("Restore", "restore");
    auto* close = DialogButton("Close", "close");
    const CRestrictionEditEx::CommentRunner runComment = [this](CRestrictionComment& comment) {
        return RunRestrictionCommentDialog(comment, this);
    };
    connect(mute, &QPushButton::clicked, this, [this, runComment] { logic_.Mute(runComment); });
    connect(kick, &QPushButton::clicked, this, [this, runComment] { logic_.Kick(runComment); });
    connect(ban, &QPushButton::clicked, this, [this, runComment] { logic_.Ban(runComment); });
    connect(restore, &QPushButton::clicked, this, [this] { logic_.Restore(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    // The list takes every change of size; the buttons stay at the bottom, "Close" at the
    // right but always at least 5 pixels clear of "Restore".
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {mute, kick, ban, restore})
        buttons->addWidget(button);
    buttons->addSpacerItem(new QSpacerItem(5, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    logic_.SetLinesChanged([this] { Redraw(); });
    const AdminColumnWidths widths = logic_.Open(HeadingWidths());
    for (int column = 0; column < kRestrictionColumnCount; ++column)
        header->resizeSection(column, widths[size_t(column)]);
    resize(std::max(sizeHint().width(), header->length() + 2 * list_->frameWidth() +
                                            layout->contentsMargins().left() +
                                            layout->contentsMargins().right()),
           sizeHint().height());
}

CRestrictionEditDialog::~CRestrictionEditDialog() {
    logic_.SetLinesChanged({});
}

void CRestrictionEditDialog::done(int result) {
    logic_.Close(ColumnWidths());
    QDialog::done(result);
}

AdminColumnWidths CRestrictionEditDialog::HeadingWidths() const {
    AdminColumnWidths widths;
    for (int column = 0; column < kRestrictionColumnCount; ++column)
        widths[size_t(column)] =
            fontMetrics().horizontalAdvance(QLatin1String(RestrictionColumnHeading(column))) + 20;
    return widths;
}

AdminColumnWidths CRestrictionEditDialog::ColumnWidths() const {
    AdminColumnWidths widths;
    for (int column = 0; column < kRestrictionColumnCount; ++column)
        widths[size_t(column)] = list_->header()->sectionSize(column);
    return widths;
}

void CRestrictionEditDialog::Redraw() {
    // The rebuild is not the user's selection: it is taken from the logic, not given to it.
    const QSignalBlocker blocker(list_);
    list_->setUpdatesEnabled(false);
    list_->clear();
    QList<QTreeWidgetItem*> items;
    for (size_t line = 0; line < logic_.LineCount(); ++line) {
        auto* item = new QTreeWidgetItem;
        for (int column = 0; column < kRestrictionColumnCount; ++column)
            item->setText(column, QString::fromStdString(logic_.Text(line, column)));
        items << item;
    }
    list_->addTopLevelItems(items);
    for (size_t line = 0; line < logic_.LineCount(); ++line)
        items[qsizetype(line)]->setSelected(logic_.IsSelected(line));
    list_->setUpdatesEnabled(true);
}

void CRestrictionEditDialog::TakeSelection() {
    std::vector<size_t> selected;
    for (QTreeWidgetItem* item : list_->selectedItems())
        selected.push_back(size_t(list_->indexOfTopLevelItem(item)));
    logic_.SetSelection(selected);
}

void RunRestrictionEditor(CRestrictionEditEx& logic, QWidget* parent) {
    CRestrictionEditDialog dialog(logic, parent);
    dialog.exec();
}
