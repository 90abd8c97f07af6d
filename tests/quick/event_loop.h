#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>

namespace orvane::quick::testing {

// Runs a GUI-thread event loop until `done` holds or the timeout passes; true when `done` held.
inline bool runEventLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  QEventLoop loop;
  QElapsedTimer elapsed;
  elapsed.start();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done() || elapsed.elapsed() >= timeout.count()) loop.quit();
  });
  poll.start(1);
  if (!done()) loop.exec();
  return done();
}

inline void runEventLoopFor(std::chrono::milliseconds span) {
  runEventLoopUntil([] { return false; }, span);
}

}  // namespace orvane::quick::testing
