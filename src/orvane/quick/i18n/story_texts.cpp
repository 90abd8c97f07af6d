#include <orvane/quick/i18n/story_texts.h>

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QQmlEngine>
#include <array>

#include <orvane/core/story_configuration.h>
#include <orvane/quick/i18n/story_translator.h>

namespace orvane::quick {
namespace {

constexpr auto kContext = "StoryUIStrings";

// The English defaults of StoryUIStrings, marked for lupdate; a test holds them equal to the
// core's StoryUIStrings::default_().
constexpr std::array kDefaultTexts = {
    QT_TRANSLATE_NOOP("StoryUIStrings", "Vote"),     QT_TRANSLATE_NOOP("StoryUIStrings", "Quiz"),
    QT_TRANSLATE_NOOP("StoryUIStrings", "Poll"),     QT_TRANSLATE_NOOP("StoryUIStrings", "Swipe"),
    QT_TRANSLATE_NOOP("StoryUIStrings", "Swipe up"), QT_TRANSLATE_NOOP("StoryUIStrings", "vote"),
    QT_TRANSLATE_NOOP("StoryUIStrings", "votes"),    QT_TRANSLATE_NOOP("StoryUIStrings", "answer"),
    QT_TRANSLATE_NOOP("StoryUIStrings", "answers"),
};

// `source` with `count` in the current language's plural form. Without a translation, English's
// two forms: `one` exactly for 1, else `other`.
QString counted(const char* source, int count, const char* one, const char* other) {
  const QString translated = QCoreApplication::translate(kContext, source, nullptr, count);
  const QString untranslated = QString::fromUtf8(source).replace(QLatin1String("%n"), QString::number(count));
  if (translated != untranslated) return translated;
  return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(count == 1 ? one : other));
}

QString hostTotal(int total, const QString& singular, const QString& plural) {
  return QStringLiteral("%1 %2").arg(total).arg(total == 1 ? singular : plural);
}

}  // namespace

QString shownText(const QString& text) {
  for (const char* source : kDefaultTexts) {
    if (text == QLatin1String(source)) return QCoreApplication::translate(kContext, source);
  }
  return text;
}

QString voteTotalText(int total, const QString& singular, const QString& plural) {
  const auto& english = StoryUIStrings::default_();
  if (singular.toStdString() != english.voteSingular() || plural.toStdString() != english.votePlural()) {
    return hostTotal(total, singular, plural);
  }
  return counted(QT_TRANSLATE_N_NOOP("StoryUIStrings", "%n vote(s)"), total, "vote", "votes");
}

QString answerTotalText(int total, const QString& singular, const QString& plural) {
  const auto& english = StoryUIStrings::default_();
  if (singular.toStdString() != english.answerSingular() || plural.toStdString() != english.answerPlural()) {
    return hostTotal(total, singular, plural);
  }
  return counted(QT_TRANSLATE_N_NOOP("StoryUIStrings", "%n answer(s)"), total, "answer", "answers");
}

QString pageCountText(int count) {
  return counted(QT_TRANSLATE_N_NOOP("StoryUIStrings", "%n page(s)"), count, "page", "pages");
}

bool storyViewsRightToLeft() {
  if (QGuiApplication::layoutDirection() == Qt::RightToLeft) return true;
  if (QLocale().textDirection() == Qt::RightToLeft) return true;
  const auto language = storyTranslationLanguage();
  return language && language->textDirection() == Qt::RightToLeft;
}

StoryTexts* StoryTexts::create(QQmlEngine* engine, QJSEngine*) { return new StoryTexts(engine); }

StoryTexts::StoryTexts(QQmlEngine* engine) : engine_(engine) {
  if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
  connect(&StoryLanguageNotifier::instance(), &StoryLanguageNotifier::languageChanged, this,
          &StoryTexts::retranslate);
}

bool StoryTexts::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::LanguageChange && watched == QCoreApplication::instance()) retranslate();
  return QObject::eventFilter(watched, event);
}

// Translators come and go in bursts (the host's, Qt's, the SDK's): one re-evaluation after them.
void StoryTexts::retranslate() {
  if (retranslatePending_) return;
  retranslatePending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        retranslatePending_ = false;
        emit languageChanged();
        if (engine_) engine_->retranslate();
      },
      Qt::QueuedConnection);
}

}  // namespace orvane::quick
