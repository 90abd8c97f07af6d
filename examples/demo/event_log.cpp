#include "event_log.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTime>
#include <iostream>

namespace {

constexpr int kMaxLines = 200;

const char* kindName(orvane::StorySDKEvent::Kind kind) {
  using Kind = orvane::StorySDKEvent::Kind;
  switch (kind) {
    case Kind::storyGroupImpression: return "storyGroupImpression";
    case Kind::storyOpen: return "storyOpen";
    case Kind::storyItemImpression: return "storyItemImpression";
    case Kind::storyClose: return "storyClose";
    case Kind::storyCompleted: return "storyCompleted";
    case Kind::pollViewed: return "pollViewed";
    case Kind::pollVoted: return "pollVoted";
    case Kind::quizViewed: return "quizViewed";
    case Kind::quizAnswered: return "quizAnswered";
    case Kind::swipeUp: return "swipeUp";
    case Kind::bannerImpression: return "bannerImpression";
    case Kind::bannerClick: return "bannerClick";
  }
  return "event";
}

QString shortId(const std::optional<std::string>& id) {
  return id ? QString::fromStdString(id->substr(0, 8)) : QStringLiteral("-");
}

}  // namespace

QString describe(const orvane::StorySDKEvent& event) {
  QString text = QString::fromLatin1(kindName(event.kind()));
  if (event.isBannerEvent()) {
    text += QStringLiteral(" banner=%1 slide=%2").arg(shortId(event.bannerId()), shortId(event.bannerItemId()));
    if (event.url()) text += QStringLiteral(" url=") + QString::fromStdString(event.url()->string());
  } else {
    text += QStringLiteral(" group=%1").arg(shortId(event.groupId()));
    if (event.itemId()) text += QStringLiteral(" page=%1").arg(shortId(event.itemId()));
  }
  return text;
}

void EventLog::append(const orvane::StorySDKEvent& event) { appendLine(describe(event)); }

void EventLog::share(const QString& link, const QString& title) {
  const QString line = QStringLiteral("shared \"%1\" %2").arg(title, link);
  std::cout << line.toStdString() << std::endl;
  if (auto* clipboard = QGuiApplication::clipboard()) clipboard->setText(link);
  appendLine(line);
}

void EventLog::appendLine(const QString& line) {
  lines_.prepend(QTime::currentTime().toString(QStringLiteral("HH:mm:ss  ")) + line);
  if (lines_.size() > kMaxLines) lines_.removeLast();
  emit linesChanged();
}
