#include <orvane/quick/stories/story_page_value.h>

#include <orvane/quick/stories/story_qml_values.h>

namespace orvane::quick {
namespace {

// What QML reads as null, so an absent value is told from an empty one.
QVariant qmlNull() { return QVariant::fromValue(nullptr); }

}  // namespace

QString WidgetOptionValue::id() const { return toQString(option_.id()); }
QString WidgetOptionValue::text() const { return toQString(option_.text()); }
QVariant WidgetOptionValue::emojiPrefix() const { return toQVariant(option_.emojiPrefix()); }
QVariant WidgetOptionValue::isCorrect() const {
  return option_.isCorrect() ? QVariant(*option_.isCorrect()) : qmlNull();
}

QString StoryPageValue::id() const { return item_ ? toQString(item_->id()) : QString(); }
QVariant StoryPageValue::title() const { return item_ ? toQVariant(item_->title()) : qmlNull(); }
QVariant StoryPageValue::bodyText() const { return item_ ? toQVariant(item_->bodyText()) : qmlNull(); }

QString StoryPageValue::mediaType() const {
  if (!item_ || !item_->mediaType()) return {};
  return item_->mediaType() == StoryMediaType::video ? QStringLiteral("video") : QStringLiteral("image");
}

QUrl StoryPageValue::mediaUrl() const { return item_ ? toQUrl(item_->mediaURL()) : QUrl(); }
QVariant StoryPageValue::ctaTitle() const { return item_ ? toQVariant(item_->ctaTitle()) : qmlNull(); }
QUrl StoryPageValue::ctaUrl() const { return item_ ? toQUrl(item_->ctaURL()) : QUrl(); }

QString StoryPageValue::widgetType() const {
  switch (item_ ? item_->widgetType() : WidgetType::none) {
    case WidgetType::poll:
      return QStringLiteral("poll");
    case WidgetType::quiz:
      return QStringLiteral("quiz");
    case WidgetType::swipe:
      return QStringLiteral("swipe");
    case WidgetType::none:
      break;
  }
  return QStringLiteral("none");
}

QVariant StoryPageValue::widgetQuestion() const { return item_ ? toQVariant(item_->widgetQuestion()) : qmlNull(); }
QUrl StoryPageValue::swipeCallbackUrl() const { return item_ ? toQUrl(item_->swipeCallbackURL()) : QUrl(); }

QVariantList StoryPageValue::widgetOptions() const {
  QVariantList options;
  if (!item_) return options;
  for (const auto& option : item_->widgetOptions()) options.append(QVariant::fromValue(WidgetOptionValue(option)));
  return options;
}

}  // namespace orvane::quick
