#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>
#include <string_view>

#include <orvane/model/color.h>
#include <orvane/model/font.h>
#include <orvane/platform/fonts.h>

namespace orvane {

// How the viewer shows a group's progress: one bar per page, a segmented bar, or not at all.
enum class ProgressStyle { bar, segmented, none };
// The story bar's bubble shape.
enum class BubbleStyle { circle, rounded, square };
// How a call-to-action button is drawn.
enum class CtaStyle { filled, outlined, text };

// Lenient readers of the service's style words: trimmed, case-insensitive; an absent, empty or
// unknown word gives the default theme's style.
//@{
ORVANE_EXPORT ProgressStyle parseProgressStyle(std::optional<std::string_view> text);
ORVANE_EXPORT BubbleStyle parseBubbleStyle(std::optional<std::string_view> text);
ORVANE_EXPORT CtaStyle parseCtaStyle(std::optional<std::string_view> text);
//@}

// How a story group looks, as its author set it on the service.
//
// \code
// const StoryTheme& theme = group.theme();
// ring.setColors(theme.primaryColor(), theme.secondaryColor());
// \endcode
class ORVANE_EXPORT StoryTheme {
 public:
  // Each style, font family and colour as given.
  StoryTheme(ProgressStyle progressStyle, BubbleStyle bubbleStyle, std::optional<std::string> fontFamily,
             Color primaryColor, Color secondaryColor, CtaStyle ctaStyle);

  // Bar progress, circle bubbles, system font, orange and pink, filled call-to-action.
  static const StoryTheme& default_();

  // The theme described by the service's loose strings: styles through their parsers, colours
  // through colorFromHex with the default colours as fallbacks, the font family trimmed and
  // absent when that leaves nothing.
  static StoryTheme fromServiceStrings(std::optional<std::string_view> progressStyle,
                                       std::optional<std::string_view> bubbleStyle,
                                       std::optional<std::string_view> fontFamily,
                                       std::optional<std::string_view> primaryColor,
                                       std::optional<std::string_view> secondaryColor,
                                       std::optional<std::string_view> ctaStyle);

  // The styles, the font family (absent: the system font) and the two colours of the ring and
  // buttons.
  //@{
  ProgressStyle progressStyle() const { return progressStyle_; }
  BubbleStyle bubbleStyle() const { return bubbleStyle_; }
  const std::optional<std::string>& fontFamily() const { return fontFamily_; }
  const Color& primaryColor() const { return primaryColor_; }
  const Color& secondaryColor() const { return secondaryColor_; }
  CtaStyle ctaStyle() const { return ctaStyle_; }
  //@}

  // The theme's family at `size` when the catalog has it (weight ignored), else the system font
  // with the weight reduced to regular, medium, semibold or bold.
  Font font(double size, FontWeight weight, const FontCatalog& fonts) const;

  // Field by field.
  bool operator==(const StoryTheme&) const = default;

 private:
  ProgressStyle progressStyle_;
  BubbleStyle bubbleStyle_;
  std::optional<std::string> fontFamily_;
  Color primaryColor_;
  Color secondaryColor_;
  CtaStyle ctaStyle_;
};

}  // namespace orvane
