#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

// The child of `parent` with the object name `name`; throws when there is none.
template <class Widget> Widget& Find(QWidget& parent, const char* name) {
    auto* widget = parent.findChild<Widget*>(QLatin1String(name));
    if (!widget)
        throw std::runtime_error(std::string("no control ") + name);
    return *widget;
}

// Once the event loop runs (inside the exec() of a modal dialog that is about to open), hands
// that dialog to `answer`, which must close it. A modal widget of another type fails the test
// and is closed, so that the test goes on rather than waiting for a person.
template <class Dialog> void AnswerNextModal(std::function<void(Dialog&)> answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            answer(*dialog);
            return;
        }
        ADD_FAILURE() << "another modal widget was open: "
                      << (modal ? modal->metaObject()->className() : "none");
        if (modal)
            modal->close();
    });
}
