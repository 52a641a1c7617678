#pragma once

#include "platform/mixer_control.h"
#include "ui/widget_binding.h"

#include <QWidget>

#include <map>
#include <memory>

class CClient_TavroDlg;
class CMixerFader;
class CPeakMeter;
class QMenu;

// The gateway's main window "Varnet - RF Gateway": every control of the
// gateway layout, bound to the controller's controls model. Clicks and
// selection changes become the controller's commands; the space bar is
// push-to-talk as the controller decides; closing the window is the
// controller's close, which may end the program later (engines stopping) or
// never (a held window only hides).
class CMainWindow : public QWidget {
    Q_OBJECT
public:
    explicit CMainWindow(CClient_TavroDlg& dialog, QWidget* parent = nullptr);
    ~CMainWindow() override;

    CWidgetBinding& Binding() { return *binding_; }
    CPeakMeter* Meter(int id) const;
    CMixerFader* Fader(int id) const;
    // Binds the input and output faders to mixer controls (the sound card's,
    // or a test's); a null control leaves its fader disabled.
    void AttachMixers(std::unique_ptr<IMixerControl> input, std::unique_ptr<IMixerControl> output);
    void SetAlwaysOnTop(bool onTop);
    void ShowAbout();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildLayout();
    void BuildAdminLayout();
    void BuildMenu();
    // A control's caption, unless the controller has given it one.
    void SetDefaultCaption(int id, const char* text);
    // An edit field or push button bound to its control.
    class QLineEdit* MakeEdit(int id);
    class QPushButton* MakeButton(int id, const char* caption);
    // The button that opens the window menu, for either layout.
    QWidget* MakeMenuButton();
    bool HandleSpaceKey(QKeyEvent* key);
    void AttachMeters();
    // The input meter lowers the input fader while "ALC" is checked.
    void FollowAlc();

    CClient_TavroDlg& dialog_;
    std::unique_ptr<CWidgetBinding> binding_;
    QMenu* menu_ = nullptr;
    class QAction* onTopAction_ = nullptr;
    std::map<int, CPeakMeter*> meters_;
    std::map<int, CMixerFader*> faders_;
    int alcObserver_ = 0;
};
