#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <optional>
#include <string>

#include <orvane/core/story_configuration.h>
#include <orvane/core/story_sdk.h>
#include <orvane/model/story.h>
#include <orvane/platform/url.h>

// Model values as plain QML values: texts, null for what is absent, URLs and string-keyed maps.
namespace orvane::quick {

// Stores `value` when it differs; true when it did (the caller then notifies).
template <typename T>
bool assignIfChanged(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

inline QString toQString(const std::string& text) { return QString::fromStdString(text); }
// Null when absent, so QML tells an absent text from an empty one.
QVariant toQVariant(const std::optional<std::string>& text);
// An empty QUrl when absent.
QUrl toQUrl(const std::optional<Url>& url);
// The URL QML gave, in the SDK's terms; absent when empty or no URL.
std::optional<Url> toUrl(const QUrl& url);

// { pollTitle, quizTitle, pollBadgeTitle, quizBadgeTitle, swipeBadgeTitle, swipeUpHint,
//   voteSingular, votePlural, answerSingular, answerPlural }
QVariantMap toQVariantMap(const StoryUIStrings& strings);
// The configured texts, else the default ones.
const StoryUIStrings& widgetStrings(const StorySDK& sdk);

}  // namespace orvane::quick
