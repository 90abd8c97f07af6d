#pragma once

#include <QLocale>
#include <QObject>
#include <optional>

namespace orvane::quick {

// The language loadStoryTranslations installed; none while the SDK speaks its English sources.
std::optional<QLocale> storyTranslationLanguage();

// Tells the views each time loadStoryTranslations changes their language. Qt's own
// QEvent::LanguageChange only goes out while the application's event loop runs.
class StoryLanguageNotifier : public QObject {
  Q_OBJECT

 public:
  static StoryLanguageNotifier& instance();

 signals:
  void languageChanged();
};

}  // namespace orvane::quick
