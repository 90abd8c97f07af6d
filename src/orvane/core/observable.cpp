#include <orvane/core/observable.h>

#include <algorithm>

namespace orvane {

namespace observable_detail {

void ObserverList::remove(std::uint64_t id) {
  std::erase_if(observers, [id](const std::shared_ptr<Observer>& observer) { return observer->id == id; });
}

}  // namespace observable_detail

Subscription::Subscription(std::weak_ptr<observable_detail::ObserverList> list,
                           std::weak_ptr<observable_detail::Observer> observer)
    : list_(std::move(list)), observer_(std::move(observer)) {}

Subscription::Subscription(Subscription&& other) noexcept
    : list_(std::move(other.list_)), observer_(std::move(other.observer_)) {}

Subscription& Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    cancel();
    list_ = std::move(other.list_);
    observer_ = std::move(other.observer_);
  }
  return *this;
}

Subscription::~Subscription() { cancel(); }

void Subscription::cancel() {
  if (auto observer = observer_.lock()) {
    observer->active = false;
    if (auto list = list_.lock()) list->remove(observer->id);
  }
  list_.reset();
  observer_.reset();
}

Observable::Observable() : list_(std::make_shared<observable_detail::ObserverList>()) {}

Subscription Observable::observe(std::function<void()> willChange) {
  auto observer = std::make_shared<observable_detail::Observer>(
      observable_detail::Observer{list_->nextId++, std::move(willChange)});
  list_->observers.push_back(observer);
  return Subscription(list_, observer);
}

void Observable::willChange() {
  // A snapshot, so observers may subscribe and cancel while being told.
  const auto snapshot = list_->observers;
  for (const auto& observer : snapshot) {
    if (observer->active) observer->willChange();
  }
}

}  // namespace orvane
