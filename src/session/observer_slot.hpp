#pragma once

#include <memory>

namespace orvane {

// The weakly held receiver of one module's events. Events for a receiver that is gone
// are dropped: the receiver owns the server, never the other way round.
template <class Observer>
class ObserverSlot {
 public:
  void set(std::weak_ptr<Observer> observer) { observer_ = std::move(observer); }
  bool isEmpty() const { return observer_.expired(); }
  std::shared_ptr<Observer> lock() const { return observer_.lock(); }

  template <class F>
  void notify(F&& call) const {
    if (auto observer = observer_.lock()) call(*observer);
  }

 private:
  std::weak_ptr<Observer> observer_;
};

}  // namespace orvane
