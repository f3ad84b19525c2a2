#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

namespace search {

// Thrown on a run's own thread once its stop has been requested; the run ends on it without
// another event.
class RunStopped : public std::exception {
  public:
    const char* what() const noexcept override { return "the search was stopped"; }
};

// The gateway requests of one pass, numbered from 0, made on threads of their own while the
// pass takes their answers one after another in that order. Requests start in index order, at
// most `parallel` at a time, and never more than parallel - 1 past the answer the pass waits
// for: with parallel 1 every request is made only when the pass asks for its answer, so the
// requests go out exactly as a pass making them itself would send them. Once a request has
// thrown, no later one starts: the pass ends at that answer and needs none after it.
//
// Only the pass's thread may call TakeNext. Nothing the object starts outlives it.
template <typename Answer>
class AheadRequests {
  public:
    // Makes request `index` and returns its answer. The token is requested when the run stops
    // or when the object goes; the request should then end soon.
    using Request = std::function<Answer(size_t index, std::stop_token stop)>;

    // parallel: at least 1. runStop: the run's stop, which abandons every request.
    AheadRequests(Request request, size_t parallel, std::stop_token runStop)
        : request_(std::move(request)),
          parallel_(std::max<size_t>(parallel, 1)),
          link_(std::move(runStop), StopAll{stop_}) {}

    // Abandons the requests under way (their answers are dropped) and waits for the threads.
    ~AheadRequests() {
        stop_.request_stop();
        workers_.clear();
    }

    AheadRequests(const AheadRequests&) = delete;
    AheadRequests& operator=(const AheadRequests&) = delete;

    // The answer of the next request in order, blocking until it is in. Lets that request and
    // up to parallel - 1 after it start, but none at or past `end`, the number of requests the
    // pass may need at all. Rethrows what the request threw. Throws RunStopped once the run's
    // stop is requested, whether or not the answer is in; std::system_error when no thread can
    // be started.
    Answer TakeNext(size_t end) {
        std::unique_lock lock(mutex_);
        const size_t index = taken_;
        Release(std::max(index + 1, std::min(end, index + parallel_)));
        const std::stop_token stop = stop_.get_token();
        changed_.wait(lock, stop, [this, index] { return outcomes_[index].has_value(); });
        if (stop.stop_requested()) {
            throw RunStopped();
        }
        Outcome outcome = std::move(*outcomes_[index]);
        outcomes_[index].reset();
        ++taken_;
        lock.unlock();
        if (std::holds_alternative<std::exception_ptr>(outcome)) {
            std::rethrow_exception(std::get<std::exception_ptr>(outcome));
        }
        return std::get<Answer>(std::move(outcome));
    }

  private:
    using Outcome = std::variant<Answer, std::exception_ptr>;

    struct StopAll {
        std::stop_source source;
        void operator()() noexcept { source.request_stop(); }
    };

    // With mutex_ held.
    void Release(size_t released) {
        if (released <= released_) {
            return;
        }
        released_ = released;
        outcomes_.resize(released_);
        while (workers_.size() < std::min(parallel_, released_)) {
            workers_.emplace_back([this] { Work(); });
        }
        changed_.notify_all();
    }

    void Work() {
        const std::stop_token stop = stop_.get_token();
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, stop, [this] { return started_ < released_ && !failed_; });
            if (stop.stop_requested()) {
                return;
            }
            const size_t index = started_++;
            lock.unlock();
            std::optional<Outcome> outcome;
            try {
                outcome.emplace(std::in_place_index<0>, request_(index, stop));
            } catch (...) {
                outcome.emplace(std::in_place_index<1>, std::current_exception());
            }
            lock.lock();
            failed_ = failed_ || outcome->index() == 1;
            outcomes_[index] = std::move(outcome);
            changed_.notify_all();
        }
    }

    const Request request_;
    const size_t parallel_;
    std::stop_source stop_;
    std::stop_callback<StopAll> link_;

    std::mutex mutex_;
    std::condition_variable_any changed_;
    size_t released_ = 0;
    size_t started_ = 0;
    size_t taken_ = 0;
    bool failed_ = false;
    // By index; an answer leaves its place when it is taken.
    std::deque<std::optional<Outcome>> outcomes_;
    std::vector<std::jthread> workers_;
};

}  // namespace search
