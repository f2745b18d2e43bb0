#pragma once

#include <utility>

#include "base/published.hpp"

namespace orvane {

// A value that tells its observers only of real changes: assigning a value equal to the
// current one does nothing. The views read these, so a hub that re-publishes the same
// value redraws nothing. Same threading and reentrancy rules as Published.
template <class T>
class Observable {
 public:
  using Observer = typename Published<T>::Observer;

  explicit Observable(T initial = T{}) : value_(std::move(initial)) {}
  Observable(const Observable&) = delete;
  Observable& operator=(const Observable&) = delete;

  const T& get() const { return value_.get(); }
  const T& operator*() const { return value_.get(); }
  const T* operator->() const { return &value_.get(); }

  // True when the value changed (and observers were told).
  bool set(T value) {
    if (value_.get() == value) return false;
    value_.set(std::move(value));
    return true;
  }
  Observable& operator=(T value) {
    set(std::move(value));
    return *this;
  }
  // Changes a copy of the value; observers hear of it when it ends up different.
  template <class F>
  bool modify(F change) {
    T copy = value_.get();
    change(copy);
    return set(std::move(copy));
  }
  // Changes the value in place, without a copy, for large values whose change the
  // caller can tell: `change` returns true when it changed something, and must leave
  // the value untouched when it returns false.
  template <class F>
  bool update(F change) {
    return value_.update(std::move(change));
  }

  [[nodiscard]] Subscription subscribe(Observer observer) { return value_.subscribe(std::move(observer)); }
  [[nodiscard]] Subscription subscribeAndPrime(Observer observer) { return value_.subscribeAndPrime(std::move(observer)); }

 private:
  Published<T> value_;
};

}  // namespace orvane
