#include "tests/client/event_loop.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace {
constexpr int kCheckIntervalMs = 2;
} // namespace

bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer check;
    check.setInterval(kCheckIntervalMs);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() >= timeoutMs)
            loop.quit();
    });
    check.start();
    loop.exec();
    return done();
}

void RunFor(int ms) {
    RunUntil([] { return false; }, ms);
}
