#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <optional>

#include <orvane/model/story.h>

namespace orvane::quick {

// A poll or quiz option as QML reads it: `option.text`, `option.voteCount`.
class WidgetOptionValue {
  Q_GADGET
  QML_VALUE_TYPE(widgetOption)
  Q_PROPERTY(QString id READ id CONSTANT)
  Q_PROPERTY(QString text READ text CONSTANT)
  // Null when the option has none.
  Q_PROPERTY(QVariant emojiPrefix READ emojiPrefix CONSTANT)
  Q_PROPERTY(double orderIndex READ orderIndex CONSTANT)
  // Null when the option does not say (a poll's).
  Q_PROPERTY(QVariant isCorrect READ isCorrect CONSTANT)
  Q_PROPERTY(double voteCount READ voteCount CONSTANT)

 public:
  WidgetOptionValue() = default;
  explicit WidgetOptionValue(WidgetOption option) : option_(std::move(option)) {}

  QString id() const;
  QString text() const;
  QVariant emojiPrefix() const;
  double orderIndex() const { return static_cast<double>(option_.orderIndex()); }
  QVariant isCorrect() const;
  double voteCount() const { return static_cast<double>(option_.voteCount()); }

  friend bool operator==(const WidgetOptionValue& a, const WidgetOptionValue& b) { return a.option_ == b.option_; }
  friend bool operator!=(const WidgetOptionValue& a, const WidgetOptionValue& b) { return !(a == b); }

 private:
  WidgetOption option_;
};

// The page on screen as QML reads it: `page.mediaUrl`, `page.widgetType === "poll"`. Without a
// page (`exists` false) its texts are null and the rest empty.
class StoryPageValue {
  Q_GADGET
  QML_VALUE_TYPE(storyPage)
  Q_PROPERTY(bool exists READ exists CONSTANT)
  Q_PROPERTY(QString id READ id CONSTANT)
  // The texts are null when the page has none, so an absent text is told from an empty one.
  Q_PROPERTY(QVariant title READ title CONSTANT)
  Q_PROPERTY(QVariant bodyText READ bodyText CONSTANT)
  // "image", "video", or empty without media.
  Q_PROPERTY(QString mediaType READ mediaType CONSTANT)
  Q_PROPERTY(QUrl mediaUrl READ mediaUrl CONSTANT)
  Q_PROPERTY(double duration READ duration CONSTANT)
  Q_PROPERTY(QVariant ctaTitle READ ctaTitle CONSTANT)
  Q_PROPERTY(QUrl ctaUrl READ ctaUrl CONSTANT)
  // "none", "poll", "quiz" or "swipe".
  Q_PROPERTY(QString widgetType READ widgetType CONSTANT)
  Q_PROPERTY(QVariant widgetQuestion READ widgetQuestion CONSTANT)
  Q_PROPERTY(QUrl swipeCallbackUrl READ swipeCallbackUrl CONSTANT)
  // widgetOption values, in the service's order.
  Q_PROPERTY(QVariantList widgetOptions READ widgetOptions CONSTANT)

 public:
  StoryPageValue() = default;
  explicit StoryPageValue(StoryItem item) : item_(std::move(item)) {}

  bool exists() const { return item_.has_value(); }
  QString id() const;
  QVariant title() const;
  QVariant bodyText() const;
  QString mediaType() const;
  QUrl mediaUrl() const;
  double duration() const { return item_ ? item_->duration() : 0; }
  QVariant ctaTitle() const;
  QUrl ctaUrl() const;
  QString widgetType() const;
  QVariant widgetQuestion() const;
  QUrl swipeCallbackUrl() const;
  QVariantList widgetOptions() const;

  friend bool operator==(const StoryPageValue& a, const StoryPageValue& b) { return a.item_ == b.item_; }
  friend bool operator!=(const StoryPageValue& a, const StoryPageValue& b) { return !(a == b); }

 private:
  std::optional<StoryItem> item_;
};

}  // namespace orvane::quick
