#include <orvane/quick/platform/record_files.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace orvane::quick {
namespace {

// A record larger than this is no value this store wrote.
constexpr qint64 kMaxRecordBytes = 64 * 1024;

}  // namespace

QString RecordFiles::pathOf(const std::string& key) const {
  const auto digest = QCryptographicHash::hash(QByteArray::fromStdString(key), QCryptographicHash::Sha256);
  return directory_ + u'/' + QString::fromLatin1(digest.toHex());
}

std::optional<std::string> RecordFiles::read(const std::string& key) const {
  QFile file(pathOf(key));
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxRecordBytes) return std::nullopt;
  // The key comes first, so that a record is only ever read back under the key it was written for.
  const QByteArray content = file.readAll();
  const QByteArray expected = QByteArray::fromStdString(key) + '\n';
  if (!content.startsWith(expected)) return std::nullopt;
  return content.mid(expected.size()).toStdString();
}

bool RecordFiles::write(const std::string& key, const std::string& value) const {
  if (!QDir().mkpath(directory_)) return false;
  QSaveFile file(pathOf(key));
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(QByteArray::fromStdString(key) + '\n' + QByteArray::fromStdString(value));
  return file.commit();
}

}  // namespace orvane::quick
