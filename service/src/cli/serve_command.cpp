// serve: the content service on a port until SIGTERM or SIGINT.
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "admin/admin_service.h"
#include "app/content_service.h"
#include "command.h"
#include "console/console_files.h"
#include "media/media_library.h"
#include "media/media_routes.h"
#include "storage/event_retention.h"

namespace orvane::service::cli {
namespace {

// A database URL fit to print: a password in it is hidden.
std::string withoutPassword(const std::string& url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  const std::size_t at = url.find('@', scheme + 3);
  const std::size_t colon = url.find(':', scheme + 3);
  if (at == std::string::npos || colon == std::string::npos || colon > at) return url;
  return url.substr(0, colon + 1) + "***" + url.substr(at);
}

struct ServeSettings {
  app::ContentServiceOptions service;
  media::MediaLimits mediaLimits;
  std::filesystem::path mediaFolder;
  int eventRetentionDays = 400;
  std::optional<std::filesystem::path> consoleFolder;
  std::vector<std::string> appLinkSchemes;
  bool quiet = false;
};

ServeSettings settingsFrom(const ParsedFlags& flags) {
  ServeSettings settings;
  app::ContentServiceOptions& service = settings.service;
  service.databaseUrl = flags.text("database");
  service.host = flags.text("host");
  service.port = static_cast<int>(flags.integer("port", 0, 65535));
  if (auto token = flags.value("admin-token"); token && !token->empty()) service.adminToken = *token;
  if (flags.value("cert").has_value() != flags.value("key").has_value()) {
    throw UsageError("--cert and --key go together: the certificate chain and its private key");
  }
  if (auto cert = flags.value("cert")) service.certificatePath = *cert;
  if (auto key = flags.value("key")) service.privateKeyPath = *key;
  if (auto origin = flags.value("public-origin")) service.publicOrigin = *origin;
  try {
    service.trustedProxies = http::TrustedProxies::parse(flags.text("trusted-proxies"));
  } catch (const std::invalid_argument& error) {
    throw UsageError(std::string("--trusted-proxies: ") + error.what());
  }
  if (auto folder = flags.value("content"))
    service.seed = content::ContentSeed{*folder, flags.text("app"), flags.text("sdk-key")};
  // The sample content links to generated pictures and videos rather than to files of its own.
  service.placeholderMedia = true;
  const double rate = static_cast<double>(flags.integer("rate-limit", 0, 1'000'000));
  service.limits.votes = {rate, 2 * rate};
  service.limits.events = {rate, 2 * rate};
  service.limits.voteBodyBytes = flags.bytes("max-vote-body");
  service.limits.eventBodyBytes = flags.bytes("max-event-body");
  service.eventQueue.maxEvents = static_cast<std::size_t>(flags.integer("event-queue", 1, 100'000'000));
  service.workerThreads = static_cast<unsigned>(flags.integer("workers", 1, 256));
  settings.mediaFolder = flags.text("media");
  service.mediaFolder = settings.mediaFolder;
  settings.mediaLimits.maxImageBytes = flags.bytes("max-image");
  settings.mediaLimits.maxVideoBytes = flags.bytes("max-video");
  settings.eventRetentionDays = static_cast<int>(flags.integer("event-retention-days", 1, 100'000));
  settings.consoleFolder = flags.value("console-dir")
                               ? std::optional<std::filesystem::path>(flags.text("console-dir"))
                               : console::defaultConsoleFolder(ORVANE_CONSOLE_INSTALLED_DIR, ORVANE_CONSOLE_BUILD_DIR);
  const std::string schemes = flags.text("link-schemes");
  for (std::string_view list = schemes; !list.empty();) {
    const std::size_t comma = std::min(list.find(','), list.size());
    if (comma > 0) settings.appLinkSchemes.emplace_back(list.substr(0, comma));
    list.remove_prefix(std::min(comma + 1, list.size()));
  }
  settings.quiet = flags.enabled("quiet");
  return settings;
}

int runServe(const ParsedFlags& flags) {
  ServeSettings settings = settingsFrom(flags);
  if (!settings.quiet) {
    settings.service.accessLog = [](const std::string& line) { std::cerr << line + "\n" << std::flush; };
  }

  // Blocked before any thread starts, so that only the sigwait below takes them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  app::ContentService service(settings.service);
  media::MediaLibrary library(service.store(), media::MediaFolder(settings.mediaFolder),
                              settings.mediaLimits);
  admin::AdminServiceOptions adminOptions;
  adminOptions.adminToken = settings.service.adminToken;
  adminOptions.api.appLinkSchemes = settings.appLinkSchemes;
  // Behind a proxy that speaks HTTPS the browser keeps only Secure cookies from it as it should.
  adminOptions.secureCookies = settings.service.publicOrigin && settings.service.publicOrigin->starts_with("https://");
  admin::AdminService adminService(service.store(), &library, adminOptions);
  service.addRoutes([&](http::Router& router) {
    media::addMediaRoutes(router, library);
    adminService.addRoutes(router);
    console::addConsoleRoutes(router, settings.consoleFolder);
  });
  const auto reportProblem = [](const std::string& problem) { std::cerr << problem + "\n" << std::flush; };
  storage::EventRetention retention(service.store(), settings.eventRetentionDays, std::chrono::hours(1),
                                    reportProblem);
  service.start();
  std::cout << "Orvane content service on " << service.origin() << " using "
            << withoutPassword(settings.service.databaseUrl) << "; console at " << service.origin() << "/console/"
            << (settings.consoleFolder ? "" : " (not built)") << std::endl;

  int received = 0;
  sigwait(&stopSignals, &received);
  std::cout << "stopping: answering the requests in flight and storing queued events" << std::endl;
  service.flushAndStop();
  std::cout << "stopped" << std::endl;
  return 0;
}

}  // namespace

Command serveCommand() {
  return {
      "serve",
      "orvane-content-service serve [options]",
      "Serves stories, banners, votes and events to the SDK, uploaded media, the admin API and the\n"
      "web console, until SIGTERM or SIGINT: then it finishes the answers in flight, stores the queued events and exits 0.\n"
      "The first line printed names the origin it listens on.",
      {databaseFlag(),
       {"host", "ORVANE_HOST", "HOST", "127.0.0.1", "address to listen on"},
       {"port", "ORVANE_PORT", "N", "8080", "port to listen on; 0 picks a free one"},
       {"content", "ORVANE_CONTENT", "DIR", "",
        "content folder loaded and published into a database without content; a database with\n"
        "                        content is left as it is"},
       appFlag(),
       {"sdk-key", "ORVANE_SDK_KEY", "KEY", "demo-sdk-key", "the SDK key the seeded app is given"},
       {"media", "ORVANE_MEDIA_DIR", "DIR", "orvane-media", "folder of uploaded images and videos"},
       {"admin-token", "ORVANE_ADMIN_TOKEN", "TOKEN", "",
        "bearer token of the admin API (for automation) and /metrics; unset: /metrics is not\n"
        "                        served and only console users reach the admin API"},
       {"console-dir", "ORVANE_CONSOLE_DIR", "DIR", "",
        "folder of the built web console served at /console/; unset: the installed one, else\n"
        "                        the build tree's"},
       {"link-schemes", "ORVANE_LINK_SCHEMES", "LIST", "orvane-demo",
        "comma-separated link schemes the host apps open (their deep links) besides http,\n"
        "                        https, mailto and tel; the console refuses call-to-action links of others"},
       {"public-origin", "ORVANE_PUBLIC_ORIGIN", "URL", "",
        "what {{origin}} in content becomes behind a proxy; unset: the address asked"},
       {"trusted-proxies", "ORVANE_TRUSTED_PROXIES", "LIST", "",
        "comma-separated addresses or networks (10.0.0.0/8) of load balancers whose\n"
        "                        X-Forwarded-For names the client that rate limits and logs go by"},
       {"cert", "ORVANE_CERT", "FILE", "", "PEM certificate chain: serve HTTPS (with --key)"},
       {"key", "ORVANE_KEY", "FILE", "", "PEM private key of --cert"},
       {"rate-limit", "ORVANE_RATE_LIMIT", "N", "100",
        "votes, and event posts, a second per SDK key and client address; 0: no limit"},
       {"max-vote-body", "ORVANE_MAX_VOTE_BODY", "BYTES", "4KiB", "largest vote body, after decoding"},
       {"max-event-body", "ORVANE_MAX_EVENT_BODY", "BYTES", "64KiB", "largest event body, after decoding"},
       {"max-image", "ORVANE_MAX_IMAGE", "BYTES", "20MiB", "largest image upload"},
       {"max-video", "ORVANE_MAX_VIDEO", "BYTES", "100MiB", "largest video upload"},
       {"event-queue", "ORVANE_EVENT_QUEUE", "N", "50000",
        "events held for writing; more are dropped and counted"},
       {"workers", "ORVANE_WORKERS", "N", "4", "threads answering requests"},
       {"event-retention-days", "ORVANE_EVENT_RETENTION_DAYS", "DAYS", "400",
        "events are kept this many whole days besides today, then deleted (checked hourly)"},
       {"quiet", "ORVANE_QUIET", "", "", "no JSON access-log line per request on standard error"}},
      0,
      runServe};
}

}  // namespace orvane::service::cli
