#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QString>
#include <QTranslator>
#include <memory>
#include <vector>

#include <orvane/core/story_configuration.h>
#include <orvane/quick/i18n/story_texts.h>
#include <orvane/quick/i18n/story_translations.h>

namespace orvane::quick {
namespace {

// The translator is the process's: every test leaves the SDK speaking English.
class StoryTextsTest : public ::testing::Test {
 protected:
  void TearDown() override { ASSERT_TRUE(loadStoryTranslations(QLocale(QLocale::English))); }

  static QString votes(int total) { return voteTotalText(total, QStringLiteral("vote"), QStringLiteral("votes")); }
  static QString answers(int total) {
    return answerTotalText(total, QStringLiteral("answer"), QStringLiteral("answers"));
  }
};

std::vector<QString> defaultTexts() {
  const auto& strings = StoryUIStrings::default_();
  std::vector<QString> texts;
  for (const auto* text : {&strings.pollTitle(), &strings.quizTitle(), &strings.pollBadgeTitle(),
                           &strings.quizBadgeTitle(), &strings.swipeBadgeTitle(), &strings.swipeUpHint(),
                           &strings.voteSingular(), &strings.votePlural(), &strings.answerSingular(),
                           &strings.answerPlural()}) {
    texts.push_back(QString::fromStdString(*text));
  }
  return texts;
}

TEST_F(StoryTextsTest, WithoutTranslationsTheTextsAreTheEnglishDefaults) {
  for (const auto& text : defaultTexts()) EXPECT_EQ(shownText(text), text);
  EXPECT_EQ(votes(0), "0 votes");
  EXPECT_EQ(votes(1), "1 vote");
  EXPECT_EQ(votes(2), "2 votes");
  EXPECT_EQ(answers(1), "1 answer");
  EXPECT_EQ(answers(100), "100 answers");
  EXPECT_EQ(pageCountText(1), "1 page");
  EXPECT_EQ(pageCountText(3), "3 pages");
  // A language the library has no translation of leaves English in place, also after another.
  ASSERT_TRUE(loadStoryTranslations(QLocale(QLocale::Polish)));
  EXPECT_FALSE(loadStoryTranslations(QLocale(QLocale::French)));
  EXPECT_EQ(votes(5), "5 votes");
}

TEST_F(StoryTextsTest, EveryDefaultTextHasATranslation) {
  // Arabic shares no word with English, so a default missing from the catalogue shows here.
  ASSERT_TRUE(loadStoryTranslations(QLocale(QLocale::Arabic, QLocale::Egypt)));
  for (const auto& text : defaultTexts()) EXPECT_NE(shownText(text), text) << text.toStdString();
  ASSERT_TRUE(loadStoryTranslations(QLocale(QLocale::German, QLocale::Austria)));
  EXPECT_EQ(shownText(QStringLiteral("Vote")), "Abstimmung");
  EXPECT_EQ(shownText(QStringLiteral("Swipe up")), "Nach oben wischen");
}

TEST_F(StoryTextsTest, PolishCountsTakeTheirThreePluralForms) {
  ASSERT_TRUE(loadStoryTranslations(QLocale(QLocale::Polish, QLocale::Poland)));
  const std::vector<std::pair<int, QString>> expected = {
      {0, "0 głosów"},   {1, "1 głos"},     {2, "2 głosy"},       {4, "4 głosy"},
      {5, "5 głosów"},   {12, "12 głosów"}, {22, "22 głosy"},     {112, "112 głosów"},
      {1004, "1004 głosy"}};
  for (const auto& [total, text] : expected) EXPECT_EQ(votes(total), text) << total;
  EXPECT_EQ(answers(1), "1 odpowiedź");
  EXPECT_EQ(answers(3), "3 odpowiedzi");
  EXPECT_EQ(pageCountText(14), "14 stron");
}

TEST_F(StoryTextsTest, ArabicCountsTakeTheirSixPluralForms) {
  ASSERT_TRUE(loadStoryTranslations(QLocale(QLocale::Arabic)));
  const std::vector<std::pair<int, QString>> expected = {
      {0, "0 صوت"},    {1, "صوت واحد"},  {2, "صوتان"},      {3, "3 أصوات"},   {10, "10 أصوات"},
      {11, "11 صوتًا"}, {99, "99 صوتًا"}, {100, "100 صوت"}, {102, "102 صوت"}, {103, "103 أصوات"}};
  for (const auto& [total, text] : expected) EXPECT_EQ(votes(total), text) << total;
  EXPECT_EQ(answers(2), "إجابتان");
}

TEST_F(StoryTextsTest, TextsTheHostSetAreShownAsGiven) {
  ASSERT_TRUE(loadStoryTranslations(QLocale(QLocale::Polish)));
  EXPECT_EQ(shownText(QStringLiteral("Poll time")), "Poll time");
  EXPECT_EQ(shownText(QString()), "");
  // The host's own pair of words keeps the two-form rule, also when only one of them changed.
  EXPECT_EQ(voteTotalText(1, QStringLiteral("ballot"), QStringLiteral("ballots")), "1 ballot");
  EXPECT_EQ(voteTotalText(22, QStringLiteral("ballot"), QStringLiteral("ballots")), "22 ballots");
  EXPECT_EQ(answerTotalText(5, QStringLiteral("answer"), QStringLiteral("replies")), "5 replies");
  // Case matters: "vote " is the host's.
  EXPECT_EQ(voteTotalText(5, QStringLiteral("vote "), QStringLiteral("votes")), "5 votes");
}

TEST_F(StoryTextsTest, TheViewsFollowTheDirectionOfTheSdksLanguage) {
  ASSERT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
  ASSERT_EQ(QLocale().textDirection(), Qt::LeftToRight);
  EXPECT_FALSE(storyViewsRightToLeft());
  ASSERT_TRUE(loadStoryTranslations(QLocale(QLocale::Arabic, QLocale::SaudiArabia)));
  EXPECT_TRUE(storyViewsRightToLeft());
  // Only the SDK's views: the application keeps its own direction.
  EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
  ASSERT_TRUE(loadStoryTranslations(QLocale(QLocale::German)));
  EXPECT_FALSE(storyViewsRightToLeft());
}

// A host that installs translators of its own (here the SDK's Polish, as any other): Qt's
// QEvent::LanguageChange re-evaluates the views' texts, those from qsTr and those from C++ alike.
TEST_F(StoryTextsTest, QtsLanguageChangeReachesTheViewsBindings) {
  QQmlEngine engine;
  QQmlComponent component(&engine);
  component.setData("import QtQml\nimport OrvaneStories.Internal\nQtObject {\n"
                    "  property string badge: StoryTexts.language.shown(\"Poll\")\n"
                    "  property string total: StoryTexts.language.voteTotal(22, \"vote\", \"votes\")\n"
                    "  property string spoken: qsTranslate(\"VoteOptionRow\", \"your choice\")\n"
                    "}\n",
                    QUrl());
  std::unique_ptr<QObject> texts(component.create());
  ASSERT_NE(texts, nullptr) << component.errorString().toStdString();
  EXPECT_EQ(texts->property("badge").toString(), "Poll");

  QTranslator polish;
  ASSERT_TRUE(polish.load(QLocale(QLocale::Polish), "orvanestories", "_", ":/orvanestories/i18n"));
  QCoreApplication::installTranslator(&polish);
  // Qt sends this from installTranslator while the event loop runs; this test runs none.
  QEvent languageChange(QEvent::LanguageChange);
  QCoreApplication::sendEvent(QCoreApplication::instance(), &languageChange);
  QCoreApplication::processEvents();
  EXPECT_EQ(texts->property("badge").toString(), "Ankieta");
  EXPECT_EQ(texts->property("total").toString(), "22 głosy");
  EXPECT_EQ(texts->property("spoken").toString(), "twój wybór");

  QCoreApplication::removeTranslator(&polish);
  QCoreApplication::sendEvent(QCoreApplication::instance(), &languageChange);
  QCoreApplication::processEvents();
  EXPECT_EQ(texts->property("badge").toString(), "Poll");
  EXPECT_EQ(texts->property("total").toString(), "22 votes");
}

}  // namespace
}  // namespace orvane::quick
