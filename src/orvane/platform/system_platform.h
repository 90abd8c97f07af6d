#pragma once

#include <orvane/export.h>

#include <map>
#include <mutex>

#include <orvane/platform/platform.h>

namespace orvane {

// Headless implementations for hosts without a UI toolkit. A toolkit binding replaces the
// ones it can do better (store, locale, decoder, opener, fonts).

class ORVANE_EXPORT SystemClock final : public Clock {
 public:
  Date now() const override { return std::chrono::floor<Date::duration>(std::chrono::system_clock::now()); }
};

// Version 4 UUIDs from the operating system's random source; safe from any thread.
class ORVANE_EXPORT RandomUuidSource final : public UuidSource {
 public:
  std::string uuidString() override;
};

// The POSIX locale of the process (LC_ALL, LC_MESSAGES, LANG), e.g. "de_AT.UTF-8" reads "de_AT".
class ORVANE_EXPORT ProcessLocale final : public LocaleInfo {
 public:
  std::string identifier() const override;
  std::optional<std::string> regionCode() const override;
};

class ORVANE_EXPORT MemoryStore final : public KeyValueStore {
 public:
  std::optional<std::string> string(const std::string& key) const override;
  void set(const std::string& key, const std::string& value) override;
  std::string storedOrCreated(const std::string& key, const std::function<bool(const std::string&)>& usable,
                              const std::function<std::string()>& create) override;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::string> values_;
};

class ORVANE_EXPORT StandardErrorConsole final : public Console {
 public:
  void writeLine(std::string_view line) override;
};

// "<XDG cache home>/<program name>/orvane-stories", the XDG cache home being $XDG_CACHE_HOME when it
// is an absolute path, else $HOME/.cache; empty (nothing kept on disk) when neither is known.
ORVANE_EXPORT std::string defaultCacheDirectory();

// Fills every unset member of `platform` with its headless default.
ORVANE_EXPORT Platform withHeadlessDefaults(Platform platform);

}  // namespace orvane
