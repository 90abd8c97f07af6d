#pragma once

#include <QString>
#include <optional>

#include "platform/key_value_store.h"

namespace orvane::quick {

// The SDK's persisted keys in QSettings, at the top level beside the host's own.
//
// Every call works on a QSettings object of its own (the class is reentrant, not thread-safe),
// so the store may be used from any thread. Each write is synced at once.
//
// QSettings reads '/' as a group separator and folds "a//b" into "a/b"; keys are stored with
// '%', '/' and '\' percent-encoded so that any key text round-trips and distinct keys stay
// distinct. Values QSettings holds as something other than text (lists, byte arrays, numbers
// set in this process) read absent; an INI file keeps no type for numbers and booleans, so those
// read back as their text once the file is reloaded.
class QSettingsStore final : public KeyValueStore {
 public:
  // The application's settings, located by QCoreApplication's organisation and application names.
  QSettingsStore() = default;
  // An INI file of the host's choosing.
  explicit QSettingsStore(QString iniFile) : iniFile_(std::move(iniFile)) {}

  std::optional<std::string> string(const std::string& key) const override;
  void set(const std::string& key, const std::string& value) override;

 private:
  std::optional<QString> iniFile_;
};

// The key as QSettings stores it.
QString settingsKey(const std::string& key);

}  // namespace orvane::quick
