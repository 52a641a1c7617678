#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

// Calls to run later on the thread that owns this object, through its event
// loop: the stand-in for posting messages to a window. Any thread may post;
// the calls run in the order they were posted, and everything the poster
// wrote before posting is visible to the call when it runs.
//
// The calls wait in a queue under a plain mutex, and an eventfd watched by
// the owner's event loop carries the wake-up. Posting never touches Qt's own
// event queues from another thread: Qt guards those with futex locks that
// ThreadSanitizer cannot see, so two threads posting at once looked like a
// race. A burst of posts costs one wake-up.
class CQueuedCalls : public QObject {
    Q_OBJECT
public:
    explicit CQueuedCalls(QObject* parent = nullptr);
    ~CQueuedCalls() override;

    void Post(std::function<void()> call);

private:
    void RunQueued();

    int wakeFd_;
    QSocketNotifier* notifier_;
    std::mutex lock_;
    std::deque<std::function<void()>> calls_;
};
