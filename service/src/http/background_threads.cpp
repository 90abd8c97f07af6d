#include "background_threads.h"

#include <algorithm>
#include <latch>
#include <memory>

#include <boost/asio/post.hpp>

#ifdef __linux__
#include <sched.h>
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

void lowerCurrentThreadPriority() {
#ifdef __linux__
  // Linux keeps a nice value per thread; lowering one's own needs no privilege.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), backgroundNiceness(currentThreadNiceness()));
#endif
}

void makeCurrentThreadBackground() {
  lowerCurrentThreadPriority();
#ifdef __linux__
  sched_param unused{};
  sched_setscheduler(0, SCHED_IDLE, &unused);
#endif
}

bool currentThreadIsBackground() {
#ifdef __linux__
  return sched_getscheduler(0) == SCHED_IDLE;
#else
  return false;
#endif
}

void makeEachThreadBackground(boost::asio::thread_pool& pool, unsigned threads) {
  // Each task holds its thread until all have started, so every thread takes exactly one. The
  // latch is shared: a task may still be leaving it when this returns.
  auto started = std::make_shared<std::latch>(threads);
  for (unsigned i = 0; i < threads; ++i) {
    boost::asio::post(pool, [started] {
      makeCurrentThreadBackground();
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
