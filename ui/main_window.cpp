#include "ui/main_window.h"

#include "client/client_dlg.h"
#include "client/control_ids.h"
#include "platform/mixer_control.h"
#include "ui/about_box.h"
#include "ui/app_icon.h"
#include "ui/mixer_fader.h"
#include "ui/peak_meter.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>

CMainWindow::CMainWindow(CClient_TavroDlg& dialog, QWidget* parent)
    : QWidget(parent), dialog_(dialog) {
    const bool admin = dialog_.TemplateId() == kAdminTemplate;
    setWindowTitle(admin ? QStringLiteral("Varnet Remote Server Admin by  Tavro ")
                         : QStringLiteral("Varnet - RF Gateway"));
    setWindowIcon(AppIcon());
    binding_ = std::make_unique<CWidgetBinding>(
        dialog_.Controls(), [this](int id, int code) { dialog_.OnCommand(id, code); },
        [this](int id) { dialog_.OnScroll(id); });
    BuildMenu();
    if (admin) {
        BuildAdminLayout();
    } else {
        BuildLayout();
        AttachMeters();
        // The space bar is looked at before the focused control sees it.
        qApp->installEventFilter(this);
    }
    if (dialog_.Settings().alwaysOnTop)
        SetAlwaysOnTop(true);
}

CMainWindow::~CMainWindow() {
    qApp->removeEventFilter(this);
    dialog_.Controls().RemoveObserver(alcObserver_);
}

CPeakMeter* CMainWindow::Meter(int id) const {
    auto it = meters_.find(id);
    return it == meters_.end() ? nullptr : it->second;
}

CMixerFader* CMainWindow::Fader(int id) const {
    auto it = faders_.find(id);
    return it == faders_.end() ? nullptr : it->second;
}

void CMainWindow::AttachMeters() {
    CClient_TavroDlg& dlg = dialog_;
    Meter(IDC_OUTPUT_METER)->Attach([&dlg] { return dlg.Levels().outputPeak; }, nullptr);
    for (int i = 0; i < 8; ++i)
        Meter(kDtmfLevelMeters[i])->Attach([&dlg, i] { return dlg.Levels().dtmf[size_t(i)]; },
                                           nullptr);
    FollowAlc();
    alcObserver_ = dialog_.Controls().AddObserver([this](int id, uint32_t changes) {
        if (id == IDC_ALC && (changes & CDialogControls::kCheck))
            FollowAlc();
    });
}

void CMainWindow::FollowAlc() {
    CClient_TavroDlg& dlg = dialog_;
    CMixerFader* fader = dialog_.Controls().Check(IDC_ALC) ? Fader(IDC_INPUT_FADER) : nullptr;
    Meter(IDC_INPUT_METER)->Attach([&dlg] { return dlg.Levels().inputPeak; }, fader);
}

void CMainWindow::AttachMixers(std::unique_ptr<IMixerControl> input,
                               std::unique_ptr<IMixerControl> output) {
    // The administration layout has no faders.
    if (CMixerFader* fader = Fader(IDC_INPUT_FADER))
        fader->Init(std::move(input));
    if (CMixerFader* fader = Fader(IDC_OUTPUT_FADER))
        fader->Init(std::move(output));
}

void CMainWindow::BuildMenu() {
    menu_ = new QMenu(this);
    onTopAction_ = menu_->addAction(QStringLiteral("Always On Top"));
    onTopAction_->setCheckable(true);
    connect(onTopAction_, &QAction::triggered, this, [this](bool on) {
        dialog_.SetAlwaysOnTop(on);
        SetAlwaysOnTop(on);
    });
    menu_->addAction(QStringLiteral("&About Varnet - Internet Gateway Client..."), this,
                     &CMainWindow::ShowAbout);
    // Two commands whose buttons the layout keeps hidden.
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("See Who's on the system"), this,
                     [this] { dialog_.OnCommand(IDC_MONITOR); });
    menu_->addAction(QStringLiteral("Help"), this, [this] { dialog_.OnCommand(IDC_HELP); });
}

QWidget* CMainWindow::MakeMenuButton() {
    auto* button = new QToolButton;
    button->setText(QStringLiteral("\u2630"));
    button->setToolTip(QStringLiteral("Window menu"));
    connect(button, &QToolButton::clicked, this, [this, button] {
        menu_->exec(button->mapToGlobal(QPoint(0, button->height())));
    });
    return button;
}

// Window managers have no menu of ours, so the window's context menu (and the
// menu button of the layout) carries the two items.
void CMainWindow::contextMenuEvent(QContextMenuEvent* event) {
    menu_->exec(event->globalPos());
}

void CMainWindow::SetAlwaysOnTop(bool onTop) {
    onTopAction_->setChecked(onTop);
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == onTop)
        return;
    // Changing the flags hides a shown window; bring it back where it was.
    const bool wasVisible = isVisible();
    const QRect where = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) {
        setGeometry(where);
        show();
    }
}

void CMainWindow::ShowAbout() {
    CAboutBox about(this);
    about.exec();
}

void CMainWindow::closeEvent(QCloseEvent* event) {
    if (!dialog_.IsEnded())
        dialog_.OnClose();
    // The controller ends the program once its engines have stopped; until
    // then (or for ever, while another program holds the window) it stays.
    if (dialog_.IsEnded())
        event->accept();
    else
        event->ignore();
}

bool CMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Space)
        return false;
    // Only the key as it reaches a widget of this window, once.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this || widget != QApplication::focusWidget())
        return false;
    return HandleSpaceKey(key);
}

bool CMainWindow::HandleSpaceKey(QKeyEvent* key) {
    const bool down = key->type() == QEvent::KeyPress;
    // A held key repeats; only its first press and its last release count.
    if (key->isAutoRepeat() && !down)
        return false;
    CClient_TavroDlg::SpaceFocus focus = CClient_TavroDlg::SpaceFocus::Other;
    const int id = binding_->IdOf(QApplication::focusWidget());
    if (id == IDC_TALK_GROUP)
        focus = CClient_TavroDlg::SpaceFocus::TalkGroup;
    else if (id == IDC_COMMENT)
        focus = CClient_TavroDlg::SpaceFocus::Comment;
    return dialog_.OnSpaceKey(down, focus);
}
