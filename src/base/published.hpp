#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace orvane {

// Keeps a subscription alive; destroying (or resetting) it unsubscribes. Safe to
// destroy after the value it watched is gone.
class Subscription {
 public:
  Subscription() = default;
  explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
  Subscription& operator=(Subscription&& other) noexcept {
    if (this != &other) {
      reset();
      cancel_ = std::exchange(other.cancel_, {});
    }
    return *this;
  }
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { reset(); }

  void reset() {
    if (auto cancel = std::exchange(cancel_, {})) cancel();
  }

 private:
  std::function<void()> cancel_;
};

// A value that tells its observers of every assignment, also of one that assigns an
// equal value (observers that want changes only compare for themselves). Lives on one
// thread, the main one for the hub; observers run synchronously, in the order they
// subscribed. An observer may subscribe or unsubscribe others, or itself, while it runs:
// one added then first hears the next assignment, one removed hears nothing more.
template <class T>
class Published {
 public:
  using Observer = std::function<void(const T& value)>;

  explicit Published(T initial = T{}) : value_(std::move(initial)), observers_(std::make_shared<Observers>()) {}
  Published(const Published&) = delete;
  Published& operator=(const Published&) = delete;

  const T& get() const { return value_; }
  const T& operator*() const { return value_; }
  const T* operator->() const { return &value_; }

  void set(T value) {
    value_ = std::move(value);
    notify();
  }
  // Changes the value in place, without a copy, and tells the observers when `change`
  // returns true (it changed something). `change` must leave the value as it was when
  // it returns false.
  template <class F>
  bool update(F change) {
    if (!change(value_)) return false;
    notify();
    return true;
  }
  Published& operator=(T value) {
    set(std::move(value));
    return *this;
  }

  // Calls `observer` on every later assignment until the subscription ends.
  [[nodiscard]] Subscription subscribe(Observer observer) {
    const std::uint64_t id = nextID_++;
    observers_->emplace(id, std::make_shared<const Observer>(std::move(observer)));
    return Subscription([weak = std::weak_ptr<Observers>(observers_), id] {
      if (auto observers = weak.lock()) observers->erase(id);
    });
  }
  // The same, called once at once with the current value (to prime a copy).
  [[nodiscard]] Subscription subscribeAndPrime(Observer observer) {
    observer(value_);
    return subscribe(std::move(observer));
  }
  std::size_t observerCount() const { return observers_->size(); }

 private:
  // Shared, so that calling one costs no copy of it: values change with every event of
  // a flood, each change calling every observer.
  using Observers = std::map<std::uint64_t, std::shared_ptr<const Observer>>;

  void notify() {
    // A snapshot of who listens now; each is checked again before it is called. Few
    // observers listen to one value: up to eight are noted without an allocation.
    std::array<std::uint64_t, 8> few{};
    std::vector<std::uint64_t> many;
    std::size_t count = 0;
    for (const auto& entry : *observers_) {
      if (count < few.size()) {
        few[count] = entry.first;
      } else {
        if (many.empty()) many.assign(few.begin(), few.end());
        many.push_back(entry.first);
      }
      ++count;
    }
    const std::uint64_t* ids = many.empty() ? few.data() : many.data();
    const auto observers = observers_;  // survives this object being destroyed by an observer
    for (std::size_t i = 0; i < count; ++i) {
      auto it = observers->find(ids[i]);
      if (it == observers->end()) continue;
      const std::shared_ptr<const Observer> observer = it->second;  // it may remove itself while it runs
      (*observer)(value_);
      if (observers.use_count() == 1) return;  // the Published is gone
    }
  }

  T value_;
  std::shared_ptr<Observers> observers_;
  std::uint64_t nextID_ = 0;
};

}  // namespace orvane
