#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// Where a value sits in a document: a chain of keys and indexes living on the stack of the
// decoding functions. It is turned into text ("groups[0].items[1].id") only when an error is
// reported, so successful decoding builds no path strings.
class CodingPath {
 public:
  CodingPath() = default;
  CodingPath(const CodingPath& parent, std::string_view key) : parent_(&parent), key_(key) {}
  CodingPath(const CodingPath& parent, std::size_t index) : parent_(&parent), index_(index), isIndex_(true) {}

  std::string text() const;

 private:
  void appendTo(std::string& out) const;

  const CodingPath* parent_ = nullptr;
  std::string_view key_;
  std::size_t index_ = 0;
  bool isIndex_ = false;
};

}  // namespace orvane
