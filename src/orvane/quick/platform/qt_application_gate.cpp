#include <orvane/quick/platform/qt_application_gate.h>

#include <QCoreApplication>
#include <mutex>

namespace orvane::quick {
namespace {

struct Gate {
  std::shared_mutex mutex;
  bool open = false;
  const QCoreApplication* application = nullptr;
};

Gate& gate() {
  static auto* gate = new Gate;  // never destroyed: workers may still ask at exit
  return *gate;
}

void closeGate() {
  auto& shared = gate();
  std::unique_lock lock(shared.mutex);
  shared.open = false;
  shared.application = nullptr;
}

}  // namespace

void QtApplicationGate::open() {
  auto& shared = gate();
  auto* application = QCoreApplication::instance();
  std::unique_lock lock(shared.mutex);
  shared.open = true;
  if (application == nullptr || shared.application == application) return;
  shared.application = application;
  qAddPostRoutine(closeGate);
}

QtApplicationGate::Pass QtApplicationGate::enter() {
  std::shared_lock lock(gate().mutex);
  const bool open = gate().open;
  return Pass(std::move(lock), open);
}

}  // namespace orvane::quick
