// A bounded FIFO that never blocks its producers, and a one-shot signal.
//
// Threads: any number of producers (tryPush, close) and one consumer (pop);
// every member takes the queue's own mutex, which is innermost.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace vyx {

template <class T>
class BoundedQueue final {
 public:
  explicit BoundedQueue(size_t capacity) : capacity_(capacity) {}
  BoundedQueue(const BoundedQueue&) = delete;
  BoundedQueue& operator=(const BoundedQueue&) = delete;

  // False when full or closed; never waits.
  [[nodiscard]] bool tryPush(T item) {
    {
      const std::lock_guard lock(mu_);
      if (closed_ || items_.size() >= capacity_) return false;
      items_.push_back(std::move(item));
    }
    cv_.notify_one();
    return true;
  }

  // Waits for the next item; nullopt once the queue is closed and empty.
  [[nodiscard]] std::optional<T> pop() {
    std::unique_lock lock(mu_);
    cv_.wait(lock, [&] { return closed_ || !items_.empty(); });
    if (items_.empty()) return std::nullopt;
    T item = std::move(items_.front());
    items_.pop_front();
    return item;
  }

  void close() {
    {
      const std::lock_guard lock(mu_);
      closed_ = true;
    }
    cv_.notify_all();
  }

  [[nodiscard]] size_t size() const {
    const std::lock_guard lock(mu_);
    return items_.size();
  }

 private:
  const size_t capacity_;
  mutable std::mutex mu_;
  std::condition_variable cv_;
  std::deque<T> items_;
  bool closed_ = false;
};

// Raised once; any number of threads may wait for it, with or without a limit.
class OneShotSignal final {
 public:
  void raise() {
    {
      const std::lock_guard lock(mu_);
      raised_ = true;
    }
    cv_.notify_all();
  }
  // True when raised before the timeout.
  [[nodiscard]] bool waitFor(std::chrono::nanoseconds timeout) {
    std::unique_lock lock(mu_);
    return cv_.wait_for(lock, timeout, [&] { return raised_; });
  }
  void wait() {
    std::unique_lock lock(mu_);
    cv_.wait(lock, [&] { return raised_; });
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  bool raised_ = false;
};

}  // namespace vyx
