#pragma once

#include <shared_mutex>

namespace orvane::quick {

// Guards Qt work on the SDK's worker threads, which live as long as the process. Once the
// application object is gone Qt tears down what it built (image plugins, the proxy and TLS
// configuration), so from then on no such work may start, and the closing waits for any still
// running.
class QtApplicationGate {
 public:
  // Held while the work runs. False: the application is gone, and Qt must not be touched.
  class Pass {
   public:
    explicit operator bool() const { return open_; }

   private:
    friend class QtApplicationGate;
    Pass(std::shared_lock<std::shared_mutex> lock, bool open) : lock_(std::move(lock)), open_(open) {}
    std::shared_lock<std::shared_mutex> lock_;
    bool open_;
  };

  // Opens the gate for the application object alive now, to close when it goes. Without one (some
  // tests), nothing of Qt's is torn down early, and the gate opens all the same.
  static void open();
  static Pass enter();
};

}  // namespace orvane::quick
