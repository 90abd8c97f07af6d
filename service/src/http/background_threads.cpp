#include "background_threads.h"

#include <algorithm>
#include <latch>
#include <memory>

#include <boost/asio/post.hpp>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace orvane::service::http {
namespace {

constexpr int kLowestNiceness = 19;

}  // namespace

int backgroundNiceness(int startingNiceness) {
  return std::min(kLowestNiceness, startingNiceness + kBackgroundNicenessSteps);
}

void lowerPriorityOfEachThread(boost::asio::thread_pool& pool, unsigned threads) {
  const int niceness = backgroundNiceness(currentThreadNiceness());
  // Each task holds its thread until all have started, so every thread takes exactly one. The
  // latch is shared: a task may still be leaving it when this returns.
  auto started = std::make_shared<std::latch>(threads);
  for (unsigned i = 0; i < threads; ++i) {
    boost::asio::post(pool, [started, niceness] {
#ifdef __linux__
      // Linux keeps a nice value per thread; raising one's own needs no privilege.
      setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), niceness);
#endif
      started->arrive_and_wait();
    });
  }
  started->wait();
}

int currentThreadNiceness() {
#ifdef __linux__
  return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
#else
  return 0;
#endif
}

}  // namespace orvane::service::http
