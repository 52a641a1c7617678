#pragma once

#include <QPushButton>

// A dialog's command button: its caption, an object name for tests to find
// it by, and never the default button, so that Enter in a list or a field
// does not press it.
inline QPushButton* DialogButton(const char* caption, const char* name) {
    auto* button = new QPushButton(QLatin1String(caption));
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}
