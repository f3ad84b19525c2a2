#pragma once

#include <QObject>

#include <functional>
#include <mutex>

namespace window {

// Carries work from a search's thread over to the thread of the window it reports to. Shared
// between the window and the slots of its engines, which may outlive the window in tests.
class EngineRelay {
  public:
    explicit EngineRelay(QObject* window) : window_(window) {}

    // Queues apply to run on the window's thread after everything posted before it. Returns at
    // once, from any thread; after Detach nothing is queued any more.
    void Post(std::function<void()> apply);

    // Called by the window before it goes; waits for a Post that is under way.
    void Detach();

  private:
    std::mutex mutex_;
    QObject* window_;
};

}  // namespace window
