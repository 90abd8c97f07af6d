#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>
#include <utility>

namespace orvane {

// The weights of the system font.
enum class FontWeight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };

// A toolkit-neutral font description: either a custom family at a size, or the system font at a
// size and weight. The UI layer turns it into its own font.
//
// \code
// const Font title = group.theme().font(17, FontWeight::semibold, *platform.fonts);
// if (title.customFamily()) useFamily(*title.customFamily(), title.size());
// \endcode
class ORVANE_EXPORT Font {
 public:
  // A custom family when given, else the system font.
  Font(std::optional<std::string> customFamily, double size, FontWeight weight)
      : customFamily_(std::move(customFamily)), size_(size), weight_(weight) {}

  // A custom family carries no weight of its own; it is recorded as regular.
  static Font custom(std::string family, double size) {
    return Font(std::move(family), size, FontWeight::regular);
  }
  // The system font.
  static Font system(double size, FontWeight weight) { return Font(std::nullopt, size, weight); }

  // Absent for the system font.
  const std::optional<std::string>& customFamily() const { return customFamily_; }
  // In points, and the weight.
  //@{
  double size() const { return size_; }
  FontWeight weight() const { return weight_; }
  //@}

  // Field by field.
  bool operator==(const Font&) const = default;

 private:
  std::optional<std::string> customFamily_;
  double size_;
  FontWeight weight_;
};

}  // namespace orvane
