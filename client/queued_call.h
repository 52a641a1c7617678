#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

// Calls to run later on the thread that owns this object, through its event
// loop: the stand-in for posting messages to a window. Any thread may post;
// the calls run in the order they were posted, and everything the poster
// wrote before posting is visible to the call when it runs.
//
// The calls wait in a queue under a plain mutex, and Qt only carries the
// wake-up: so the hand-off is one that ThreadSanitizer sees, even with a Qt
// that is not built for it, and a burst of posts costs one event.
class CQueuedCalls : public QObject {
    Q_OBJECT
public:
    explicit CQueuedCalls(QObject* parent = nullptr) : QObject(parent) {}

    void Post(std::function<void()> call);

private slots:
    void RunQueued();

private:
    std::mutex lock_;
    std::deque<std::function<void()>> calls_;
};
