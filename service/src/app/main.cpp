// orvane-content-service: serves a content directory to the SDK until interrupted.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "content_service.h"

namespace {

constexpr const char* kUsage =
    "usage: orvane-content-service [--host H] [--port N] [--content DIR] [--sdk-key KEY]\n"
    "                              [--cert FILE --key FILE] [--unavailable] [--quiet]\n"
    "  --host         address to listen on (default 127.0.0.1)\n"
    "  --port         port to listen on, 0 for any free one (default 8080)\n"
    "  --content      directory of <placement>.stories.json / .banners.json files\n"
    "  --sdk-key      key expected in X-Zephro-SDK-Key (default demo-sdk-key)\n"
    "  --cert, --key  PEM certificate chain and private key: serve HTTPS\n"
    "  --unavailable  answer every request with 503\n"
    "  --quiet        no line per request\n";

struct Arguments {
  std::string host = "127.0.0.1";
  int port = 8080;
  std::string contentDirectory = ORVANE_DEFAULT_CONTENT_DIR;
  orvane::service::ContentServiceOptions options;
  bool unavailable = false;
  bool quiet = false;
};

bool parsePort(const std::string& text, int& port) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  port = std::stoi(text);
  return port <= 65535;
}

// False (after saying why) when the command line is not understood.
bool parse(int argc, char** argv, Arguments& arguments) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view flag = argv[i];
    if (flag == "--unavailable") {
      arguments.unavailable = true;
      continue;
    }
    if (flag == "--quiet") {
      arguments.quiet = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::cerr << "missing value after " << flag << "\n";
      return false;
    }
    const std::string value = argv[++i];
    if (flag == "--host") {
      arguments.host = value;
    } else if (flag == "--port") {
      if (!parsePort(value, arguments.port)) {
        std::cerr << "not a port: " << value << "\n";
        return false;
      }
    } else if (flag == "--content") {
      arguments.contentDirectory = value;
    } else if (flag == "--sdk-key") {
      arguments.options.sdkKey = value;
    } else if (flag == "--cert") {
      arguments.options.certificatePath = value;
    } else if (flag == "--key") {
      arguments.options.privateKeyPath = value;
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
  if (!arguments.quiet) arguments.options.log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };

  // Blocked before any thread starts, so that only the sigwait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  try {
    orvane::service::ContentService service(arguments.contentDirectory, arguments.options);
    service.setUnavailable(arguments.unavailable);
    service.start(arguments.host, arguments.port);
    std::cout << "Orvane content service on " << service.origin() << " serving " << arguments.contentDirectory
              << (arguments.unavailable ? " (answering 503)" : "") << std::endl;
    int received = 0;
    sigwait(&stopSignals, &received);
    service.stop();
  } catch (const orvane::service::ContentError& error) {
    std::cerr << "orvane-content-service: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
