#include "client/queued_call.h"

#include <QMetaObject>
#include <QObject>

#include <memory>

// Qt's event queue orders a queued call after everything its poster wrote,
// through a mutex that ThreadSanitizer cannot see in an uninstrumented Qt.
// Builds with ThreadSanitizer state that hand-off themselves, so that the
// races it reports are real ones.
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#define TAVRO_HANDOFF_RELEASE(address) __tsan_release(address)
#define TAVRO_HANDOFF_ACQUIRE(address) __tsan_acquire(address)
#else
#define TAVRO_HANDOFF_RELEASE(address) ((void)(address))
#define TAVRO_HANDOFF_ACQUIRE(address) ((void)(address))
#endif

void PostQueuedCall(QObject* context, std::function<void()> call) {
    auto boxed = std::make_shared<std::function<void()>>(std::move(call));
    TAVRO_HANDOFF_RELEASE(boxed.get());
    QMetaObject::invokeMethod(
        context,
        [boxed] {
            TAVRO_HANDOFF_ACQUIRE(boxed.get());
            (*boxed)();
        },
        Qt::QueuedConnection);
}
