#include <orvane/api/wire/json_reader.h>

#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>

#include <orvane/platform/uuid.h>

namespace orvane {
namespace {

using simdjson::SUCCESS;
using simdjson::ondemand::json_type;

const char* typeName(json_type type) {
  switch (type) {
    case json_type::array:
      return "an array";
    case json_type::object:
      return "an object";
    case json_type::number:
      return "a number";
    case json_type::boolean:
      return "a boolean";
    case json_type::null:
      return "null";
    case json_type::string:
      break;
  }
  return "a string";
}

void failCorrupted(const CodingPath& path, std::string message) {
  failDecoding(DecodingError::Kind::dataCorrupted, path, std::move(message));
}

[[noreturn]] void failTooDeep() {
  failDecoding(
      DecodingError::Kind::dataCorrupted, CodingPath(),
      "The given data is nested more than " + std::to_string(kMaxJsonNestingDepth) + " levels deep.");
}

// JSON's number grammar: -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
bool isJsonNumber(std::string_view text) {
  std::size_t at = 0;
  const auto digits = [&] {
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    return at - start;
  };
  if (at < text.size() && text[at] == '-') ++at;
  if (at < text.size() && text[at] == '0') {
    ++at;
  } else if (digits() == 0) {
    return false;
  }
  if (at < text.size() && text[at] == '.') {
    ++at;
    if (digits() == 0) return false;
  }
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    if (digits() == 0) return false;
  }
  return at == text.size();
}

// The number's own text, without the whitespace the parser leaves after it.
std::string_view numberText(std::string_view token) {
  const auto end = token.find_last_not_of(" \t\n\r");
  return end == std::string_view::npos ? std::string_view() : token.substr(0, end + 1);
}

template <typename Value>
void checkNumber(Value& value) {
  std::string_view token;
  if constexpr (std::is_same_v<Value, simdjson::ondemand::document>) {
    if (value.raw_json_token().get(token) != SUCCESS) failMalformed();
  } else {
    token = value.raw_json_token();
  }
  if (!isJsonNumber(numberText(token))) failMalformed();
}

// A string token's text when it holds no escape: then it can be used where it stands instead of
// being unescaped into the parser's buffer (which would cost memory as large as the text).
std::optional<std::string_view> plainString(std::string_view token) {
  const auto end = token.find_last_not_of(" \t\n\r");
  if (end == std::string_view::npos || end == 0 || token.front() != '"' || token[end] != '"')
    return std::nullopt;
  const auto inner = token.substr(1, end - 1);
  if (inner.find('\\') != std::string_view::npos) return std::nullopt;
  return inner;
}

// Reads a string value, consuming it; false when it is no string (or not well-formed).
bool readString(simdjson::ondemand::value& value, std::string_view& text) {
  if (auto plain = plainString(value.raw_json_token())) {
    simdjson::ondemand::raw_json_string consumed;
    if (value.get_raw_json_string().get(consumed) != SUCCESS) return false;
    text = *plain;
    return true;
  }
  return value.get_string().get(text) == SUCCESS;
}

void checkWellFormed(simdjson::ondemand::value value, std::size_t depth) {
  json_type type;
  if (value.type().get(type) != SUCCESS) failMalformed();
  switch (type) {
    case json_type::array: {
      if (depth >= kMaxJsonNestingDepth) failTooDeep();
      simdjson::ondemand::array array;
      if (value.get_array().get(array) != SUCCESS) failMalformed();
      for (auto element : array) {
        simdjson::ondemand::value inner;
        if (element.get(inner) != SUCCESS) failMalformed();
        checkWellFormed(inner, depth + 1);
      }
      return;
    }
    case json_type::object: {
      if (depth >= kMaxJsonNestingDepth) failTooDeep();
      simdjson::ondemand::object object;
      if (value.get_object().get(object) != SUCCESS) failMalformed();
      for (auto result : object) {
        simdjson::ondemand::field entry;
        if (std::move(result).get(entry) != SUCCESS) failMalformed();
        fieldKey(entry);
        checkWellFormed(entry.value(), depth + 1);
      }
      return;
    }
    case json_type::number:
      return checkNumber(value);
    case json_type::string: {
      std::string_view text;
      if (!readString(value, text)) failMalformed();
      return;
    }
    case json_type::boolean: {
      bool flag;
      if (value.get_bool().get(flag) != SUCCESS) failMalformed();
      return;
    }
    case json_type::null: {
      bool null = false;
      if (value.is_null().get(null) != SUCCESS || !null) failMalformed();
      return;
    }
  }
}

}  // namespace

void failDecoding(DecodingError::Kind kind, const CodingPath& path, std::string message) {
  throw DecodingFailure(DecodingError{kind, path.text(), std::move(message)});
}

std::string_view fieldKey(simdjson::ondemand::field& field) {
  // The text already ends every string with its closing quote, so the scan stops in bounds.
  const char* start = field.key().raw();
  const char* at = start;
  while (*at != '"' && *at != '\\') ++at;
  if (*at == '"') return {start, static_cast<std::size_t>(at - start)};
  std::string_view key;
  if (field.unescaped_key().get(key) != SUCCESS) failMalformed();
  return key;
}

void failMalformed() {
  failDecoding(DecodingError::Kind::dataCorrupted, CodingPath(), "The given data was not valid JSON.");
}

void JsonValueReader::failTypeMismatch(const char* expected) {
  json_type type;
  if (value_.type().get(type) != SUCCESS) failMalformed();
  failDecoding(DecodingError::Kind::typeMismatch, path_,
               std::string("Expected ") + expected + " but found " + typeName(type) + ".");
}

bool JsonValueReader::isNull() {
  bool null = false;
  if (value_.is_null().get(null) != SUCCESS) failMalformed();
  return null;
}

std::string_view JsonValueReader::text(const char* expected) {
  std::string_view text;
  if (!readString(value_, text)) failTypeMismatch(expected);
  return text;
}

std::string JsonValueReader::string() { return std::string(text("a string")); }

std::int64_t JsonValueReader::integer() {
  simdjson::ondemand::number number;
  if (const auto error = value_.get_number().get(number); error != SUCCESS) {
    json_type type;
    if (value_.type().get(type) != SUCCESS) failMalformed();
    if (type != json_type::number) failTypeMismatch("an integer");
    checkNumber(value_);
    // Well-formed, but beyond what the parser reads as a number at all.
    failCorrupted(path_, "Number " + numberShown() + " does not fit in a 64-bit integer.");
  }
  switch (number.get_number_type()) {
    case simdjson::ondemand::number_type::signed_integer:
      return number.get_int64();
    case simdjson::ondemand::number_type::unsigned_integer: {
      const std::uint64_t whole = number.get_uint64();
      if (whole > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        failCorrupted(path_, "Number " + std::to_string(whole) + " does not fit in a 64-bit integer.");
      }
      return static_cast<std::int64_t>(whole);
    }
    case simdjson::ondemand::number_type::floating_point_number:
      break;
  }
  // 12.0 and 1e2 are whole numbers and read as such; 2^63 and beyond do not fit.
  const double real = number.get_double();
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (!std::isfinite(real) || std::trunc(real) != real) {
    failCorrupted(path_, "Number " + numberShown() + " is not a whole number.");
  }
  if (real >= kLimit || real < -kLimit) {
    failCorrupted(path_, "Number " + numberShown() + " does not fit in a 64-bit integer.");
  }
  return static_cast<std::int64_t>(real);
}

std::string JsonValueReader::numberShown() {
  const std::string_view token = value_.raw_json_token();
  constexpr std::size_t kShownLength = 40;
  return std::string(numberText(token).substr(0, kShownLength));
}

bool JsonValueReader::boolean() {
  bool flag;
  if (value_.get_bool().get(flag) != SUCCESS) failTypeMismatch("a boolean");
  return flag;
}

std::string JsonValueReader::uuid() {
  auto uuid = canonicalLowercaseUuid(text("a UUID string"));
  if (!uuid) failCorrupted(path_, "Attempted to decode a UUID from an invalid UUID string.");
  return *std::move(uuid);
}

Date JsonValueReader::date() {
  auto date = parseIso8601(text("a date string"));
  if (!date) failCorrupted(path_, "Expected date string to be ISO8601-formatted.");
  return *date;
}

simdjson::ondemand::object JsonValueReader::objectValue() {
  simdjson::ondemand::object object;
  if (value_.get_object().get(object) != SUCCESS) failTypeMismatch("an object");
  return object;
}

void JsonValueReader::skip() { checkWellFormed(value_, depth_); }

void JsonObjectReader::failMissingKey(std::string_view key) const {
  const CodingPath path(path_, key);
  failDecoding(DecodingError::Kind::keyNotFound, path, "No value for key \"" + std::string(key) + "\".");
}

JsonDocument::JsonDocument(std::string text) : text_(std::move(text)) {
  // The parser's buffers grow to the largest text it has read; a thread keeps them only for
  // answers of ordinary size.
  constexpr std::size_t kReusedParserBytes = std::size_t{1} << 20;
  if (text_.size() <= kReusedParserBytes) {
    thread_local simdjson::ondemand::parser threadParser;
    parser_ = &threadParser;
  } else {
    ownParser_ = std::make_unique<simdjson::ondemand::parser>();
    parser_ = ownParser_.get();
  }
  // Usually there is room already; otherwise one reallocation here beats a padded copy.
  if (text_.capacity() < text_.size() + simdjson::SIMDJSON_PADDING) {
    text_.reserve(text_.size() + simdjson::SIMDJSON_PADDING);
  }
}

simdjson::ondemand::object JsonDocument::rootObject(const CodingPath& root) {
  if (parser_->iterate(simdjson::padded_string_view(text_)).get(document_) != SUCCESS) failMalformed();
  simdjson::ondemand::object object;
  if (document_.get_object().get(object) == SUCCESS) return object;
  json_type type;
  if (document_.type().get(type) != SUCCESS) failMalformed();
  failDecoding(DecodingError::Kind::typeMismatch, root,
               std::string("Expected an object but found ") + typeName(type) + ".");
}

void JsonDocument::finish() {
  // Past the last token is the only place the parser reports as out of bounds.
  const char* location = nullptr;
  if (document_.current_location().get(location) != simdjson::OUT_OF_BOUNDS) failMalformed();
}

std::optional<DecodingError> JsonDocument::malformation() {
  try {
    if (parser_->iterate(simdjson::padded_string_view(text_)).get(document_) != SUCCESS) failMalformed();
    json_type type;
    if (document_.type().get(type) != SUCCESS) failMalformed();
    if (type == json_type::array || type == json_type::object) {
      simdjson::ondemand::value value;
      if (document_.get_value().get(value) != SUCCESS) failMalformed();
      checkWellFormed(value, 0);
    } else if (type == json_type::number) {
      checkNumber(document_);
    } else if (type == json_type::string) {
      std::string_view text;
      if (document_.get_string().get(text) != SUCCESS) failMalformed();
    } else if (type == json_type::boolean) {
      bool flag;
      if (document_.get_bool().get(flag) != SUCCESS) failMalformed();
    } else {
      bool null = false;
      if (document_.is_null().get(null) != SUCCESS || !null) failMalformed();
    }
    finish();
    return std::nullopt;
  } catch (const DecodingFailure& failure) {
    return failure.error();
  }
}

}  // namespace orvane
