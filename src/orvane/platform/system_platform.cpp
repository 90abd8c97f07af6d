#include <orvane/platform/system_platform.h>

#include <errno.h>
#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include <orvane/platform/curl_http_session.h>
#include <orvane/platform/service_origin.h>
#include <orvane/platform/worker_pool.h>

namespace orvane {
namespace {

class AnonymousDevice final : public DeviceInfo {
 public:
  std::optional<std::string> identifierForVendor() const override { return std::nullopt; }
};

class AnonymousBundle final : public BundleInfo {
 public:
  std::optional<std::string> bundleIdentifier() const override { return std::nullopt; }
  std::optional<std::string> shortVersionString() const override { return std::nullopt; }
};

class NoImageDecoder final : public ImageDecoder {
 public:
  std::shared_ptr<const Image> decode(std::string_view, const ImageDecodeLimits&) const override {
    return nullptr;
  }
};

class IgnoringUrlOpener final : public UrlOpener {
 public:
  void open(const Url&) override {}
};

class NoFonts final : public FontCatalog {
 public:
  bool hasFont(const std::string&, double) const override { return false; }
};

// One transport for the process, like a shared URL session: all requests reuse its connections.
std::shared_ptr<HttpSession> sharedCurlSession() {
  static const auto session = std::make_shared<CurlHttpSession>();
  return session;
}

// Straight from the kernel's CSPRNG on every call: no generator state of our own that threads
// could seed alike or a fork could duplicate.
void fillWithRandomBytes(void* buffer, std::size_t size) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (size > 0) {
    const ssize_t got = getrandom(bytes, size, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "getrandom");
    }
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
}

std::shared_ptr<HttpSession> curlSessionTo(const std::string& serviceOrigin) {
  CurlHttpSession::Options options;
  options.originOverrides[std::string(kServiceOrigin)] = serviceOrigin;
  return std::make_shared<CurlHttpSession>(std::move(options));
}

}  // namespace

std::string RandomUuidSource::uuidString() {
  std::uint64_t words[2];
  fillWithRandomBytes(words, sizeof words);
  std::uint64_t high = words[0], low = words[1];
  high = (high & 0xFFFFFFFFFFFF0FFFULL) | 0x0000000000004000ULL;  // version 4
  low = (low & 0x3FFFFFFFFFFFFFFFULL) | 0x8000000000000000ULL;    // RFC 4122 variant
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(high >> 32),
                static_cast<unsigned>((high >> 16) & 0xFFFF), static_cast<unsigned>(high & 0xFFFF),
                static_cast<unsigned>(low >> 48), static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
  return buffer;
}

std::string ProcessLocale::identifier() const {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    std::string text(value);
    auto cut = text.find_first_of(".@");
    if (cut != std::string::npos) text.erase(cut);
    if (text == "C" || text == "POSIX") return "en_US_POSIX";
    return text;
  }
  return "en_US_POSIX";
}

std::optional<std::string> ProcessLocale::regionCode() const {
  auto text = identifier();
  auto underscore = text.find('_');
  if (underscore == std::string::npos) return std::nullopt;
  auto region = text.substr(underscore + 1);
  auto end = region.find('_');
  if (end != std::string::npos) region.erase(end);
  if (region.empty()) return std::nullopt;
  return region;
}

std::optional<std::string> MemoryStore::string(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

void MemoryStore::set(const std::string& key, const std::string& value) {
  std::lock_guard lock(mutex_);
  values_[key] = value;
}

std::string MemoryStore::storedOrCreated(const std::string& key,
                                         const std::function<bool(const std::string&)>& usable,
                                         const std::function<std::string()>& create) {
  std::lock_guard lock(mutex_);
  auto found = values_.find(key);
  if (found != values_.end() && usable(found->second)) return found->second;
  return values_[key] = create();
}

std::string defaultCacheDirectory() {
  std::string home;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] == '/') {
    home = xdg;
  } else if (const char* user = std::getenv("HOME"); user != nullptr && user[0] == '/') {
    home = std::string(user) + "/.cache";
  } else {
    return {};
  }
  // Processes of one program share the folder; different programs keep apart.
  const std::string program =
      program_invocation_short_name[0] != '\0' ? program_invocation_short_name : "orvane";
  return home + "/" + program + "/orvane-stories";
}

void StandardErrorConsole::writeLine(std::string_view line) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

Platform withHeadlessDefaults(Platform platform) {
  if (!platform.http)
    platform.http = platform.serviceOrigin ? curlSessionTo(*platform.serviceOrigin) : sharedCurlSession();
  if (!platform.store) platform.store = std::make_shared<MemoryStore>();
  if (!platform.clock) platform.clock = std::make_shared<SystemClock>();
  if (!platform.uuid) platform.uuid = std::make_shared<RandomUuidSource>();
  if (!platform.locale) platform.locale = std::make_shared<ProcessLocale>();
  if (!platform.device) platform.device = std::make_shared<AnonymousDevice>();
  if (!platform.bundle) platform.bundle = std::make_shared<AnonymousBundle>();
  if (!platform.console) platform.console = std::make_shared<StandardErrorConsole>();
  if (!platform.imageDecoder) platform.imageDecoder = std::make_shared<NoImageDecoder>();
  if (!platform.urlOpener) platform.urlOpener = std::make_shared<IgnoringUrlOpener>();
  if (!platform.fonts) platform.fonts = std::make_shared<NoFonts>();
  if (!platform.cacheDirectory) platform.cacheDirectory = defaultCacheDirectory();
  if (!platform.workers) {
    static const auto workers = std::make_shared<WorkerPool>();
    platform.workers = workers;
  }
  return platform;
}

}  // namespace orvane
