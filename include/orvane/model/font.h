#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>
#include <utility>

namespace orvane {

enum class FontWeight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };

// A toolkit-neutral font description: either a custom family at a size, or the system font at a
// size and weight. The UI layer turns it into its own font.
class ORVANE_EXPORT Font {
 public:
  Font(std::optional<std::string> customFamily, double size, FontWeight weight)
      : customFamily_(std::move(customFamily)), size_(size), weight_(weight) {}

  // A custom family carries no weight of its own; it is recorded as regular.
  static Font custom(std::string family, double size) {
    return Font(std::move(family), size, FontWeight::regular);
  }
  static Font system(double size, FontWeight weight) { return Font(std::nullopt, size, weight); }

  // Absent for the system font.
  const std::optional<std::string>& customFamily() const { return customFamily_; }
  double size() const { return size_; }
  FontWeight weight() const { return weight_; }

  bool operator==(const Font&) const = default;

 private:
  std::optional<std::string> customFamily_;
  double size_;
  FontWeight weight_;
};

}  // namespace orvane
