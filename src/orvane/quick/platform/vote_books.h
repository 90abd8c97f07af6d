#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvane::quick {

// The user's votes, one file (a "book") per app and user in a directory, each holding the most
// recent `capacity` votes of its owner. A vote's key is "<owner>:<item>"; the owner part names
// the app and user, so the bound is per app and user. The service answers with the user's own
// vote on every page it serves, so a vote pruned here is still shown; the books only spare a
// round trip and cover answers that come without one.
//
// A write rewrites its book whole and atomically (the old book or the new one is on disk, never
// a mix) and returns once the book is synced, so that an acknowledged vote survives a crash.
// Writers, in this process or another, take turns on a lock file in the directory; readers need
// none. Files of the last version (one small file per vote, named by a hash of its key) are read
// until they are moved into the books.
class VoteBooks {
 public:
  // Far more votes than a user casts on the polls still shown, and at about 80 bytes a vote, a
  // book of at most some 100 KB that is cheap to rewrite on every vote.
  static constexpr std::size_t kCapacity = 1000;
  // Keys carry the app key, the user id and the item id, each of which goes out in a header
  // field or a path, where a line break or kilobytes of text cannot.
  static constexpr std::size_t kMaxKeyBytes = 4096;
  static constexpr std::size_t kMaxValueBytes = 1024;

  explicit VoteBooks(QString directory, std::size_t capacity = kCapacity);

  // Why a vote cannot be kept at all, or absent when it can.
  static std::optional<std::string> refusal(const std::string& key, const std::string& value);

  std::optional<std::string> read(const std::string& key) const;
  // False when the vote is refused or could not be saved.
  bool write(const std::string& key, const std::string& value) const;
  // Takes in votes that earlier versions kept elsewhere, oldest first, and the last version's
  // per-vote files, older than anything in a book: one save per book, then those files are
  // removed. A book's own vote for a key wins. False when a book could not be saved.
  bool absorb(const std::vector<std::pair<std::string, std::string>>& earlierVotes) const;
  // Every vote in the directory as (key, value), the last version's per-vote files first: for
  // moving the books of a directory earlier versions used into another.
  std::vector<std::pair<std::string, std::string>> all() const;

  const QString& directory() const { return directory_; }

 private:
  QString directory_;
  std::size_t capacity_;
};

}  // namespace orvane::quick
