#include <orvane/quick/platform/vote_books.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_set>

namespace orvane::quick {
namespace {

using Vote = std::pair<std::string, std::string>;  // item, value; oldest first in a book

constexpr const char* kBookHeader = "orvane-vote-book 1";
// Longer than any book takes to rewrite; a lock left by a crashed process is taken over.
constexpr int kLockWaitMilliseconds = 5000;
// A file of the last version larger than this is no vote it wrote.
constexpr qint64 kMaxRecordBytes = 64 * 1024;

QString hashName(const std::string& text) {
  return QString::fromLatin1(
      QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Sha256).toHex());
}

// "<owner>:<item>": items are the service's UUIDs, so the last ':' ends the owner.
std::pair<std::string, std::string> splitKey(const std::string& key) {
  const auto colon = key.rfind(':');
  if (colon == std::string::npos) return {std::string(), key};
  return {key.substr(0, colon), key.substr(colon + 1)};
}

bool hasControlCharacter(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

class Book {
 public:
  Book(const QString& directory, std::string owner)
      : path_(directory + u'/' + hashName(owner) + QStringLiteral(".book")), owner_(std::move(owner)) {}

  // Absent votes when the file is missing, unreadable or another owner's (a hash collision).
  std::vector<Vote> load() const {
    auto [owner, votes] = loadFile(path_);
    if (owner != owner_) return {};
    return std::move(votes);
  }

  // The owner a book file names and its votes; no owner when it is no book.
  static std::pair<std::optional<std::string>, std::vector<Vote>> loadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.size() < 2 || lines[0] != kBookHeader) return {};
    std::vector<Vote> votes;
    votes.reserve(static_cast<std::size_t>(lines.size()));
    for (qsizetype index = 2; index < lines.size(); ++index) {
      const qsizetype tab = lines[index].indexOf('\t');
      if (tab > 0) votes.emplace_back(lines[index].left(tab).toStdString(), lines[index].mid(tab + 1).toStdString());
    }
    return {lines[1].toStdString(), std::move(votes)};
  }

  // Keeps the most recent `capacity`; synced before it returns.
  bool save(std::vector<Vote> votes, std::size_t capacity) const {
    if (votes.size() > capacity) votes.erase(votes.begin(), votes.end() - static_cast<std::ptrdiff_t>(capacity));
    QByteArray text = QByteArray(kBookHeader) + '\n' + QByteArray::fromStdString(owner_) + '\n';
    for (const auto& [item, value] : votes)
      text += QByteArray::fromStdString(item) + '\t' + QByteArray::fromStdString(value) + '\n';
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return false;
    return file.commit();
  }

 private:
  QString path_;
  std::string owner_;
};

void putLatest(std::vector<Vote>& votes, Vote vote) {
  votes.erase(std::remove_if(votes.begin(), votes.end(), [&](const Vote& held) { return held.first == vote.first; }),
              votes.end());
  votes.push_back(std::move(vote));
}

// The last version's file of one vote: the key, a line break, the value.
std::optional<Vote> readRecord(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxRecordBytes) return std::nullopt;
  const QByteArray content = file.readAll();
  const qsizetype newline = content.indexOf('\n');
  if (newline < 0) return std::nullopt;
  return Vote{content.left(newline).toStdString(), content.mid(newline + 1).toStdString()};
}

struct Record {
  QString path;
  Vote keyAndValue;
};

// Named by the 64 hexadecimal digits of a SHA-256.
const QStringList& recordNamePattern() {
  static const QStringList pattern{QString(64, u'?')};
  return pattern;
}

// The last version's files in `directory`, oldest first.
std::vector<Record> recordsOfTheLastVersion(const QString& directory) {
  const QFileInfoList files =
      QDir(directory).entryInfoList(recordNamePattern(), QDir::Files, QDir::Time | QDir::Reversed);
  std::vector<Record> records;
  for (const auto& file : files) {
    // Only a file named by the hash of the key it holds is one; anything else is left alone.
    auto record = readRecord(file.absoluteFilePath());
    if (record && hashName(record->first) == file.fileName()) records.push_back({file.absoluteFilePath(), *record});
  }
  return records;
}

// Threads of this process take turns here first: QLockFile waits for a lock of its own process
// by polling, which would hold a vote up for a tenth of a second at least.
std::mutex& writersOfThisProcess() {
  static std::mutex writers;
  return writers;
}

// Holds the directory's writer lock while alive. Without it (a lock that cannot be created, or
// one held too long) writing goes ahead: no worse than unlocked.
class WriterTurn {
 public:
  explicit WriterTurn(const QString& directory)
      : inProcess_(writersOfThisProcess()), lock_(directory + QStringLiteral("/.lock")) {
    (void)lock_.tryLock(kLockWaitMilliseconds);
  }

 private:
  std::lock_guard<std::mutex> inProcess_;
  QLockFile lock_;
};

}  // namespace

VoteBooks::VoteBooks(QString directory, std::size_t capacity)
    : directory_(std::move(directory)), capacity_(capacity) {}

std::optional<std::string> VoteBooks::refusal(const std::string& key, const std::string& value) {
  if (key.size() > kMaxKeyBytes) return "its key is longer than " + std::to_string(kMaxKeyBytes) + " bytes";
  if (value.size() > kMaxValueBytes)
    return "its value is longer than " + std::to_string(kMaxValueBytes) + " bytes";
  if (hasControlCharacter(key) || hasControlCharacter(value)) return "it holds a control character";
  return std::nullopt;
}

std::optional<std::string> VoteBooks::read(const std::string& key) const {
  const auto [owner, item] = splitKey(key);
  const auto votes = Book(directory_, owner).load();
  const auto found =
      std::find_if(votes.rbegin(), votes.rend(), [&item = item](const Vote& vote) { return vote.first == item; });
  if (found != votes.rend()) return found->second;
  // Not yet moved (the move could not be saved): the last version's own file.
  if (auto record = readRecord(directory_ + u'/' + hashName(key)); record && record->first == key)
    return record->second;
  return std::nullopt;
}

bool VoteBooks::write(const std::string& key, const std::string& value) const {
  if (refusal(key, value) || !QDir().mkpath(directory_)) return false;
  WriterTurn turn(directory_);
  auto [owner, item] = splitKey(key);
  const Book book(directory_, std::move(owner));
  auto votes = book.load();
  putLatest(votes, {std::move(item), value});
  return book.save(std::move(votes), capacity_);
}

bool VoteBooks::absorb(const std::vector<std::pair<std::string, std::string>>& earlierVotes) const {
  if (earlierVotes.empty() && QDir(directory_).entryList(recordNamePattern(), QDir::Files).isEmpty()) return true;
  if (!QDir().mkpath(directory_)) return false;
  WriterTurn turn(directory_);
  // Read under the lock: another process may have moved them just now.
  const std::vector<Record> records = recordsOfTheLastVersion(directory_);

  // Each owner's votes in the order they were cast, repeats included.
  std::map<std::string, std::vector<Vote>> byOwner;
  auto take = [&](const std::string& key, const std::string& value) {
    // What no version could read back is dropped with the rest.
    if (refusal(key, value)) return;
    auto [owner, item] = splitKey(key);
    byOwner[owner].emplace_back(std::move(item), value);
  };
  for (const auto& [key, value] : earlierVotes) take(key, value);
  for (const auto& record : records) take(record.keyAndValue.first, record.keyAndValue.second);

  bool saved = true;
  for (auto& [owner, earlier] : byOwner) {
    const Book book(directory_, owner);
    auto current = book.load();
    std::unordered_set<std::string> seen;
    for (const auto& vote : current) seen.insert(vote.first);
    // From the most recent back, each item's last vote, until the book is full: one pass.
    std::vector<Vote> merged;
    for (auto vote = earlier.rbegin(); vote != earlier.rend() && merged.size() + current.size() < capacity_; ++vote) {
      if (seen.insert(vote->first).second) merged.push_back(std::move(*vote));
    }
    if (merged.empty()) continue;
    std::reverse(merged.begin(), merged.end());
    merged.insert(merged.end(), std::make_move_iterator(current.begin()), std::make_move_iterator(current.end()));
    saved = book.save(std::move(merged), capacity_) && saved;
  }
  if (!saved) return false;
  for (const auto& record : records) QFile::remove(record.path);
  return true;
}

std::vector<std::pair<std::string, std::string>> VoteBooks::all() const {
  std::vector<Vote> votes;
  for (auto& record : recordsOfTheLastVersion(directory_)) votes.push_back(std::move(record.keyAndValue));
  for (const auto& file : QDir(directory_).entryInfoList({QStringLiteral("*.book")}, QDir::Files)) {
    auto [owner, book] = Book::loadFile(file.absoluteFilePath());
    if (!owner) continue;
    for (auto& [item, value] : book) votes.emplace_back(*owner + ':' + item, std::move(value));
  }
  return votes;
}

}  // namespace orvane::quick
