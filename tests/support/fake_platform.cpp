#include "support/fake_platform.h"

#include <charconv>
#include <cstdio>

namespace orvane::testing {
namespace {

class FakeImage final : public Image {
 public:
  FakeImage(int width, int height) : width_(width), height_(height) {}
  int width() const override { return width_; }
  int height() const override { return height_; }

 private:
  int width_;
  int height_;
};

}  // namespace

std::string SequentialUuidSource::uuidString() {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "00000000-0000-4000-8000-%012llX", next_++);
  return buffer;
}

void RecordingConsole::writeLine(std::string_view line) {
  std::lock_guard lock(mutex_);
  lines_.emplace_back(line);
}

std::vector<std::string> RecordingConsole::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

std::shared_ptr<const Image> FakeImageDecoder::decode(std::string_view bytes,
                                                      const ImageDecodeLimits& limits) const {
  constexpr std::string_view prefix = "IMG:";
  if (bytes.substr(0, prefix.size()) != prefix) return nullptr;
  bytes.remove_prefix(prefix.size());
  auto cross = bytes.find('x');
  if (cross == std::string_view::npos) return nullptr;
  int width = 0, height = 0;
  if (std::from_chars(bytes.data(), bytes.data() + cross, width).ec != std::errc() ||
      std::from_chars(bytes.data() + cross + 1, bytes.data() + bytes.size(), height).ec != std::errc())
    return nullptr;
  const PixelSize size = decodedSize({width, height}, limits);
  if (size.isEmpty()) return nullptr;
  return std::make_shared<FakeImage>(size.width, size.height);
}

Platform FakePlatform::platform() const {
  Platform result;
  result.http = http;
  result.mainQueue = mainQueue;
  result.store = store;
  result.clock = clock;
  result.uuid = uuid;
  result.locale = locale;
  result.device = device;
  result.bundle = bundle;
  result.console = console;
  result.imageDecoder = imageDecoder;
  result.urlOpener = urlOpener;
  result.fonts = fonts;
  result.workers = workers;
  result.cacheDirectory = cacheDirectory;
  return result;
}

void FakePlatform::settle() {
  for (;;) {
    finishDecoding();
    if (http->deliver() == 0) return;
  }
}

void FakePlatform::finishDecoding() {
  do {
    workers->waitUntilIdle();
    mainQueue->drain();
  } while (workers->waitUntilIdle());
}

}  // namespace orvane::testing
