#include "radio/rig_keying_dlg.h"
#include "ui/rig_keying_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

template <class Widget> Widget& Find(QWidget& dialog, const char* name) {
    auto* widget = dialog.findChild<Widget*>(QLatin1String(name));
    if (!widget)
        throw std::runtime_error(std::string("no control ") + name);
    return *widget;
}

TEST(RigLineGroups, TheCm108AndGpioGroupsFollowTheirMethodAndWriteTheirFields) {
    RigSettings s;
    s.keyingMethod = RigKeyingMethod::Cm108;
    s.cm108Pin = 4;
    s.cm108InvertSquelch = true;
    s.gpioKeyLine = "PTT";
    CRigKeyingDlg logic;
    logic.Open(s, {});
    CRigKeyingDialog dialog(logic);
    QGroupBox& cm108 = Find<QGroupBox>(dialog, "cm108Group");
    QGroupBox& gpio = Find<QGroupBox>(dialog, "gpioGroup");
    EXPECT_TRUE(cm108.isEnabled() && !gpio.isEnabled());
    EXPECT_EQ(Find<QComboBox>(dialog, "cm108Pin").currentText(), QStringLiteral("GPIO4"));
    EXPECT_TRUE(Find<QCheckBox>(dialog, "cm108InvertSquelch").isChecked());
    EXPECT_EQ(Find<QLineEdit>(dialog, "gpioKeyLine").text(), QStringLiteral("PTT"));

    Find<QRadioButton>(dialog, "methodGpio").setChecked(true);
    EXPECT_TRUE(!cm108.isEnabled() && gpio.isEnabled());
    EXPECT_FALSE(Find<QGroupBox>(dialog, "comKeyingGroup").isEnabled());
    Find<QLineEdit>(dialog, "gpioChip").setText(QStringLiteral(" gpiochip2 "));
    Find<QLineEdit>(dialog, "gpioSquelchLine").setText(QStringLiteral("COS"));
    Find<QCheckBox>(dialog, "gpioInvertKeying").setChecked(true);
    Find<QComboBox>(dialog, "cm108Pin").setCurrentIndex(0);
    dialog.accept();

    const RigSettings ok = logic.Ok();
    EXPECT_EQ(ok.keyingMethod, RigKeyingMethod::Gpio);
    EXPECT_EQ(ok.gpioChip, "gpiochip2");
    EXPECT_EQ(ok.gpioSquelchLine, "COS");
    EXPECT_EQ(ok.squelchLine, RigSquelchLine::Gpio);
    EXPECT_TRUE(ok.gpioInvertKeying);
    EXPECT_EQ(ok.cm108Pin, 1);
}

} // namespace
