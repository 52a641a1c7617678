// The main window over a connected gateway: the space bar and the
// push-to-talk button as an operator uses them.

#include "client/control_ids.h"
#include "platform/clock.h"
#include "tests/client/event_loop.h"
#include "tests/client/gateway_fixture.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// VOX off, so that the space bar and the button are push-to-talk.
const std::string kVoxOffIni = std::string("VOVB=0\n") + kRtsKeyingIni;

template <typename W> W* Control(CMainWindow& window, int id) {
    return qobject_cast<W*>(window.Binding().WidgetOf(id));
}

struct WindowOverGateway {
    WindowOverGateway() : window(gateway.Client()) {
        window.AttachMixers(nullptr, nullptr);
        window.show();
        QApplication::setActiveWindow(&window);
        // Push-to-talk is armed a second after the connect; the space bar talks once more than
        // a second has passed.
        clock.Advance(1001);
        armed = RunUntil([&] { return Client().PushToTalkButton().IsArmed(); });
    }
    void Focus(int id) {
        QWidget* widget = window.Binding().WidgetOf(id);
        widget->setFocus();
        ASSERT_TRUE(RunUntil([&] { return widget->hasFocus(); }));
    }
    CClient_TavroDlg& Client() { return gateway.Client(); }

    // The gateway's stopwatches stand still unless the test moves them.
    CManualClock clock;
    Gateway gateway{{.rigIni = kVoxOffIni, .clock = &clock}};
    CMainWindow window;
    bool armed = false;
};

TEST(MainWindow, TheSpaceBarTalksExceptWhereItTypes) {
    WindowOverGateway w;
    ASSERT_TRUE(w.gateway.ok && w.armed);

    // The Comment field types a space and never talks.
    w.Focus(IDC_COMMENT);
    auto* comment = Control<QLineEdit>(w.window, IDC_COMMENT);
    const QString before = comment->text();
    QTest::keyPress(comment, Qt::Key_Space);
    EXPECT_FALSE(w.Client().PushToTalkActive());
    QTest::keyRelease(comment, Qt::Key_Space);
    EXPECT_EQ(comment->text(), before + " ");

    // The Talk Group field talks and never types a space.
    w.Focus(IDC_TALK_GROUP);
    auto* talkGroup = Control<QComboBox>(w.window, IDC_TALK_GROUP);
    const QString room = talkGroup->currentText();
    QTest::keyPress(talkGroup, Qt::Key_Space);
    EXPECT_TRUE(w.Client().PushToTalkActive());
    EXPECT_TRUE(w.gateway.serial.Rts()) << "the operator's push-to-talk keys while capturing";
    QTest::keyPress(talkGroup, Qt::Key_Space, Qt::NoModifier, -1); // repeats while held
    QTest::keyRelease(talkGroup, Qt::Key_Space);
    EXPECT_FALSE(w.Client().PushToTalkActive());
    EXPECT_EQ(talkGroup->currentText(), room);

    // Elsewhere it talks, and the field still gets its key.
    w.Focus(IDC_COURTESY_TEXT);
    auto* courtesy = Control<QLineEdit>(w.window, IDC_COURTESY_TEXT);
    const QString courtesyBefore = courtesy->text();
    QTest::keyPress(courtesy, Qt::Key_Space);
    EXPECT_TRUE(w.Client().PushToTalkActive());
    QTest::keyRelease(courtesy, Qt::Key_Space);
    EXPECT_FALSE(w.Client().PushToTalkActive());
    EXPECT_EQ(courtesy->text(), courtesyBefore + " ");

    // While room audio plays the key does nothing, not even in the Talk Group field.
    ASSERT_TRUE(w.gateway.KeyWithRoomAudio());
    w.Focus(IDC_TALK_GROUP);
    QTest::keyClick(talkGroup, Qt::Key_Space);
    EXPECT_FALSE(w.Client().PushToTalkActive());
    EXPECT_EQ(talkGroup->currentText(), room);
}

TEST(MainWindow, ThePushToTalkButtonHeldWhileDisarmedTalksOnceArmed) {
    WindowOverGateway w;
    ASSERT_TRUE(w.gateway.ok && w.armed);
    auto* ptt = Control<QPushButton>(w.window, IDC_PTT);
    QTest::mousePress(ptt, Qt::LeftButton);
    EXPECT_TRUE(w.Client().PushToTalkActive());
    QTest::mouseRelease(ptt, Qt::LeftButton);
    EXPECT_FALSE(w.Client().PushToTalkActive());

    // Room audio disarms the button; held down meanwhile, it talks one
    // second after the audio stops.
    ASSERT_TRUE(w.gateway.KeyWithRoomAudio());
    ASSERT_TRUE(RunUntil([&] { return !w.Client().PushToTalkButton().IsArmed(); }));
    QTest::mousePress(ptt, Qt::LeftButton);
    EXPECT_FALSE(w.Client().PushToTalkActive());
    w.clock.Advance(999);
    RunFor(kQuietMs);
    EXPECT_FALSE(w.Client().PushToTalkActive());
    w.clock.Advance(1);
    EXPECT_TRUE(RunUntil([&] { return w.Client().PushToTalkActive(); }));
    QTest::mouseRelease(ptt, Qt::LeftButton);
    EXPECT_FALSE(w.Client().PushToTalkActive());
}

} // namespace
