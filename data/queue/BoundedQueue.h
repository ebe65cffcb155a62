#pragma once
// The one way work passes between threads in this program: a queue of at most `capacity` items, filled by helper
// threads of its own (or by its owner) and emptied by its owner's thread (or by another queue's helpers).
//
// - The helper threads run the body given to produce(). When the last body returns, the queue is closed; when one
//   throws (memory included), or a thread cannot start at all, the queue is closed with that error, and pop()
//   rethrows it once the items before it are taken. The items pushed before a failure are never lost.
// - The owner may stop taking at any time: destroying the queue asks the helpers to stop (a push() or pop() they
//   are waiting in returns at once) and joins them, on every way out.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

namespace data {

template <class T> class BoundedQueue
{
public:
    explicit BoundedQueue(std::size_t capacity) : capacity_(capacity > 0 ? capacity : 1) {}
    ~BoundedQueue() = default; // the helper (declared last) is asked to stop and joined first
    BoundedQueue(const BoundedQueue&) = delete;
    BoundedQueue& operator=(const BoundedQueue&) = delete;

    // Starts the helper threads, `helpers` of them, each running body(std::stop_token) to push items. Once per
    // queue. The queue closes when the last body returns, or at once with the first failure.
    template <class Body> void produce(Body body, int helpers = 1)
    {
        {
            const std::lock_guard lock(mutex_);
            running_ = helpers;
        }
        try {
            helpers_.reserve(std::size_t(helpers));
            for (int i = 0; i < helpers; ++i) {
                helpers_.emplace_back([this, body](std::stop_token stop) mutable {
                    try {
                        body(stop);
                        helperDone();
                    } catch (...) {
                        close(std::current_exception());
                    }
                });
            }
        } catch (...) {
            close(std::current_exception()); // a thread did not start: the taker meets the error
        }
    }

    // Waits for room. False when the queue is closed or the helper is asked to stop: nobody takes any more.
    bool push(T item, std::stop_token stop = {})
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait(lock, stop, [this] { return items_.size() < capacity_ || closed_; }) || closed_)
            return false;
        items_.push_back(std::move(item));
        changed_.notify_all();
        return true;
    }

    // The next item, waiting for it; nothing once the queue is closed and empty (or the caller is asked to stop).
    // Rethrows the error the queue was closed with, after the items before it.
    std::optional<T> pop(std::stop_token stop = {})
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait(lock, stop, [this] { return !items_.empty() || closed_; }))
            return std::nullopt;
        if (!items_.empty()) {
            T item = std::move(items_.front());
            items_.pop_front();
            changed_.notify_all();
            return item;
        }
        if (failure_)
            std::rethrow_exception(failure_);
        return std::nullopt;
    }

    // The next item if one is queued, without waiting (for a queue that hands spare items back the other way).
    std::optional<T> tryPop()
    {
        const std::lock_guard lock(mutex_);
        if (items_.empty())
            return std::nullopt;
        T item = std::move(items_.front());
        items_.pop_front();
        changed_.notify_all();
        return item;
    }

    // No more items: pop() ends after those queued, with the failure if one is given (the first one counts).
    void close(std::exception_ptr failure = nullptr) noexcept
    {
        {
            const std::lock_guard lock(mutex_);
            closed_ = true;
            if (!failure_)
                failure_ = std::move(failure);
        }
        changed_.notify_all();
    }

private:
    void helperDone() noexcept
    {
        bool last = false;
        {
            const std::lock_guard lock(mutex_);
            last = --running_ == 0;
        }
        if (last)
            close();
    }

    const std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::deque<T> items_;
    bool closed_ = false;
    std::exception_ptr failure_;
    int running_ = 0;                   // helper bodies not yet returned
    std::vector<std::jthread> helpers_; // last: stopped and joined before anything above goes
};

} // namespace data
