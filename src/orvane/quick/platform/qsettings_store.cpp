#include <orvane/quick/platform/qsettings_store.h>

#include <QDir>
#include <QLockFile>
#include <QSettings>

namespace orvane::quick {
namespace {

// Longer than any read-create-write takes; a lock left by a crashed process is taken over.
constexpr int kLockWaitMilliseconds = 5000;

// In a group no key of the SDK can name: '/' in a key is stored encoded.
constexpr const char* kMovedMarker = "store/movedFromEarlierVersions";

const char* statusText(QSettings::Status status) {
  return status == QSettings::AccessError ? "it cannot be written" : "its format is not readable";
}

// Holds the folder's lock while alive. Without it (a folder that cannot be written at all) this
// is no worse than unlocked.
class FolderLock {
 public:
  explicit FolderLock(const QString& directory) : lock_(directory + QStringLiteral("/store.lock")) {
    QDir().mkpath(directory);
    (void)lock_.tryLock(kLockWaitMilliseconds);
  }

 private:
  QLockFile lock_;
};

}  // namespace

QSettingsStore::QSettingsStore(QString directory, std::shared_ptr<Console> console,
                               std::optional<EarlierSettings> earlier)
    : directory_(QDir(directory).absolutePath()),
      console_(std::move(console)),
      votes_(directory_ + QStringLiteral("/votes")) {
  if (earlier) moveFrom(*earlier);
}

std::unique_ptr<QSettings> QSettingsStore::openSettings() const {
  return std::make_unique<QSettings>(directory_ + QStringLiteral("/settings.ini"), QSettings::IniFormat);
}

void QSettingsStore::moveFrom(const EarlierSettings& earlier) {
  if (openSettings()->value(kMovedMarker).toBool()) return;
  // Another process starting now may be moving the same keys.
  FolderLock lock(directory_);
  auto settings = openSettings();
  if (settings->value(kMovedMarker).toBool()) return;
  const auto contents = earlier.read();
  for (const auto& [key, value] : contents.keys) {
    const QString name = settingsKey(key);
    if (!settings->contains(name)) settings->setValue(name, QString::fromStdString(value));
  }
  settings->sync();
  // All votes at once: one save of each user's book.
  const bool copied = settings->status() == QSettings::NoError && votes_.absorb(contents.votes);
  if (!copied) {
    unmoved_ = earlier;
    keepUnsaved({}, {}, directory_, "it cannot be written");
    return;
  }
  // Copied: the host's settings may lose them now. If they cannot, the next start tries again.
  if (!earlier.remove()) return;
  settings->setValue(kMovedMarker, true);
  settings->sync();
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
  } else {
    const QVariant value = openSettings()->value(name);
    if (value.typeId() == QMetaType::QString) return value.toString().toStdString();
  }
  if (unmoved_) return unmoved_->value(key);
  return std::nullopt;
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
    QDir().mkpath(directory_);
    auto settings = openSettings();
    settings->setValue(name, QString::fromStdString(value));
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
  FolderLock lock(directory_);
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
