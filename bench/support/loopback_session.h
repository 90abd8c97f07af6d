#pragma once

// An HTTP session answering from memory on a thread of its own, as a transport's worker does,
// counting the requests per URL.
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include <orvane/platform/http.h>

namespace orvane::bench {

class LoopbackSession final : public HttpSession {
 public:
  using Answer = std::function<std::string(const std::string& url)>;

  explicit LoopbackSession(Answer answer) : answer_(std::move(answer)), thread_([this] { serve(); }) {}
  ~LoopbackSession() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

  void send(HttpRequest request, std::function<void(HttpResult)> completion) override {
    {
      std::lock_guard lock(mutex_);
      ++requests_[request.url.string()];
      pending_.emplace_back(request.url.string(), std::move(completion));
    }
    wake_.notify_one();
  }

  // Blocks until every request sent so far has been answered.
  void waitUntilAnswered() {
    std::unique_lock lock(mutex_);
    answeredAll_.wait(lock, [this] { return pending_.empty() && !answering_; });
  }

  std::size_t requestCount() {
    std::lock_guard lock(mutex_);
    std::size_t total = 0;
    for (const auto& [url, count] : requests_) total += count;
    return total;
  }

 private:
  void serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
      if (pending_.empty()) return;
      auto [url, completion] = std::move(pending_.front());
      pending_.pop_front();
      answering_ = true;
      lock.unlock();
      completion(HttpResult{answer_(url), HttpResponse{200, {}}, std::nullopt});
      lock.lock();
      answering_ = false;
      answeredAll_.notify_all();
    }
  }

  Answer answer_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable answeredAll_;
  bool answering_ = false;
  std::deque<std::pair<std::string, std::function<void(HttpResult)>>> pending_;
  std::map<std::string, std::size_t> requests_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace orvane::bench
