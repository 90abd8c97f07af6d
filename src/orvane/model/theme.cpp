#include <orvane/model/theme.h>

#include <array>
#include <string>
#include <utility>

#include <orvane/model/trimming.h>
#include <orvane/platform/ascii_text.h>

namespace orvane {
namespace {

std::string normalisedWord(std::string_view text) {
  return asciiUppercased(std::string(trimmingWhitespaceAndNewlines(text)));
}

template <typename Style, std::size_t Count>
Style parseStyle(std::optional<std::string_view> text,
                 const std::array<std::pair<std::string_view, Style>, Count>& words, Style fallback) {
  if (!text) return fallback;
  const std::string word = normalisedWord(*text);
  for (const auto& [spelling, style] : words) {
    if (word == spelling) return style;
  }
  return fallback;
}

constexpr std::array<std::pair<std::string_view, ProgressStyle>, 3> kProgressWords{{
    {"BAR", ProgressStyle::bar},
    {"SEGMENTED", ProgressStyle::segmented},
    {"NONE", ProgressStyle::none},
}};

constexpr std::array<std::pair<std::string_view, BubbleStyle>, 3> kBubbleWords{{
    {"CIRCLE", BubbleStyle::circle},
    {"ROUNDED", BubbleStyle::rounded},
    {"SQUARE", BubbleStyle::square},
}};

constexpr std::array<std::pair<std::string_view, CtaStyle>, 3> kCtaWords{{
    {"FILLED", CtaStyle::filled},
    {"OUTLINED", CtaStyle::outlined},
    {"TEXT", CtaStyle::text},
}};

FontWeight systemWeight(FontWeight weight) {
  switch (weight) {
    case FontWeight::medium:
    case FontWeight::semibold:
    case FontWeight::bold:
      return weight;
    default:
      return FontWeight::regular;
  }
}

}  // namespace

ProgressStyle parseProgressStyle(std::optional<std::string_view> text) {
  return parseStyle(text, kProgressWords, StoryTheme::default_().progressStyle());
}

BubbleStyle parseBubbleStyle(std::optional<std::string_view> text) {
  return parseStyle(text, kBubbleWords, StoryTheme::default_().bubbleStyle());
}

CtaStyle parseCtaStyle(std::optional<std::string_view> text) {
  return parseStyle(text, kCtaWords, StoryTheme::default_().ctaStyle());
}

StoryTheme::StoryTheme(ProgressStyle progressStyle, BubbleStyle bubbleStyle,
                       std::optional<std::string> fontFamily, Color primaryColor, Color secondaryColor,
                       CtaStyle ctaStyle)
    : progressStyle_(progressStyle),
      bubbleStyle_(bubbleStyle),
      fontFamily_(std::move(fontFamily)),
      primaryColor_(primaryColor),
      secondaryColor_(secondaryColor),
      ctaStyle_(ctaStyle) {}

const StoryTheme& StoryTheme::default_() {
  static const StoryTheme theme(ProgressStyle::bar, BubbleStyle::circle, std::nullopt, systemOrange,
                                systemPink, CtaStyle::filled);
  return theme;
}

StoryTheme StoryTheme::fromServiceStrings(std::optional<std::string_view> progressStyle,
                                          std::optional<std::string_view> bubbleStyle,
                                          std::optional<std::string_view> fontFamily,
                                          std::optional<std::string_view> primaryColor,
                                          std::optional<std::string_view> secondaryColor,
                                          std::optional<std::string_view> ctaStyle) {
  std::optional<std::string> family;
  if (fontFamily) {
    auto trimmed = trimmingWhitespaceAndNewlines(*fontFamily);
    if (!trimmed.empty()) family = std::string(trimmed);
  }
  const StoryTheme& fallback = default_();
  return StoryTheme(parseProgressStyle(progressStyle), parseBubbleStyle(bubbleStyle), std::move(family),
                    colorFromHex(primaryColor, fallback.primaryColor()),
                    colorFromHex(secondaryColor, fallback.secondaryColor()), parseCtaStyle(ctaStyle));
}

Font StoryTheme::font(double size, FontWeight weight, const FontCatalog& fonts) const {
  if (fontFamily_ && !fontFamily_->empty() && fonts.hasFont(*fontFamily_, size))
    return Font::custom(*fontFamily_, size);
  return Font::system(size, systemWeight(weight));
}

}  // namespace orvane
