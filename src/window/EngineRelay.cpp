#include "window/EngineRelay.h"

#include <QMetaObject>

#include <utility>

namespace window {

void EngineRelay::Post(std::function<void()> apply) {
    const std::lock_guard lock(mutex_);
    if (window_ != nullptr) {
        // Queued calls to one object from one thread arrive in the order posted; those still
        // waiting when the object is destroyed are discarded with it.
        QMetaObject::invokeMethod(window_, std::move(apply), Qt::QueuedConnection);
    }
}

void EngineRelay::Detach() {
    const std::lock_guard lock(mutex_);
    window_ = nullptr;
}

}  // namespace window
