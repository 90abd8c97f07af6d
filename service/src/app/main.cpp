// orvane-content-service: serves the SDK from a database until SIGTERM or SIGINT.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "content/content_error.h"
#include "content_service.h"

namespace {

constexpr const char* kUsage =
    "usage: orvane-content-service [--database URL] [--host H] [--port N] [--content DIR]\n"
    "                              [--app KEY] [--sdk-key KEY] [--admin-token TOKEN]\n"
    "                              [--cert FILE --key FILE] [--quiet]\n"
    "  --database     sqlite:PATH or postgresql://... (default sqlite:orvane-content.sqlite)\n"
    "  --host         address to listen on (default 127.0.0.1)\n"
    "  --port         port to listen on, 0 for any free one (default 8080)\n"
    "  --content      content folder loaded into a database without content (default: the samples)\n"
    "  --app          the app the content folder is for (default demo-app)\n"
    "  --sdk-key      that app's SDK key (default demo-sdk-key)\n"
    "  --admin-token  bearer token for /metrics; unset: not served\n"
    "  --cert, --key  PEM certificate chain and private key: serve HTTPS\n"
    "  --quiet        no access log\n";

struct Arguments {
  orvane::service::app::ContentServiceOptions options;
  orvane::service::content::ContentSeed seed{ORVANE_DEFAULT_CONTENT_DIR};
  bool quiet = false;
};

bool parsePort(const std::string& text, int& port) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  port = std::stoi(text);
  return port <= 65535;
}

// False (after saying why) when the command line is not understood.
bool parse(int argc, char** argv, Arguments& arguments) {
  auto& options = arguments.options;
  options.databaseUrl = "sqlite:orvane-content.sqlite";
  options.port = 8080;
  for (int i = 1; i < argc; ++i) {
    const std::string_view flag = argv[i];
    if (flag == "--quiet") {
      arguments.quiet = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::cerr << "missing value after " << flag << "\n";
      return false;
    }
    const std::string value = argv[++i];
    if (flag == "--database") {
      options.databaseUrl = value;
    } else if (flag == "--host") {
      options.host = value;
    } else if (flag == "--port") {
      if (!parsePort(value, options.port)) {
        std::cerr << "not a port: " << value << "\n";
        return false;
      }
    } else if (flag == "--content") {
      arguments.seed.folder = value;
    } else if (flag == "--app") {
      arguments.seed.appKey = value;
    } else if (flag == "--sdk-key") {
      arguments.seed.sdkKey = value;
    } else if (flag == "--admin-token") {
      options.adminToken = value;
    } else if (flag == "--cert") {
      options.certificatePath = value;
    } else if (flag == "--key") {
      options.privateKeyPath = value;
    } else {
      std::cerr << "unknown option " << flag << "\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (!parse(argc, argv, arguments)) {
    std::cerr << kUsage;
    return 2;
  }
  auto& options = arguments.options;
  options.seed = arguments.seed;
  options.placeholderMedia = true;
  if (!arguments.quiet) options.accessLog = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };

  // Blocked before any thread starts, so that only the sigwait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  try {
    orvane::service::app::ContentService service(options);
    service.start();
    std::cout << "Orvane content service on " << service.origin() << " using " << options.databaseUrl << std::endl;
    int received = 0;
    sigwait(&stopSignals, &received);
    service.flushAndStop();
  } catch (const std::exception& error) {
    std::cerr << "orvane-content-service: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
