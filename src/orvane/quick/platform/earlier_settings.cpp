#include <orvane/quick/platform/earlier_settings.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <memory>

#include <orvane/quick/platform/vote_books.h>

namespace orvane::quick {
namespace {

constexpr const char* kGroup = "OrvaneStories";

// The keys the oldest versions kept at the top level of the host's settings.
bool isTopLevelKeyOfEarlierVersions(const QString& name) {
  return name == u"zephro_anonymous_user_id" || name == u"orvane_device_identifier" || isVoteKey(name);
}

QString grouped(const QString& name) { return QString::fromLatin1(kGroup) + u'/' + name; }

std::unique_ptr<QSettings> openSettingsAt(const std::optional<QString>& iniFile) {
  if (iniFile) return std::make_unique<QSettings>(*iniFile, QSettings::IniFormat);
  return std::make_unique<QSettings>();
}

std::optional<std::string> text(const QVariant& value) {
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  return value.toString().toStdString();
}

}  // namespace

QString settingsKey(const std::string& key) {
  const QString text = QString::fromStdString(key);
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

bool isVoteKey(const QString& key) { return key.startsWith(u"orvane_widget_vote:"); }

EarlierSettings::EarlierSettings(std::optional<QString> iniFile) : iniFile_(std::move(iniFile)) {}

QString EarlierSettings::votesDirectory() const {
  return QFileInfo(openSettingsAt(iniFile_)->fileName()).absoluteFilePath() + QStringLiteral(".orvane-votes");
}

EarlierSettings::Contents EarlierSettings::read() const {
  Contents contents;
  const auto settings = openSettingsAt(iniFile_);
  // The oldest first: top-level votes, then the last version's vote files and books.
  for (const auto& name : settings->childKeys()) {
    if (!isTopLevelKeyOfEarlierVersions(name)) continue;
    const auto value = text(settings->value(name));
    if (!value) continue;
    if (isVoteKey(name)) {
      contents.votes.emplace_back(keyText(name), *value);
    } else if (!settings->contains(grouped(name))) {
      // A value in the group was written later than the one left at the top level.
      contents.keys.emplace_back(keyText(name), *value);
    }
  }
  const QString directory = votesDirectory();
  if (QFileInfo(directory).isDir()) {
    auto books = VoteBooks(directory).all();
    contents.votes.insert(contents.votes.end(), std::make_move_iterator(books.begin()),
                          std::make_move_iterator(books.end()));
  }
  settings->beginGroup(QString::fromLatin1(kGroup));
  for (const auto& name : settings->childKeys()) {
    const auto value = text(settings->value(name));
    if (!value) continue;
    (isVoteKey(name) ? contents.votes : contents.keys).emplace_back(keyText(name), *value);
  }
  return contents;
}

std::optional<std::string> EarlierSettings::value(const std::string& key) const {
  const QString name = settingsKey(key);
  if (isVoteKey(name)) {
    if (auto vote = VoteBooks(votesDirectory()).read(key)) return vote;
  }
  const auto settings = openSettingsAt(iniFile_);
  if (auto inGroup = text(settings->value(grouped(name)))) return inGroup;
  if (isTopLevelKeyOfEarlierVersions(name)) return text(settings->value(name));
  return std::nullopt;
}

bool EarlierSettings::remove() const {
  const QString directory = votesDirectory();
  if (QFileInfo::exists(directory) && !QDir(directory).removeRecursively()) return false;
  const auto settings = openSettingsAt(iniFile_);
  bool changed = settings->childGroups().contains(QString::fromLatin1(kGroup));
  settings->remove(QString::fromLatin1(kGroup));
  for (const auto& name : settings->childKeys()) {
    if (!isTopLevelKeyOfEarlierVersions(name)) continue;
    settings->remove(name);
    changed = true;
  }
  if (!changed) return true;
  settings->sync();
  return settings->status() == QSettings::NoError;
}

}  // namespace orvane::quick
