#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <orvane/model/coding_error.h>
#include <orvane/platform/clock.h>
#include <orvane/platform/url.h>

// Reading and writing single fields of the model's JSON objects, for any nlohmann basic_json.
// Records and enumerations nested in a field go through their adl_serializer.
namespace orvane::model_json {

template <typename T>
struct IsVector : std::false_type {};
template <typename T>
struct IsVector<std::vector<T>> : std::true_type {};

// Runs `decode`, placing any failure under `segment` of the enclosing value.
template <typename Decode>
auto nested(std::string_view segment, Decode&& decode) -> decltype(decode()) {
  try {
    return decode();
  } catch (const ModelCodingError& error) {
    throw error.nestedIn(segment);
  }
}

[[noreturn]] inline void fail(ModelCodingError::Kind kind, std::string detail) {
  throw ModelCodingError(kind, {}, std::move(detail));
}

template <typename Json>
void expectObject(const Json& value) {
  if (!value.is_object()) fail(ModelCodingError::Kind::typeMismatch, "expected an object");
}

template <typename Json>
const std::string& stringOf(const Json& value) {
  if (!value.is_string()) fail(ModelCodingError::Kind::typeMismatch, "expected a string");
  return value.template get_ref<const std::string&>();
}

template <typename Json>
std::int64_t int64Of(const Json& value) {
  if (value.is_number_unsigned()) {
    auto number = value.template get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
      fail(ModelCodingError::Kind::dataCorrupted, "number does not fit a 64-bit integer");
    return static_cast<std::int64_t>(number);
  }
  if (value.is_number_integer()) return value.template get<std::int64_t>();
  if (value.is_number_float()) {
    // 3.0 is the integer 3; 3.5 and out-of-range values are not integers at all.
    auto number = value.template get<double>();
    constexpr double limit = 9223372036854775808.0;  // 2^63
    if (std::trunc(number) != number || number < -limit || number >= limit)
      fail(ModelCodingError::Kind::dataCorrupted, "number does not fit a 64-bit integer");
    return static_cast<std::int64_t>(number);
  }
  fail(ModelCodingError::Kind::typeMismatch, "expected an integer");
}

template <typename T, typename Json>
T decodeValue(const Json& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    return stringOf(value);
  } else if constexpr (std::is_same_v<T, bool>) {
    if (!value.is_boolean()) fail(ModelCodingError::Kind::typeMismatch, "expected a boolean");
    return value.template get<bool>();
  } else if constexpr (std::is_same_v<T, std::int64_t>) {
    return int64Of(value);
  } else if constexpr (std::is_same_v<T, double>) {
    if (!value.is_number()) fail(ModelCodingError::Kind::typeMismatch, "expected a number");
    return value.template get<double>();
  } else if constexpr (std::is_same_v<T, Url>) {
    auto url = Url::parse(stringOf(value));
    if (!url) fail(ModelCodingError::Kind::dataCorrupted, "invalid URL string");
    return *url;
  } else if constexpr (std::is_same_v<T, Date>) {
    auto date = parseIso8601(stringOf(value));
    if (!date) fail(ModelCodingError::Kind::dataCorrupted, "expected an ISO 8601 date");
    return *date;
  } else if constexpr (IsVector<T>::value) {
    if (!value.is_array()) fail(ModelCodingError::Kind::typeMismatch, "expected an array");
    T elements;
    elements.reserve(value.size());
    for (std::size_t index = 0; index < value.size(); ++index) {
      elements.push_back(nested("[" + std::to_string(index) + "]",
                                [&] { return decodeValue<typename T::value_type>(value[index]); }));
    }
    return elements;
  } else {
    return value.template get<T>();
  }
}

// Missing and null alike mean absent.
template <typename Json>
const Json* presentValue(const Json& object, const char* key) {
  auto found = object.find(key);
  if (found == object.end() || found->is_null()) return nullptr;
  return &*found;
}

template <typename T, typename Json>
T readRequired(const Json& object, const char* key) {
  const Json* value = presentValue(object, key);
  if (value == nullptr) throw ModelCodingError(ModelCodingError::Kind::keyNotFound, key, "no value");
  return nested(key, [&] { return decodeValue<T>(*value); });
}

template <typename T, typename Json>
std::optional<T> readOptional(const Json& object, const char* key) {
  const Json* value = presentValue(object, key);
  if (value == nullptr) return std::nullopt;
  return nested(key, [&] { return decodeValue<T>(*value); });
}

template <typename Json, typename T>
Json encodeValue(const T& value) {
  if constexpr (std::is_same_v<T, double>) {
    if (!std::isfinite(value))
      fail(ModelCodingError::Kind::invalidValue, "JSON cannot hold a non-finite number");
    return Json(value);
  } else if constexpr (std::is_same_v<T, Url>) {
    return Json(value.string());
  } else if constexpr (std::is_same_v<T, Date>) {
    return Json(iso8601String(value));
  } else if constexpr (IsVector<T>::value) {
    Json elements = Json::array();
    for (std::size_t index = 0; index < value.size(); ++index) {
      elements.push_back(
          nested("[" + std::to_string(index) + "]", [&] { return encodeValue<Json>(value[index]); }));
    }
    return elements;
  } else {
    return Json(value);
  }
}

template <typename Json, typename T>
void writeField(Json& object, const char* key, const T& value) {
  object[key] = nested(key, [&] { return encodeValue<Json>(value); });
}

// An absent value writes no key at all.
template <typename Json, typename T>
void writeOptional(Json& object, const char* key, const std::optional<T>& value) {
  if (value) writeField(object, key, *value);
}

}  // namespace orvane::model_json
