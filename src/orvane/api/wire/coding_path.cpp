#include <orvane/api/wire/coding_path.h>

namespace orvane {

std::string CodingPath::text() const {
  std::string out;
  appendTo(out);
  return out;
}

void CodingPath::appendTo(std::string& out) const {
  if (parent_ == nullptr) return;
  parent_->appendTo(out);
  if (isIndex_) {
    out += '[';
    out += std::to_string(index_);
    out += ']';
  } else {
    if (!out.empty()) out += '.';
    out += key_;
  }
}

}  // namespace orvane
