#pragma once

#include <QObject>
#include <QStringList>

#include <orvane/core/story_sdk_event.h>

// The events the SDK handed to the host, newest first, for the demo's log panel.
class EventLog : public QObject {
  Q_OBJECT
  Q_PROPERTY(QStringList lines READ lines NOTIFY linesChanged)

 public:
  using QObject::QObject;
  QStringList lines() const { return lines_; }
  void append(const orvane::StorySDKEvent& event);
  // The demo's share action: the page's link goes to the log, the console and the clipboard.
  Q_INVOKABLE void share(const QString& link, const QString& title);

 signals:
  void linesChanged();

 private:
  void appendLine(const QString& line);

  QStringList lines_;
};

QString describe(const orvane::StorySDKEvent& event);
