#include <orvane/quick/platform/qsettings_store.h>

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>

namespace orvane::quick {
namespace {

// Longer than any read-create-write takes; a lock left by a crashed process is taken over.
constexpr int kLockWaitMilliseconds = 5000;

bool isVoteKey(const QString& key) { return key.startsWith(u"orvane_widget_vote:"); }

bool isKeyOfEarlierVersions(const QString& key) {
  return key == u"zephro_anonymous_user_id" || key == u"orvane_device_identifier" || isVoteKey(key);
}

QString grouped(const QString& name) { return QString::fromLatin1(kSettingsGroup) + u'/' + name; }

const char* statusText(QSettings::Status status) {
  return status == QSettings::AccessError ? "it cannot be written" : "its format is not readable";
}

std::unique_ptr<QSettings> openSettingsAt(const std::optional<QString>& iniFile) {
  if (iniFile) return std::make_unique<QSettings>(*iniFile, QSettings::IniFormat);
  return std::make_unique<QSettings>();
}

// The key text settingsKey encoded.
std::string keyText(const QString& name) {
  QString text;
  text.reserve(name.size());
  for (qsizetype i = 0; i < name.size(); ++i) {
    const QStringView escape = QStringView(name).mid(i, 3);
    if (escape == u"%25" || escape == u"%2F" || escape == u"%5C") {
      text += escape == u"%25" ? u'%' : escape == u"%2F" ? u'/' : u'\\';
      i += 2;
    } else {
      text += name[i];
    }
  }
  return text.toStdString();
}

QString votesDirectory(const std::optional<QString>& iniFile) {
  return QFileInfo(openSettingsAt(iniFile)->fileName()).absoluteFilePath() + QStringLiteral(".orvane-votes");
}

}  // namespace

QString settingsKey(const std::string& key) {
  QString text = QString::fromStdString(key);
  QString encoded;
  encoded.reserve(text.size());
  for (QChar c : text) {
    if (c == u'%') {
      encoded += u"%25";
    } else if (c == u'/') {
      encoded += u"%2F";
    } else if (c == u'\\') {
      encoded += u"%5C";
    } else {
      encoded += c;
    }
  }
  return encoded;
}

QSettingsStore::QSettingsStore(std::shared_ptr<Console> console)
    : console_(std::move(console)), votes_(votesDirectory(iniFile_)) {
  moveKeysOfEarlierVersions();
}

QSettingsStore::QSettingsStore(QString iniFile, std::shared_ptr<Console> console)
    : iniFile_(std::move(iniFile)), console_(std::move(console)), votes_(votesDirectory(iniFile_)) {
  moveKeysOfEarlierVersions();
}

std::unique_ptr<QSettings> QSettingsStore::openSettings() const { return openSettingsAt(iniFile_); }

void QSettingsStore::moveKeysOfEarlierVersions() {
  auto settings = openSettings();
  QStringList voteKeys;
  std::vector<std::pair<std::string, std::string>> votes;
  bool moved = false;
  for (const auto& key : settings->childKeys()) {
    if (!isKeyOfEarlierVersions(key)) continue;
    const QVariant value = settings->value(key);
    if (isVoteKey(key)) {
      voteKeys.append(key);
      if (value.typeId() == QMetaType::QString) votes.emplace_back(keyText(key), value.toString().toStdString());
      continue;
    }
    if (!settings->contains(grouped(key))) {
      // A value already in the group was written later than the one left at the top level.
      settings->setValue(grouped(key), value);
    }
    settings->remove(key);
    moved = true;
  }
  // All votes at once: one save of each user's book, where one each took a sync of its own. They
  // leave the settings only once saved.
  if (votes_.absorb(votes)) {
    for (const auto& key : voteKeys) settings->remove(key);
    moved = moved || !voteKeys.isEmpty();
  }
  if (!moved) return;
  settings->sync();
  // Unsaved, the old keys stay where they are and are still read from there.
  if (settings->status() != QSettings::NoError) {
    keepUnsaved({}, {}, settings->fileName(), statusText(settings->status()));
  }
}

std::optional<std::string> QSettingsStore::settingsValue(const QString& name) const {
  auto settings = openSettings();
  QVariant value = settings->value(grouped(name));
  if (!value.isValid() && isKeyOfEarlierVersions(name)) value = settings->value(name);
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  return value.toString().toStdString();
}

std::optional<std::string> QSettingsStore::string(const std::string& key) const {
  if (key.empty()) return std::nullopt;
  {
    std::lock_guard lock(mutex_);
    if (auto found = unsaved_.find(key); found != unsaved_.end()) return found->second;
  }
  const QString name = settingsKey(key);
  if (isVoteKey(name)) {
    if (auto vote = votes_.read(key)) return vote;
  }
  return settingsValue(name);
}

void QSettingsStore::set(const std::string& key, const std::string& value) {
  if (key.empty()) return;  // QSettings refuses an empty key
  const QString name = settingsKey(key);
  bool saved = false;
  if (isVoteKey(name)) {
    if (auto refusal = VoteBooks::refusal(key, value)) {
      // Kept, it would never be read back: a clear word instead.
      if (console_) console_->writeLine("[Orvane] A vote was not saved: " + *refusal + ".");
      return;
    }
    saved = votes_.write(key, value);
    if (!saved) keepUnsaved(key, value, votes_.directory(), "it cannot be written");
  } else {
    auto settings = openSettings();
    settings->setValue(grouped(name), QString::fromStdString(value));
    settings->sync();
    saved = settings->status() == QSettings::NoError;
    if (!saved) keepUnsaved(key, value, settings->fileName(), statusText(settings->status()));
  }
  if (saved) {
    std::lock_guard lock(mutex_);
    unsaved_.erase(key);
  }
}

std::string QSettingsStore::storedOrCreated(const std::string& key,
                                            const std::function<bool(const std::string&)>& usable,
                                            const std::function<std::string()>& create) {
  const QString path = openSettings()->fileName();
  QDir().mkpath(QFileInfo(path).absolutePath());
  // QSettings locks "<file>.lock" itself while it syncs, so this lock needs a name of its own.
  QLockFile lock(path + QStringLiteral(".orvane.lock"));
  // Without the lock (settings that cannot be written at all) this is no worse than unlocked.
  (void)lock.tryLock(kLockWaitMilliseconds);
  // Read again under the lock: another process may have created the value just now.
  return KeyValueStore::storedOrCreated(key, usable, create);
}

void QSettingsStore::keepUnsaved(const std::string& key, const std::string& value, const QString& location,
                                 const char* reason) {
  std::lock_guard lock(mutex_);
  if (!key.empty()) unsaved_[key] = value;
  if (!failureReported_ && console_) {
    console_->writeLine("[Orvane] Settings at '" + location.toStdString() + "' are not saved (" + reason +
                        "); changes are kept in memory for this session.");
  }
  failureReported_ = true;
}

}  // namespace orvane::quick
