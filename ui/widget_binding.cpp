#include "ui/widget_binding.h"

#include "client/control_ids.h"
#include "ui/color_button.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>

namespace {
QString Q(const std::string& text) { return QString::fromStdString(text); }

QStringList Items(const CDialogControls::Control& control) {
    QStringList items;
    for (const std::string& item : control.items)
        items << Q(item);
    return items;
}
} // namespace

CWidgetBinding::CWidgetBinding(CDialogControls& controls, CommandSink command, ScrollSink scroll)
    : controls_(controls), command_(std::move(command)), scroll_(std::move(scroll)) {
    observer_ = controls_.AddObserver([this](int id, uint32_t changes) { OnModelChange(id, changes); });
}

CWidgetBinding::~CWidgetBinding() { controls_.RemoveObserver(observer_); }

void CWidgetBinding::Add(int id, QWidget* widget, std::function<void(uint32_t)> apply) {
    bound_[id] = Bound{widget, std::move(apply)};
    // Show the model's state now; later changes arrive through the observer.
    OnModelChange(id, ~CDialogControls::kFromUser);
}

void CWidgetBinding::OnModelChange(int id, uint32_t changes) {
    auto it = bound_.find(id);
    if (it == bound_.end())
        return;
    // The widget already shows what its user did.
    if (changes & CDialogControls::kFromUser)
        return;
    ApplyCommon(it->second.widget, id, changes);
    it->second.apply(changes);
}

void CWidgetBinding::ApplyCommon(QWidget* widget, int id, uint32_t changes) {
    const CDialogControls::Control& c = controls_.Get(id);
    if (changes & CDialogControls::kEnabled)
        widget->setEnabled(c.enabled);
    if (changes & CDialogControls::kVisible)
        widget->setVisible(c.visible);
    auto [first, last] = companions_.equal_range(id);
    for (auto it = first; it != last; ++it) {
        if (changes & CDialogControls::kEnabled)
            it->second->setEnabled(c.enabled);
        if (changes & CDialogControls::kVisible)
            it->second->setVisible(c.visible);
    }
    if ((changes & CDialogControls::kFocus) && controls_.Focus() == id)
        widget->setFocus(Qt::OtherFocusReason);
}

void CWidgetBinding::BindEdit(int id, QLineEdit* edit) {
    Add(id, edit, [this, id, edit](uint32_t changes) {
        if (!(changes & CDialogControls::kText))
            return;
        const QString text = Q(controls_.Text(id));
        if (edit->text() != text)
            edit->setText(text);
    });
    connect(edit, &QLineEdit::textEdited, this,
            [this, id](const QString& text) { controls_.UserSetText(id, text.toStdString()); });
}

void CWidgetBinding::BindLabel(int id, QLabel* label) {
    label->setTextFormat(Qt::PlainText);
    Add(id, label, [this, id, label](uint32_t changes) {
        if (changes & CDialogControls::kText)
            label->setText(Q(controls_.Text(id)));
    });
}

void CWidgetBinding::BindGroup(int id, QGroupBox* group) {
    Add(id, group, [this, id, group](uint32_t changes) {
        if (changes & CDialogControls::kText)
            group->setTitle(Q(controls_.Text(id)));
    });
}

void CWidgetBinding::BindButton(int id, QAbstractButton* button) {
    Add(id, button, [this, id, button](uint32_t changes) {
        if ((changes & CDialogControls::kText) && !controls_.Text(id).empty())
            button->setText(Q(controls_.Text(id)));
        if (changes & CDialogControls::kDefaultButton)
            if (auto* push = qobject_cast<QPushButton*>(button))
                push->setDefault(controls_.DefaultButton() == id);
    });
    connect(button, &QAbstractButton::clicked, this,
            [this, id] { command_(id, kNotifyClicked); });
}

void CWidgetBinding::BindCheckBox(int id, QAbstractButton* box) {
    box->setCheckable(true);
    Add(id, box, [this, id, box](uint32_t changes) {
        if ((changes & CDialogControls::kText) && !controls_.Text(id).empty())
            box->setText(Q(controls_.Text(id)));
        if (changes & CDialogControls::kCheck)
            box->setChecked(controls_.Check(id) != 0);
    });
    connect(box, &QAbstractButton::clicked, this, [this, id](bool checked) {
        controls_.UserSetCheck(id, checked ? 1 : 0);
        command_(id, kNotifyClicked);
    });
}

void CWidgetBinding::BindCombo(int id, QComboBox* combo) {
    Add(id, combo, [this, id, combo](uint32_t changes) {
        const CDialogControls::Control& c = controls_.Get(id);
        const QSignalBlocker quiet(combo);
        if (changes & CDialogControls::kItems) {
            combo->clear();
            combo->addItems(Items(c));
        }
        if (changes & (CDialogControls::kItems | CDialogControls::kSelection))
            combo->setCurrentIndex(c.selection);
        if (combo->isEditable() && (changes & (CDialogControls::kText | CDialogControls::kItems |
                                               CDialogControls::kSelection))) {
            if (combo->currentText() != Q(c.text))
                combo->setEditText(Q(c.text));
        }
    });
    connect(combo, &QComboBox::activated, this, [this, id](int index) {
        controls_.UserSetCurSel(id, index);
        command_(id, kNotifySelectionChange);
    });
    if (combo->isEditable())
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this, id](const QString& text) {
            // Typing leaves no entry selected, as in a drop-down combo box.
            controls_.UserSetCurSel(id, -1);
            controls_.UserSetText(id, text.toStdString());
        });
}

void CWidgetBinding::BindList(int id, QListWidget* list) {
    const QColor normalBase = list->palette().color(QPalette::Base);
    Add(id, list, [this, id, list, normalBase](uint32_t changes) {
        const CDialogControls::Control& c = controls_.Get(id);
        const QSignalBlocker quiet(list);
        if (changes & CDialogControls::kItems) {
            list->clear();
            list->addItems(Items(c));
        }
        if (changes & (CDialogControls::kItems | CDialogControls::kSelection)) {
            list->setCurrentRow(c.selection);
            if (c.selection < 0)
                list->clearSelection();
        }
        if ((changes & (CDialogControls::kItems | CDialogControls::kTopIndex)) && list->count() > 0)
            list->scrollToItem(list->item(std::clamp(c.topIndex, 0, list->count() - 1)),
                               QAbstractItemView::PositionAtTop);
        if (changes & CDialogControls::kHighlight) {
            // The list turns blue while the station itself is the talker.
            QPalette palette = list->palette();
            palette.setColor(QPalette::Base, c.highlighted ? QColor(80, 100, 240) : normalBase);
            list->setPalette(palette);
        }
    });
    connect(list, &QListWidget::currentRowChanged, this,
            [this, id](int row) { controls_.UserSetCurSel(id, row); });
}

void CWidgetBinding::BindSlider(int id, QSlider* slider) {
    Add(id, slider, [this, id, slider](uint32_t changes) {
        const CDialogControls::Control& c = controls_.Get(id);
        const QSignalBlocker quiet(slider);
        if (changes & CDialogControls::kRange)
            slider->setRange(c.rangeMin, c.rangeMax);
        if (changes & (CDialogControls::kRange | CDialogControls::kPosition))
            slider->setValue(c.position);
    });
    // The action has moved the slider position but not yet its value.
    connect(slider, &QSlider::actionTriggered, this, [this, id, slider](int) {
        controls_.UserSetPosition(id, slider->sliderPosition());
        scroll_(id);
    });
}

void CWidgetBinding::BindLamp(int id, CColorButton* lamp) {
    Add(id, lamp, [this, id, lamp](uint32_t changes) {
        if (changes & CDialogControls::kColor)
            lamp->SetColor(controls_.Get(id).color);
    });
}

void CWidgetBinding::BindCompanion(int id, QWidget* widget) {
    companions_.emplace(id, widget);
    const CDialogControls::Control& c = controls_.Get(id);
    widget->setEnabled(c.enabled);
    widget->setVisible(c.visible);
}

int CWidgetBinding::IdOf(const QWidget* widget) const {
    for (; widget; widget = widget->parentWidget())
        for (const auto& [id, bound] : bound_)
            if (bound.widget == widget)
                return id;
    return 0;
}

QWidget* CWidgetBinding::WidgetOf(int id) const {
    auto it = bound_.find(id);
    return it == bound_.end() ? nullptr : it->second.widget;
}
