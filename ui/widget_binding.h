#pragma once

#include "client/dialog_controls.h"

#include <QObject>

#include <functional>
#include <map>

class QAbstractButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSlider;
class QWidget;
class CColorButton;

// Binds the window's widgets to the controls model both ways: a change in
// the model is applied to the widget of its control, and what the user does
// in a widget goes into the model and, for buttons, check boxes and
// selection changes, becomes a command (id, notification code).
class CWidgetBinding : public QObject {
    Q_OBJECT
public:
    using CommandSink = std::function<void(int id, int notification)>;
    using ScrollSink = std::function<void(int id)>;

    CWidgetBinding(CDialogControls& controls, CommandSink command, ScrollSink scroll);
    ~CWidgetBinding() override;

    void BindEdit(int id, QLineEdit* edit);
    void BindLabel(int id, QLabel* label);
    void BindGroup(int id, QGroupBox* group);
    // Push buttons send their command when clicked; check boxes update their
    // check first.
    void BindButton(int id, QAbstractButton* button);
    void BindCheckBox(int id, QAbstractButton* box);
    // A drop-down list, or with an edit field of its own a drop-down combo.
    void BindCombo(int id, QComboBox* combo);
    void BindList(int id, QListWidget* list);
    void BindSlider(int id, QSlider* slider);
    void BindLamp(int id, CColorButton* lamp);
    // A widget that only follows the enabled and visible state of a
    // control, such as the label beside it.
    void BindCompanion(int id, QWidget* widget);

    // The control id of a widget (or of the bound widget that contains it), 0 for none.
    int IdOf(const QWidget* widget) const;
    QWidget* WidgetOf(int id) const;

private:
    struct Bound {
        QWidget* widget = nullptr;
        std::function<void(uint32_t changes)> apply;
    };
    void Add(int id, QWidget* widget, std::function<void(uint32_t)> apply);
    void OnModelChange(int id, uint32_t changes);
    void ApplyCommon(QWidget* widget, int id, uint32_t changes);

    CDialogControls& controls_;
    CommandSink command_;
    ScrollSink scroll_;
    int observer_ = 0;
    std::map<int, Bound> bound_;
    std::multimap<int, QWidget*> companions_;
};
