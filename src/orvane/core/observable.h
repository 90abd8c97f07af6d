#pragma once

#include <orvane/export.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace orvane {

namespace observable_detail {

struct ORVANE_EXPORT Observer {
  std::uint64_t id;
  std::function<void()> willChange;
  bool active = true;
};

struct ORVANE_EXPORT ObserverList {
  std::uint64_t nextId = 1;
  std::vector<std::shared_ptr<Observer>> observers;

  void remove(std::uint64_t id);
};

}  // namespace observable_detail

// Keeps one observer registered for as long as it lives. Outliving the observable is fine.
// Main thread only, like everything observable.
class ORVANE_EXPORT Subscription {
 public:
  Subscription() = default;
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  Subscription(Subscription&& other) noexcept;
  Subscription& operator=(Subscription&& other) noexcept;
  ~Subscription();

  // Stops notifications now; also stops a notification that is in progress from reaching it.
  void cancel();

 private:
  friend class Observable;
  Subscription(std::weak_ptr<observable_detail::ObserverList> list,
               std::weak_ptr<observable_detail::Observer> observer);

  std::weak_ptr<observable_detail::ObserverList> list_;
  std::weak_ptr<observable_detail::Observer> observer_;
};

// An object whose state observers learn about just BEFORE each change, synchronously on the main
// thread. Observers that need the new state re-read it later (a toolkit binding posts to its own
// queue and reads the accessors then). Observers may subscribe and cancel from inside a
// notification, but must not release the observable: it is about to change.
//
//   class Model : public Observable {
//    public:
//     int count() const { return count_.get(); }
//     void bump() { count_.set(count_.get() + 1); }
//    private:
//     Published<int> count_{*this, 0};
//   };
//   Subscription token = model.observe([&] { queue.post([&] { render(model.count()); }); });
class ORVANE_EXPORT Observable {
 public:
  Observable();
  Observable(const Observable&) = delete;
  Observable& operator=(const Observable&) = delete;

  [[nodiscard]] Subscription observe(std::function<void()> willChange);

 protected:
  ~Observable() = default;
  void willChange();

 private:
  template <typename T>
  friend class Published;

  std::shared_ptr<observable_detail::ObserverList> list_;
};

// One published property of an Observable. Every set notifies first, even when the value is
// equal to the current one: observers are told "something may change", never what.
template <typename T>
class Published {
 public:
  Published(Observable& owner, T initial) : owner_(owner), value_(std::move(initial)) {}
  Published(const Published&) = delete;
  Published& operator=(const Published&) = delete;

  const T& get() const { return value_; }

  void set(T value) {
    owner_.willChange();
    value_ = std::move(value);
  }

 private:
  Observable& owner_;
  T value_;
};

}  // namespace orvane
