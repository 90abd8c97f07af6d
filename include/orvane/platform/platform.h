#pragma once

#include <orvane/export.h>

#include <memory>
#include <optional>
#include <string>

#include <orvane/platform/bundle.h>
#include <orvane/platform/clock.h>
#include <orvane/platform/console.h>
#include <orvane/platform/device.h>
#include <orvane/platform/fonts.h>
#include <orvane/platform/http.h>
#include <orvane/platform/image.h>
#include <orvane/platform/key_value_store.h>
#include <orvane/platform/locale.h>
#include <orvane/platform/main_queue.h>
#include <orvane/platform/url_opener.h>
#include <orvane/platform/uuid.h>

namespace orvane {

class WorkerPool;

// Everything the core needs from its host, in one place. A host binding (Qt, a test harness,
// a command-line tool) fills it once, before the SDK is first used.
//
// \code
// Platform platform;
// platform.mainQueue = std::make_shared<RunLoop>();
// platform.console = std::make_shared<MyConsole>();  // everything unset gets its headless default
// Platform::install(platform);
// \endcode
struct ORVANE_EXPORT Platform {
  // The host's implementation of each service the core needs, by interface: the transport, the
  // main queue, the persistent store, clock, UUIDs, locale, device and app identity, log lines,
  // image decoding, opening links and the installed fonts. Unset: the headless default.
  //@{
  std::shared_ptr<HttpSession> http;
  std::shared_ptr<MainQueue> mainQueue;
  std::shared_ptr<KeyValueStore> store;
  std::shared_ptr<Clock> clock;
  std::shared_ptr<UuidSource> uuid;
  std::shared_ptr<LocaleInfo> locale;
  std::shared_ptr<DeviceInfo> device;
  std::shared_ptr<BundleInfo> bundle;
  std::shared_ptr<Console> console;
  std::shared_ptr<ImageDecoder> imageDecoder;
  std::shared_ptr<UrlOpener> urlOpener;
  std::shared_ptr<FontCatalog> fonts;
  //@}
  // Where answers and images are decoded; shared by every SDK object built on this platform.
  std::shared_ptr<WorkerPool> workers;

  // Where the SDK's requests go instead of the service's fixed origin: one's own deployment of the
  // content service, e.g. "https://stories.example.com" or "http://127.0.0.1:8080". Applies to the
  // default transport only (a host that sets `http` points its own transport). Unset: the service.
  std::optional<std::string> serviceOrigin;

  // The folder the SDK keeps downloaded media and the last answer of each placement in, so that
  // they outlive a restart; the app's cache location, whose contents the system may remove at any
  // time. Unset: the headless default ($XDG_CACHE_HOME, else ~/.cache, then the program's name).
  // Empty: nothing is kept on disk.
  std::optional<std::string> cacheDirectory;

  // The platform the shared SDK objects are built on. Set it before their first use;
  // unset members fall back to the headless defaults of system_platform.h.
  static void install(Platform platform);
  // The installed platform, with its defaults; the headless defaults alone if none was installed.
  static const Platform& current();
  // Whether install was called: a toolkit binding then leaves the host's choice alone.
  static bool isInstalled();
};

}  // namespace orvane
