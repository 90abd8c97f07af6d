#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace orvane::quick {

// A text of StoryUIStrings as the views show it: one of the SDK's English defaults in the current
// language, any other text (the host's own) exactly as given.
QString shownText(const QString& text);
// The total under a poll ("5 votes") or a quiz ("5 answers") in the current language's plural
// forms, while the host's two words are the English defaults; the host's own words otherwise:
// the number, a space, the singular exactly when the total is 1.
QString voteTotalText(int total, const QString& singular, const QString& plural);
QString answerTotalText(int total, const QString& singular, const QString& plural);
// "3 pages", as a story bubble's spoken name says it.
QString pageCountText(int count);
// Whether the SDK's views lay out from the right: the application or its default locale does, or
// the SDK speaks a right-to-left language.
bool storyViewsRightToLeft();

// The functions above for QML. A binding that reaches them through StoryTexts.language follows
// language changes: Qt re-evaluates bindings that called qsTr, not those that called C++.
class StoryLanguage {
  Q_GADGET
  QML_VALUE_TYPE(storyLanguage)

 public:
  Q_INVOKABLE QString shown(const QString& text) const { return shownText(text); }
  Q_INVOKABLE QString voteTotal(int total, const QString& singular, const QString& plural) const {
    return voteTotalText(total, singular, plural);
  }
  Q_INVOKABLE QString answerTotal(int total, const QString& singular, const QString& plural) const {
    return answerTotalText(total, singular, plural);
  }
  Q_INVOKABLE QString pageCount(int count) const { return pageCountText(count); }
};

// The views' way to their texts, one per engine. It also keeps them in the current language: when
// translators change (QEvent::LanguageChange, loadStoryTranslations) it re-evaluates the engine's
// bindings once.
class StoryTexts : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_SINGLETON
  Q_PROPERTY(orvane::quick::StoryLanguage language READ language NOTIFY languageChanged)
  Q_PROPERTY(bool rightToLeft READ rightToLeft NOTIFY languageChanged)

 public:
  static StoryTexts* create(QQmlEngine* engine, QJSEngine*);

  StoryLanguage language() const { return {}; }
  bool rightToLeft() const { return storyViewsRightToLeft(); }

 signals:
  void languageChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit StoryTexts(QQmlEngine* engine);
  void retranslate();

  QPointer<QQmlEngine> engine_;
  bool retranslatePending_ = false;
};

}  // namespace orvane::quick
