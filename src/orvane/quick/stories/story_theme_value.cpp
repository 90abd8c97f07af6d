#include <orvane/quick/stories/story_theme_value.h>

#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cmath>

#include <orvane/core/story_sdk.h>

namespace orvane::quick {
namespace {

constexpr std::array kWeights{FontWeight::ultraLight, FontWeight::thin,   FontWeight::light,
                              FontWeight::regular,    FontWeight::medium, FontWeight::semibold,
                              FontWeight::bold,       FontWeight::heavy,  FontWeight::black};

QFont::Weight qtWeight(FontWeight weight) {
  const auto position = std::find(kWeights.begin(), kWeights.end(), weight) - kWeights.begin();
  return static_cast<QFont::Weight>((position + 1) * 100);
}

}  // namespace

QColor toQColor(const Color& color) {
  return QColor::fromRgbF(static_cast<float>(color.red), static_cast<float>(color.green),
                          static_cast<float>(color.blue), static_cast<float>(color.alpha));
}

FontWeight fontWeight(int qtWeight) {
  const int index = std::clamp((qtWeight + 50) / 100, 1, static_cast<int>(kWeights.size())) - 1;
  return kWeights[static_cast<std::size_t>(index)];
}

QFont toQFont(const Font& font) {
  QFont result =
      font.customFamily() ? QFont(QString::fromStdString(*font.customFamily())) : QGuiApplication::font();
  const double size = std::isfinite(font.size()) ? font.size() : 0;
  result.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
  result.setWeight(qtWeight(font.weight()));
  return result;
}

QColor StoryThemeValue::primaryColor() const { return toQColor(theme_.primaryColor()); }

QColor StoryThemeValue::secondaryColor() const { return toQColor(theme_.secondaryColor()); }

double StoryThemeValue::primaryLuminance() const { return relativeLuminance(theme_.primaryColor()); }

QString StoryThemeValue::progressStyle() const {
  switch (theme_.progressStyle()) {
    case ProgressStyle::bar:
      return QStringLiteral("bar");
    case ProgressStyle::segmented:
      return QStringLiteral("segmented");
    case ProgressStyle::none:
      break;
  }
  return QStringLiteral("none");
}

QString StoryThemeValue::bubbleStyle() const {
  switch (theme_.bubbleStyle()) {
    case BubbleStyle::circle:
      return QStringLiteral("circle");
    case BubbleStyle::rounded:
      return QStringLiteral("rounded");
    case BubbleStyle::square:
      break;
  }
  return QStringLiteral("square");
}

QString StoryThemeValue::ctaStyle() const {
  switch (theme_.ctaStyle()) {
    case CtaStyle::filled:
      return QStringLiteral("filled");
    case CtaStyle::outlined:
      return QStringLiteral("outlined");
    case CtaStyle::text:
      break;
  }
  return QStringLiteral("text");
}

QFont StoryThemeValue::font(double size, int weight) const {
  return toQFont(theme_.font(size, fontWeight(weight), *StorySDK::shared().platform().fonts));
}

QFont StoryThemeValue::emojiFont(double size) const {
  QFont font = QGuiApplication::font();
  const QString system = font.family();
  font.setFamilies({QStringLiteral("Noto Color Emoji"), QStringLiteral("Apple Color Emoji"),
                    QStringLiteral("Segoe UI Emoji"), system});
  font.setPixelSize(std::isfinite(size) ? std::clamp(static_cast<int>(std::lround(size)), 1, 1000) : 1);
  return font;
}

}  // namespace orvane::quick
