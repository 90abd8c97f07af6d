#pragma once

#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include <orvane/platform/console.h>
#include <orvane/platform/key_value_store.h>
#include <orvane/quick/platform/vote_books.h>

class QSettings;

namespace orvane::quick {

// The SDK's persisted keys, apart from the host's own: the anonymous and device ids in a settings
// group of their own ("OrvaneStories"), and votes, which grow with use, in a directory beside the
// settings file ("<settings file>.orvane-votes"), the most recent VoteBooks::kCapacity of each app
// and user, so that saving a vote costs the same however many were cast. A vote no request could
// carry (VoteBooks::refusal) is refused with a console line. Keys that earlier versions kept at
// the top level of the settings, and their votes, are moved in one batch when the store is made,
// and read from where they were until they could be.
//
// Every call works on a QSettings object of its own (the class is reentrant, not thread-safe),
// so the store may be used from any thread. Each write is saved at once; a write that cannot be
// saved is reported once on the console and kept in memory for the rest of the session.
// storedOrCreated holds a lock file beside the settings, so processes starting together agree.
//
// QSettings reads '/' as a group separator and folds "a//b" into "a/b"; keys are stored with
// '%', '/' and '\' percent-encoded so that any key text round-trips and distinct keys stay
// distinct. Values QSettings holds as something other than text (lists, byte arrays, numbers
// set in this process) read absent; an INI file keeps no type for numbers and booleans, so those
// read back as their text once the file is reloaded.
class QSettingsStore final : public KeyValueStore {
 public:
  // The application's settings, located by QCoreApplication's organisation and application names.
  explicit QSettingsStore(std::shared_ptr<Console> console = nullptr);
  // An INI file of the host's choosing.
  explicit QSettingsStore(QString iniFile, std::shared_ptr<Console> console = nullptr);

  std::optional<std::string> string(const std::string& key) const override;
  void set(const std::string& key, const std::string& value) override;
  std::string storedOrCreated(const std::string& key, const std::function<bool(const std::string&)>& usable,
                              const std::function<std::string()>& create) override;

 private:
  std::unique_ptr<QSettings> openSettings() const;
  void moveKeysOfEarlierVersions();
  std::optional<std::string> settingsValue(const QString& name) const;
  // Keeps a value that could not be saved in memory; the first such failure is reported.
  void keepUnsaved(const std::string& key, const std::string& value, const QString& location,
                   const char* reason);

  std::optional<QString> iniFile_;
  std::shared_ptr<Console> console_;
  VoteBooks votes_;
  mutable std::mutex mutex_;
  std::map<std::string, std::string> unsaved_;
  bool failureReported_ = false;
};

// The key as QSettings stores it.
QString settingsKey(const std::string& key);

// The settings group of the SDK's keys.
inline constexpr const char* kSettingsGroup = "OrvaneStories";

}  // namespace orvane::quick
