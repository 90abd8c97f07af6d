#include <orvane/quick/i18n/story_translations.h>
#include <orvane/quick/i18n/story_translator.h>

#include <QCoreApplication>
#include <QTranslator>
#include <memory>

namespace orvane::quick {
namespace {

// The .qm files qt_add_translations embeds beside the library's QML module.
constexpr auto kTranslationsDirectory = ":/orvanestories/i18n";

// One translator for the process: the GUI thread's, installed into the application.
std::unique_ptr<QTranslator>& installedTranslator() {
  static std::unique_ptr<QTranslator> translator;
  return translator;
}

}  // namespace

bool loadStoryTranslations(const QLocale& locale) {
  auto next = std::make_unique<QTranslator>();
  // Tries the locale's UI languages in order ("pl-PL", then "pl"), as Qt's own translations do.
  const bool found = next->load(locale, QStringLiteral("orvanestories"), QStringLiteral("_"),
                                QString::fromLatin1(kTranslationsDirectory));
  auto& installed = installedTranslator();
  if (installed) {
    QCoreApplication::removeTranslator(installed.get());
    installed.reset();
  }
  if (found) {
    QCoreApplication::installTranslator(next.get());
    installed = std::move(next);
  }
  emit StoryLanguageNotifier::instance().languageChanged();
  return found || locale.language() == QLocale::English;
}

StoryLanguageNotifier& StoryLanguageNotifier::instance() {
  static StoryLanguageNotifier notifier;
  return notifier;
}

std::optional<QLocale> storyTranslationLanguage() {
  const auto& installed = installedTranslator();
  if (!installed) return std::nullopt;
  return QLocale(installed->language());
}

}  // namespace orvane::quick
