#include <orvane/quick/stories/story_qml_values.h>

namespace orvane::quick {

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

}  // namespace orvane::quick
