#pragma once

#include <simdjson.h>

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <orvane/api/errors.h>
#include <orvane/api/wire/coding_path.h>
#include <orvane/platform/clock.h>

namespace orvane {

// Carries a DecodingError out of nested decoding functions. It never leaves
// decodeJsonDocument, which turns it into the failed Result.
class DecodingFailure final : public std::exception {
 public:
  explicit DecodingFailure(DecodingError error) : error_(std::move(error)) {}
  const char* what() const noexcept override { return "JSON decoding failed"; }
  const DecodingError& error() const { return error_; }

 private:
  DecodingError error_;
};

[[noreturn]] void failDecoding(DecodingError::Kind kind, const CodingPath& path, std::string message);
// The text is no JSON at all; reported at the root, whatever was being read.
[[noreturn]] void failMalformed();
// A field's key. Keys without escapes are used where they stand in the text, not copied out.
std::string_view fieldKey(simdjson::ondemand::field& field);

// Far deeper than any service answer, far shallower than anything that could hurt.
inline constexpr std::size_t kMaxJsonNestingDepth = 512;

class JsonObjectReader;

// One value of the document, read exactly once, in document order. Strict reads: a value of
// another JSON type is a typeMismatch; a value of the right type that cannot be what is asked for
// (a malformed UUID or date, 1.5 or 1e30 for an integer) is dataCorrupted. The optional reads take
// null as absent.
class JsonValueReader {
 public:
  JsonValueReader(simdjson::ondemand::value value, const CodingPath& path, std::size_t depth)
      : value_(value), path_(path), depth_(depth) {}

  std::string string();
  std::int64_t integer();
  bool boolean();
  // A canonical 36-character UUID in either letter case, returned in lower case.
  std::string uuid();
  // An internet date-time with a zone and without fractional seconds.
  Date date();

  std::optional<std::string> optionalString() { return isNull() ? std::nullopt : std::optional(string()); }
  std::optional<std::int64_t> optionalInteger() { return isNull() ? std::nullopt : std::optional(integer()); }
  std::optional<bool> optionalBoolean() { return isNull() ? std::nullopt : std::optional(boolean()); }
  std::optional<Date> optionalDate() { return isNull() ? std::nullopt : std::optional(date()); }

  // Nested objects and lists of objects, each decoded by `decode(JsonObjectReader&)`.
  template <typename Decode>
  auto object(Decode&& decode);
  template <typename Decode>
  auto objectList(Decode&& decode);
  template <typename Decode>
  auto optionalObject(Decode&& decode) {
    return isNull() ? std::nullopt : std::optional(object(decode));
  }
  template <typename Decode>
  auto optionalObjectList(Decode&& decode) {
    return isNull() ? std::nullopt : std::optional(objectList(decode));
  }

  // A value nobody asks for: checked to be well-formed JSON, then dropped.
  void skip();

 private:
  bool isNull();
  [[noreturn]] void failTypeMismatch(const char* expected);
  // The number's text as it stands in the document, for messages.
  std::string numberShown();
  // A string's text; valid while the document is.
  std::string_view text(const char* expected);
  simdjson::ondemand::object objectValue();

  simdjson::ondemand::value value_;
  const CodingPath& path_;
  std::size_t depth_;
};

// Walks the fields of one JSON object in document order. Keys nobody asks for are skipped
// (still checked to be well-formed); a later duplicate of a key wins.
class JsonObjectReader {
 public:
  JsonObjectReader(simdjson::ondemand::object object, const CodingPath& path, std::size_t depth)
      : object_(object), path_(path), depth_(depth) {}
  JsonObjectReader(const JsonObjectReader&) = delete;
  JsonObjectReader& operator=(const JsonObjectReader&) = delete;

  // Calls `onField(key, JsonValueReader&)` for each field; it returns whether it read the value.
  template <typename OnField>
  void forEachField(OnField&& onField);

  // A required key that is missing is keyNotFound. `keys` lists them in the record's order; bit i
  // of `seen` tells whether keys[i] was present.
  template <std::size_t N>
  void requireKeys(const std::bitset<N>& seen, std::initializer_list<std::string_view> keys) const {
    std::size_t index = 0;
    for (auto key : keys) {
      if (!seen[index++]) failMissingKey(key);
    }
  }

 private:
  [[noreturn]] void failMissingKey(std::string_view key) const;

  simdjson::ondemand::object object_;
  const CodingPath& path_;
  std::size_t depth_;
};

template <typename OnField>
void JsonObjectReader::forEachField(OnField&& onField) {
  for (auto result : object_) {
    simdjson::ondemand::field field;
    if (std::move(result).get(field) != simdjson::SUCCESS) failMalformed();
    const std::string_view key = fieldKey(field);
    const CodingPath fieldPath(path_, key);
    JsonValueReader reader(field.value(), fieldPath, depth_ + 1);
    if (!onField(key, reader)) reader.skip();
  }
}

template <typename Decode>
auto JsonValueReader::object(Decode&& decode) {
  JsonObjectReader reader(objectValue(), path_, depth_);
  return decode(reader);
}

template <typename Decode>
auto JsonValueReader::objectList(Decode&& decode) {
  using Element = std::invoke_result_t<Decode&, JsonObjectReader&>;
  simdjson::ondemand::array array;
  if (value_.get_array().get(array) != simdjson::SUCCESS) failTypeMismatch("an array");
  std::vector<Element> elements;
  std::size_t index = 0;
  for (auto element : array) {
    simdjson::ondemand::value value;
    if (element.get(value) != simdjson::SUCCESS) failMalformed();
    const CodingPath elementPath(path_, index++);
    elements.push_back(JsonValueReader(value, elementPath, depth_ + 1).object(decode));
  }
  return elements;
}

// Decodes one document: parses it on demand (strictly: nothing may follow the value) and decodes
// the top-level object with `decode(JsonObjectReader&)` straight into records, without building a
// tree. Malformed text is dataCorrupted at the root, also where a field before it failed otherwise,
// and nesting deeper than any answer needs is refused, so hostile input costs no stack. Never
// throws: every failure, running out of memory included, becomes the DecodingError of the Result.
class JsonDocument {
 public:
  // Takes the text over to pad it in place, as the parser needs, instead of copying it.
  explicit JsonDocument(std::string text);

  template <typename Decode>
  auto decode(Decode&& decode) -> Result<std::invoke_result_t<Decode&, JsonObjectReader&>> {
    try {
      const CodingPath root;
      JsonObjectReader reader(rootObject(root), root, 0);
      auto decoded = decode(reader);
      finish();
      return decoded;
    } catch (const DecodingFailure& failure) {
      return malformation().value_or(failure.error());
    } catch (const std::exception& exception) {
      return DecodingError{DecodingError::Kind::dataCorrupted, "", exception.what()};
    }
  }

 private:
  simdjson::ondemand::object rootObject(const CodingPath& root);
  void finish();
  // What makes the whole text no JSON, if anything does.
  std::optional<DecodingError> malformation();

  std::string text_;
  // Ordinary answers reuse their thread's parser; a large one gets its own, freed with the document.
  std::unique_ptr<simdjson::ondemand::parser> ownParser_;
  simdjson::ondemand::parser* parser_;
  simdjson::ondemand::document document_;
};

template <typename Decode>
auto decodeJsonDocument(std::string text, Decode&& decode) {
  return JsonDocument(std::move(text)).decode(decode);
}

}  // namespace orvane
