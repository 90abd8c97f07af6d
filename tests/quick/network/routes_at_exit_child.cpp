// A host that returns from main while the SDK's transport still routes requests on a worker
// thread, as an app quitting with events in flight does. Qt tears its globals down after main;
// the process must still end cleanly (status 0), whatever the worker was doing.
#include <QCoreApplication>
#include <QNetworkProxy>
#include <atomic>
#include <chrono>
#include <thread>

#include <orvane/quick/platform/qt_network_route.h>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 3128));
  static std::atomic<long> routed{0};
  std::thread([routes = std::make_shared<orvane::quick::QtNetworkRoutes>()] {
    for (;;) {
      (*routes)("https://stories.example/sdk/v1/events");
      ++routed;
    }
  }).detach();
  while (routed < 100) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return 0;
}
