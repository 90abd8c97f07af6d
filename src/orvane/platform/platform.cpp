#include <orvane/platform/platform.h>

#include <cassert>
#include <mutex>

#include <orvane/platform/system_platform.h>

namespace orvane {
namespace {

std::mutex& platformMutex() {
  static std::mutex mutex;
  return mutex;
}

Platform& installedPlatform() {
  static Platform platform;
  return platform;
}

bool& wasInstalled() {
  static bool installed = false;
  return installed;
}

}  // namespace

void Platform::install(Platform platform) {
  std::lock_guard lock(platformMutex());
  installedPlatform() = withHeadlessDefaults(std::move(platform));
  wasInstalled() = true;
}

bool Platform::isInstalled() {
  std::lock_guard lock(platformMutex());
  return wasInstalled();
}

const Platform& Platform::current() {
  std::lock_guard lock(platformMutex());
  auto& platform = installedPlatform();
  if (!platform.clock) platform = withHeadlessDefaults(std::move(platform));
  return platform;
}

}  // namespace orvane
