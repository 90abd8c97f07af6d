#pragma once

#include <QtQml/qqmlregistration.h>

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>

#include <orvane/model/font.h>
#include <orvane/model/theme.h>

namespace orvane::quick {

// A group's theme as QML reads it: `theme.primaryColor`, `theme.progressStyle === "segmented"`,
// `font: theme.font(15, Font.Medium)`. Without a theme of its own it is the default theme.
class StoryThemeValue {
  Q_GADGET
  QML_VALUE_TYPE(storyTheme)
  Q_PROPERTY(QColor primaryColor READ primaryColor CONSTANT)
  Q_PROPERTY(QColor secondaryColor READ secondaryColor CONSTANT)
  // Relative luminance of the primary colour, which picks text colours drawn on or in it.
  Q_PROPERTY(double primaryLuminance READ primaryLuminance CONSTANT)
  // "bar", "segmented" or "none".
  Q_PROPERTY(QString progressStyle READ progressStyle CONSTANT)
  // "circle", "rounded" or "square".
  Q_PROPERTY(QString bubbleStyle READ bubbleStyle CONSTANT)
  // "filled", "outlined" or "text".
  Q_PROPERTY(QString ctaStyle READ ctaStyle CONSTANT)

 public:
  StoryThemeValue() : theme_(StoryTheme::default_()) {}
  explicit StoryThemeValue(StoryTheme theme) : theme_(std::move(theme)) {}

  QColor primaryColor() const;
  QColor secondaryColor() const;
  double primaryLuminance() const;
  QString progressStyle() const;
  QString bubbleStyle() const;
  QString ctaStyle() const;

  // The theme's family when the platform has it, else the system font at the weight (a QFont
  // weight, as QML's Font.Medium) reduced to regular, medium, semibold or bold. Sizes are points
  // of the layout, that is QML pixels.
  Q_INVOKABLE QFont font(double size, int weight) const;
  // The system font of `size` with the colour emoji fonts first, so an emoji draws in colour
  // even where a text font also has a plain glyph for it (a star, a symbol with a variation
  // selector).
  Q_INVOKABLE QFont emojiFont(double size) const;

  const StoryTheme& theme() const { return theme_; }

  friend bool operator==(const StoryThemeValue& a, const StoryThemeValue& b) { return a.theme_ == b.theme_; }
  friend bool operator!=(const StoryThemeValue& a, const StoryThemeValue& b) { return !(a == b); }

 private:
  StoryTheme theme_;
};

QColor toQColor(const Color& color);
// QFont weights (100...900) onto the nearest of the nine named weights, and back.
FontWeight fontWeight(int qtWeight);
QFont toQFont(const Font& font);

}  // namespace orvane::quick
