#include <orvane/quick/stories/story_qml_values.h>

namespace orvane::quick {
namespace {

QString widgetTypeName(WidgetType type) {
  switch (type) {
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

}  // namespace

QVariant toQVariant(const std::optional<std::string>& text) {
  return text ? QVariant(toQString(*text)) : QVariant::fromValue(nullptr);
}

QUrl toQUrl(const std::optional<Url>& url) {
  return url ? QUrl(toQString(url->string()), QUrl::StrictMode) : QUrl();
}

std::optional<Url> toUrl(const QUrl& url) {
  if (url.isEmpty()) return std::nullopt;
  return Url::parse(url.toString(QUrl::FullyEncoded).toStdString());
}

QVariantMap toQVariantMap(const StoryUIStrings& strings) {
  return {{QStringLiteral("pollTitle"), toQString(strings.pollTitle())},
          {QStringLiteral("quizTitle"), toQString(strings.quizTitle())},
          {QStringLiteral("pollBadgeTitle"), toQString(strings.pollBadgeTitle())},
          {QStringLiteral("quizBadgeTitle"), toQString(strings.quizBadgeTitle())},
          {QStringLiteral("swipeBadgeTitle"), toQString(strings.swipeBadgeTitle())},
          {QStringLiteral("swipeUpHint"), toQString(strings.swipeUpHint())},
          {QStringLiteral("voteSingular"), toQString(strings.voteSingular())},
          {QStringLiteral("votePlural"), toQString(strings.votePlural())},
          {QStringLiteral("answerSingular"), toQString(strings.answerSingular())},
          {QStringLiteral("answerPlural"), toQString(strings.answerPlural())}};
}

const StoryUIStrings& widgetStrings(const StorySDK& sdk) {
  return sdk.configuration() ? sdk.configuration()->uiStrings() : StoryUIStrings::default_();
}

QVariantMap toQVariantMap(const WidgetOption& option) {
  return {{QStringLiteral("id"), toQString(option.id())},
          {QStringLiteral("text"), toQString(option.text())},
          {QStringLiteral("emojiPrefix"), toQVariant(option.emojiPrefix())},
          {QStringLiteral("orderIndex"), QVariant::fromValue(option.orderIndex())},
          {QStringLiteral("isCorrect"),
           option.isCorrect() ? QVariant(*option.isCorrect()) : QVariant::fromValue(nullptr)},
          {QStringLiteral("voteCount"), QVariant::fromValue(option.voteCount())}};
}

QVariantMap toQVariantMap(const StoryItem& item) {
  QVariant mediaType = QVariant::fromValue(nullptr);
  if (item.mediaType()) {
    mediaType = item.mediaType() == StoryMediaType::video ? QStringLiteral("video") : QStringLiteral("image");
  }
  QVariantList options;
  for (const auto& option : item.widgetOptions()) options.append(toQVariantMap(option));
  return {{QStringLiteral("id"), toQString(item.id())},
          {QStringLiteral("title"), toQVariant(item.title())},
          {QStringLiteral("bodyText"), toQVariant(item.bodyText())},
          {QStringLiteral("mediaType"), mediaType},
          {QStringLiteral("mediaUrl"), toQUrl(item.mediaURL())},
          {QStringLiteral("duration"), item.duration()},
          {QStringLiteral("ctaTitle"), toQVariant(item.ctaTitle())},
          {QStringLiteral("ctaUrl"), toQUrl(item.ctaURL())},
          {QStringLiteral("widgetType"), widgetTypeName(item.widgetType())},
          {QStringLiteral("widgetQuestion"), toQVariant(item.widgetQuestion())},
          {QStringLiteral("swipeCallbackUrl"), toQUrl(item.swipeCallbackURL())},
          {QStringLiteral("widgetOptions"), options}};
}

}  // namespace orvane::quick
