#pragma once

#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include <orvane/platform/console.h>
#include <orvane/platform/key_value_store.h>
#include <orvane/quick/platform/earlier_settings.h>
#include <orvane/quick/platform/vote_books.h>

class QSettings;

namespace orvane::quick {

// The SDK's persisted keys, in a folder of its own: the anonymous and device ids and the other
// keys in "settings.ini", and votes, which grow with use, in "votes/", the most recent
// VoteBooks::kCapacity of each app and user, so that saving a vote costs the same however many
// were cast. A vote no request could carry (VoteBooks::refusal) is refused with a console line.
// Nothing is written anywhere else.
//
// What earlier versions kept in the host's settings (EarlierSettings) is moved in when the store
// is made: copied first (a value already here wins), and taken out of the host's settings only
// once the copy is saved. A move that could not be finished is tried again by the next store, and
// until the copy is saved the old places are still read. Once done, the host's settings are not
// read again.
//
// Every call works on a QSettings object of its own (the class is reentrant, not thread-safe),
// so the store may be used from any thread. Each write is saved at once; a write that cannot be
// saved is reported once on the console and kept in memory for the rest of the session.
// storedOrCreated holds a lock file in the folder, so processes starting together agree.
//
// Values QSettings holds as something other than text (lists, byte arrays, numbers set in this
// process) read absent; an INI file keeps no type for numbers and booleans, so those read back
// as their text once the file is reloaded.
class QSettingsStore final : public KeyValueStore {
 public:
  explicit QSettingsStore(QString directory, std::shared_ptr<Console> console = nullptr,
                          std::optional<EarlierSettings> earlier = std::nullopt);

  std::optional<std::string> string(const std::string& key) const override;
  void set(const std::string& key, const std::string& value) override;
  std::string storedOrCreated(const std::string& key, const std::function<bool(const std::string&)>& usable,
                              const std::function<std::string()>& create) override;

  const QString& directory() const { return directory_; }

 private:
  std::unique_ptr<QSettings> openSettings() const;
  void moveFrom(const EarlierSettings& earlier);
  // Keeps a value that could not be saved in memory; the first such failure is reported.
  void keepUnsaved(const std::string& key, const std::string& value, const QString& location,
                   const char* reason);

  QString directory_;
  std::shared_ptr<Console> console_;
  VoteBooks votes_;
  // Read while what it holds could not be copied here.
  std::optional<EarlierSettings> unmoved_;
  mutable std::mutex mutex_;
  std::map<std::string, std::string> unsaved_;
  bool failureReported_ = false;
};

}  // namespace orvane::quick
