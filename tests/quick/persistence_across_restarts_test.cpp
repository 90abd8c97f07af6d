#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "quick/platform/qsettings_store.h"

namespace orvane::quick {
namespace {

// "key=value" lines of a run of the restart child.
std::map<QString, QString> run(const QString& settings, const QString& mode) {
  QProcess child;
  child.start(QStringLiteral(ORVANE_RESTART_CHILD), {settings, mode});
  EXPECT_TRUE(child.waitForFinished(30000)) << mode.toStdString();
  EXPECT_EQ(child.exitCode(), 0) << mode.toStdString() << ": " << child.readAllStandardError().toStdString();
  std::map<QString, QString> values;
  for (const auto& line : QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'))) {
    const auto split = line.indexOf(QLatin1Char('='));
    if (split > 0) values[line.left(split)] = line.mid(split + 1);
  }
  return values;
}

TEST(PersistenceAcrossRestarts, AVoteAndTheAnonymousIdSurviveAnAppKilledRightAfterVoting) {
  QTemporaryDir directory;
  const QString settings = directory.filePath(QStringLiteral("host.ini"));

  auto first = run(settings, QStringLiteral("vote"));
  ASSERT_FALSE(first[QStringLiteral("anonymous")].isEmpty());
  ASSERT_FALSE(first[QStringLiteral("voted")].isEmpty());
  EXPECT_EQ(QSettingsStore(settings).string("zephro_anonymous_user_id"),
            first[QStringLiteral("anonymous")].toStdString());

  auto second = run(settings, QStringLiteral("read"));
  EXPECT_EQ(second[QStringLiteral("anonymous")], first[QStringLiteral("anonymous")]);
  EXPECT_EQ(second[QStringLiteral("restored")], first[QStringLiteral("voted")]);

  // A device that never voted restores nothing and gets an id of its own.
  auto fresh = run(directory.filePath(QStringLiteral("other.ini")), QStringLiteral("read"));
  EXPECT_EQ(fresh[QStringLiteral("restored")], QStringLiteral("none"));
  EXPECT_NE(fresh[QStringLiteral("anonymous")], first[QStringLiteral("anonymous")]);
}

TEST(PersistenceAcrossRestarts, GroupsReadToTheEndAreStillSeenAfterARestart) {
  QTemporaryDir directory;
  const QString settings = directory.filePath(QStringLiteral("host.ini"));

  EXPECT_EQ(run(settings, QStringLiteral("seenIds"))[QStringLiteral("seen")], QString());
  auto first = run(settings, QStringLiteral("seen"));
  ASSERT_FALSE(first[QStringLiteral("seen")].isEmpty());
  EXPECT_EQ(run(settings, QStringLiteral("seenIds"))[QStringLiteral("seen")], first[QStringLiteral("seen")]);
}

}  // namespace
}  // namespace orvane::quick
