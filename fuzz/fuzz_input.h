#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Traps so that libFuzzer keeps the input: a promise of the code under test was broken.
#define ORVANE_FUZZ_CHECK(condition)    \
  do {                                  \
    if (!(condition)) __builtin_trap(); \
  } while (false)

namespace orvane::fuzz {

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace orvane::fuzz
