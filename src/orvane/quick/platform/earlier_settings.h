#pragma once

#include <QString>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvane::quick {

// What versions before 1.1 kept in the host's own settings: the SDK's keys in a group
// "OrvaneStories" (the oldest ones at the top level), and the votes beside the settings file in
// "<settings file>.orvane-votes". Read to move them into the SDK's own folder, then removed.
class EarlierSettings {
 public:
  using KeyValues = std::vector<std::pair<std::string, std::string>>;

  struct Contents {
    // Keys as the store is given them, values as text; a group's value over the top level's.
    KeyValues keys;
    // Oldest first.
    KeyValues votes;
    bool empty() const { return keys.empty() && votes.empty(); }
  };

  // An INI file the host named; absent: the application's QSettings.
  explicit EarlierSettings(std::optional<QString> iniFile);

  Contents read() const;
  // One key's value where an earlier version kept it.
  std::optional<std::string> value(const std::string& key) const;
  // Takes the SDK's group, its keys at the top level and the votes folder out of the host's
  // settings, the host's own keys left as they are. False when that could not be saved.
  bool remove() const;

 private:
  QString votesDirectory() const;

  std::optional<QString> iniFile_;
};

// The key as QSettings stores it: '%', '/' and '\' percent-encoded, so that no key text is
// read as a group separator and distinct keys stay distinct.
QString settingsKey(const std::string& key);
// The key text settingsKey encoded.
std::string keyText(const QString& name);
// Whether a key (as the store is given it, or encoded) names a vote.
bool isVoteKey(const QString& key);

}  // namespace orvane::quick
