#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "api/errors.h"
#include "api/wire/coding_path.h"
#include "platform/clock.h"

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
[[noreturn]] void failTypeMismatch(const char* expected, const nlohmann::json& found, const CodingPath& path);

// Strict reads of one value. A value of another JSON type is a typeMismatch; a value of the
// right type that cannot be what is asked for (a malformed UUID or date, 1.5 or 1e30 for an
// integer) is dataCorrupted.
std::string readString(const nlohmann::json& value, const CodingPath& path);
std::int64_t readInteger(const nlohmann::json& value, const CodingPath& path);
bool readBool(const nlohmann::json& value, const CodingPath& path);
// A canonical 36-character UUID in either letter case, returned in lower case.
std::string readUuid(const nlohmann::json& value, const CodingPath& path);
// An internet date-time with a zone and without fractional seconds.
Date readDate(const nlohmann::json& value, const CodingPath& path);

// Reads the fields of one JSON object. A required key that is missing is keyNotFound; an
// optional key may be missing or null; keys nobody asks for are ignored.
class JsonObjectReader {
 public:
  JsonObjectReader(const nlohmann::json& value, const CodingPath& path);
  JsonObjectReader(const JsonObjectReader&) = delete;
  JsonObjectReader& operator=(const JsonObjectReader&) = delete;

  std::string string(std::string_view key) const { return read(key, readString); }
  std::int64_t integer(std::string_view key) const { return read(key, readInteger); }
  bool boolean(std::string_view key) const { return read(key, readBool); }
  std::string uuid(std::string_view key) const { return read(key, readUuid); }

  std::optional<std::string> optionalString(std::string_view key) const {
    return readOptional(key, readString);
  }
  std::optional<std::int64_t> optionalInteger(std::string_view key) const {
    return readOptional(key, readInteger);
  }
  std::optional<bool> optionalBoolean(std::string_view key) const { return readOptional(key, readBool); }
  std::optional<Date> optionalDate(std::string_view key) const { return readOptional(key, readDate); }

  // Nested objects and lists of objects, each decoded by `decode(const JsonObjectReader&)`.
  template <typename Decode>
  auto optionalObject(std::string_view key, Decode&& decode) const {
    return readOptional(key, [&](const nlohmann::json& value, const CodingPath& path) {
      return decodeObject(value, path, decode);
    });
  }
  template <typename Decode>
  auto objectList(std::string_view key, Decode&& decode) const {
    return read(key, [&](const nlohmann::json& value, const CodingPath& path) {
      return decodeList(value, path, decode);
    });
  }
  template <typename Decode>
  auto optionalObjectList(std::string_view key, Decode&& decode) const {
    return readOptional(key, [&](const nlohmann::json& value, const CodingPath& path) {
      return decodeList(value, path, decode);
    });
  }

 private:
  template <typename Decode>
  static auto decodeObject(const nlohmann::json& value, const CodingPath& path, Decode& decode) {
    const JsonObjectReader reader(value, path);
    return decode(reader);
  }

  template <typename Decode>
  static auto decodeList(const nlohmann::json& value, const CodingPath& path, Decode& decode) {
    using Element = std::invoke_result_t<Decode&, const JsonObjectReader&>;
    if (!value.is_array()) failTypeMismatch("an array", value, path);
    std::vector<Element> elements;
    elements.reserve(value.size());
    for (std::size_t index = 0; index < value.size(); ++index) {
      CodingPath elementPath(path, index);
      elements.push_back(decodeObject(value[index], elementPath, decode));
    }
    return elements;
  }

  template <typename Read>
  auto read(std::string_view key, Read&& readValue) const
      -> std::invoke_result_t<Read&, const nlohmann::json&, const CodingPath&> {
    CodingPath path(path_, key);
    const nlohmann::json* value = find(key);
    if (value == nullptr)
      failDecoding(DecodingError::Kind::keyNotFound, path, "No value for key \"" + std::string(key) + "\".");
    return readValue(*value, path);
  }

  template <typename Read>
  auto readOptional(std::string_view key, Read&& readValue) const
      -> std::optional<std::invoke_result_t<Read&, const nlohmann::json&, const CodingPath&>> {
    const nlohmann::json* value = find(key);
    if (value == nullptr || value->is_null()) return std::nullopt;
    CodingPath path(path_, key);
    return readValue(*value, path);
  }

  const nlohmann::json* find(std::string_view key) const;

  const nlohmann::json& object_;
  CodingPath path_;
};

// Parses a whole document (strictly: nothing may follow the value) and rejects nesting deeper
// than any service answer needs, so hostile input costs memory proportional to its size and no
// stack. Throws DecodingFailure with dataCorrupted on malformed text.
nlohmann::json parseJsonDocument(std::string_view bytes);

// Parses `bytes` and decodes the top-level object with `decode`. Never throws: every failure,
// including running out of memory on a huge input, becomes the DecodingError of the Result.
template <typename Decode>
auto decodeJsonDocument(std::string_view bytes, Decode&& decode)
    -> Result<std::invoke_result_t<Decode&, const JsonObjectReader&>> {
  try {
    const nlohmann::json document = parseJsonDocument(bytes);
    const CodingPath root;
    const JsonObjectReader reader(document, root);
    return decode(reader);
  } catch (const DecodingFailure& failure) {
    return failure.error();
  } catch (const std::exception& exception) {
    return DecodingError{DecodingError::Kind::dataCorrupted, "", exception.what()};
  }
}

}  // namespace orvane
