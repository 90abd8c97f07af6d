#pragma once

#include <QString>
#include <optional>
#include <string>

namespace orvane::quick {

// Values kept one small file each in a directory, named by a hash of their key: writing one costs
// the same however many there are, where a settings file is rewritten whole on every change.
// Each write replaces its file atomically, so a reader sees the old value or the new one.
class RecordFiles {
 public:
  explicit RecordFiles(QString directory) : directory_(std::move(directory)) {}

  std::optional<std::string> read(const std::string& key) const;
  // False when the value could not be saved.
  bool write(const std::string& key, const std::string& value) const;
  const QString& directory() const { return directory_; }

 private:
  QString pathOf(const std::string& key) const;

  QString directory_;
};

}  // namespace orvane::quick
