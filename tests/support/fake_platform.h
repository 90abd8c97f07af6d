#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <orvane/platform/platform.h>
#include <orvane/platform/system_platform.h>
#include <orvane/platform/worker_pool.h>
#include "support/scripted_http_session.h"
#include "support/virtual_main_queue.h"

namespace orvane::testing {

class FixedClock final : public Clock {
 public:
  Date now() const override { return now_; }
  void set(Date date) { now_ = date; }
  void advance(std::chrono::seconds span) { now_ += span; }

 private:
  Date now_ = Date{std::chrono::seconds{1714566600}};  // 2024-05-01T12:30:00Z
};

// UUIDs 00000000-0000-4000-8000-000000000001, ...2, ... in order.
class SequentialUuidSource final : public UuidSource {
 public:
  std::string uuidString() override;

 private:
  std::atomic<unsigned long long> next_{1};
};

class FixedLocale final : public LocaleInfo {
 public:
  std::string identifier() const override { return identifier_; }
  std::optional<std::string> regionCode() const override { return region_; }
  void set(std::string identifier, std::optional<std::string> region) {
    identifier_ = std::move(identifier);
    region_ = std::move(region);
  }

 private:
  std::string identifier_ = "en_US";
  std::optional<std::string> region_ = "US";
};

class FixedDevice final : public DeviceInfo {
 public:
  std::optional<std::string> identifierForVendor() const override { return id; }
  std::optional<std::string> id = "11111111-2222-4333-8444-555555555555";
};

class FixedBundle final : public BundleInfo {
 public:
  std::optional<std::string> bundleIdentifier() const override { return identifier; }
  std::optional<std::string> shortVersionString() const override { return version; }
  std::optional<std::string> identifier = "com.example.host";
  std::optional<std::string> version = "2.3.1";
};

class RecordingConsole final : public Console {
 public:
  void writeLine(std::string_view line) override;
  std::vector<std::string> lines() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

class RecordingUrlOpener final : public UrlOpener {
 public:
  void open(const Url& url) override { opened.push_back(url); }
  std::vector<Url> opened;
};

// "Decodes" bytes of the form "IMG:<width>x<height>", at the size the limits give; anything else
// is no image.
class FakeImageDecoder final : public ImageDecoder {
 public:
  std::shared_ptr<const Image> decode(std::string_view bytes, const ImageDecodeLimits& limits) const override;
};

class FakeFontCatalog final : public FontCatalog {
 public:
  bool hasFont(const std::string& family, double) const override { return installed.count(family) > 0; }
  std::set<std::string> installed;
};

// One of every fake, wired into a Platform. Tests build one per case for full isolation.
struct FakePlatform {
  std::shared_ptr<ScriptedHttpSession> http = std::make_shared<ScriptedHttpSession>();
  std::shared_ptr<VirtualMainQueue> mainQueue = std::make_shared<VirtualMainQueue>();
  std::shared_ptr<MemoryStore> store = std::make_shared<MemoryStore>();
  std::shared_ptr<FixedClock> clock = std::make_shared<FixedClock>();
  std::shared_ptr<SequentialUuidSource> uuid = std::make_shared<SequentialUuidSource>();
  std::shared_ptr<FixedLocale> locale = std::make_shared<FixedLocale>();
  std::shared_ptr<FixedDevice> device = std::make_shared<FixedDevice>();
  std::shared_ptr<FixedBundle> bundle = std::make_shared<FixedBundle>();
  std::shared_ptr<RecordingConsole> console = std::make_shared<RecordingConsole>();
  std::shared_ptr<FakeImageDecoder> imageDecoder = std::make_shared<FakeImageDecoder>();
  std::shared_ptr<RecordingUrlOpener> urlOpener = std::make_shared<RecordingUrlOpener>();
  std::shared_ptr<FakeFontCatalog> fonts = std::make_shared<FakeFontCatalog>();
  std::shared_ptr<WorkerPool> workers = std::make_shared<WorkerPool>(2);
  // Nothing on disk unless a test names a folder of its own.
  std::string cacheDirectory;

  Platform platform() const;
  // Delivers pending HTTP answers, waits for their decoding and runs the main queue until all
  // are quiet.
  void settle();
  // Waits for the decoding of what was delivered, then runs the main queue.
  void finishDecoding();
};

}  // namespace orvane::testing
