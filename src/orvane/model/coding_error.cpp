#include <orvane/model/coding_error.h>

#include <utility>

namespace orvane {
namespace {

std::string describe(ModelCodingError::Kind kind, const std::string& codingPath, const std::string& detail) {
  std::string text(kindName(kind));
  if (!codingPath.empty()) text += " at " + codingPath;
  return text + ": " + detail;
}

}  // namespace

ModelCodingError::ModelCodingError(Kind kind, std::string codingPath, std::string detail)
    : std::runtime_error(describe(kind, codingPath, detail)),
      kind_(kind),
      codingPath_(std::move(codingPath)),
      detail_(std::move(detail)) {}

ModelCodingError ModelCodingError::nestedIn(std::string_view segment) const {
  std::string path(segment);
  if (!codingPath_.empty()) {
    if (codingPath_.front() != '[') path += '.';
    path += codingPath_;
  }
  return ModelCodingError(kind_, std::move(path), detail_);
}

std::string_view kindName(ModelCodingError::Kind kind) {
  switch (kind) {
    case ModelCodingError::Kind::keyNotFound:
      return "keyNotFound";
    case ModelCodingError::Kind::typeMismatch:
      return "typeMismatch";
    case ModelCodingError::Kind::dataCorrupted:
      return "dataCorrupted";
    case ModelCodingError::Kind::invalidValue:
      return "invalidValue";
  }
  return "dataCorrupted";
}

}  // namespace orvane
