#include "storage/sql_connection.h"

#include <charconv>

namespace orvane::service::storage {

const std::optional<std::string>& SqlResult::cell(std::size_t row, std::size_t column) const {
  if (column >= columns_ || row >= size()) throw StoreError("internal error: result cell out of range");
  return cells_[row * columns_ + column];
}

const std::string& SqlResult::text(std::size_t row, std::size_t column) const {
  static const std::string empty;
  const auto& value = cell(row, column);
  return value ? *value : empty;
}

std::optional<std::int64_t> SqlResult::optionalInteger(std::size_t row, std::size_t column) const {
  const auto& value = cell(row, column);
  if (!value) return std::nullopt;
  std::int64_t number = 0;
  auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), number);
  if (error != std::errc() || end != value->data() + value->size()) {
    throw StoreError("internal error: expected an integer in the database, found \"" + *value + "\"");
  }
  return number;
}

std::int64_t SqlResult::integer(std::size_t row, std::size_t column) const {
  return optionalInteger(row, column).value_or(0);
}

std::optional<double> SqlResult::optionalReal(std::size_t row, std::size_t column) const {
  const auto& value = cell(row, column);
  if (!value) return std::nullopt;
  double number = 0;
  auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), number);
  if (error != std::errc()) throw StoreError("internal error: expected a number in the database");
  return number;
}

}  // namespace orvane::service::storage
