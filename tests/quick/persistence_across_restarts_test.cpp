#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>
#include <set>
#include <vector>

#include <orvane/quick/platform/qsettings_store.h>

namespace orvane::quick {
namespace {

// "key=value" lines of a finished run of the restart child.
std::map<QString, QString> outputOf(QProcess& child, const QString& mode) {
  EXPECT_TRUE(child.waitForFinished(30000)) << mode.toStdString();
  EXPECT_EQ(child.exitCode(), 0) << mode.toStdString() << ": " << child.readAllStandardError().toStdString();
  std::map<QString, QString> values;
  for (const auto& line : QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'))) {
    const auto split = line.indexOf(QLatin1Char('='));
    if (split > 0) values[line.left(split)] = line.mid(split + 1);
  }
  return values;
}

std::map<QString, QString> run(const QString& data, const QString& mode, const QString& earlierSettings = {}) {
  QProcess child;
  QStringList arguments{data, mode};
  if (!earlierSettings.isEmpty()) arguments << earlierSettings;
  child.start(QStringLiteral(ORVANE_RESTART_CHILD), arguments);
  return outputOf(child, mode);
}

TEST(PersistenceAcrossRestarts, AVoteAndTheAnonymousIdSurviveAnAppKilledRightAfterVoting) {
  QTemporaryDir directory;
  const QString data = directory.filePath(QStringLiteral("orvane"));

  auto first = run(data, QStringLiteral("vote"));
  ASSERT_FALSE(first[QStringLiteral("anonymous")].isEmpty());
  ASSERT_FALSE(first[QStringLiteral("voted")].isEmpty());
  EXPECT_EQ(QSettingsStore(data).string("zephro_anonymous_user_id"),
            first[QStringLiteral("anonymous")].toStdString());

  auto second = run(data, QStringLiteral("read"));
  EXPECT_EQ(second[QStringLiteral("anonymous")], first[QStringLiteral("anonymous")]);
  EXPECT_EQ(second[QStringLiteral("restored")], first[QStringLiteral("voted")]);

  // A device that never voted restores nothing and gets an id of its own.
  auto fresh = run(directory.filePath(QStringLiteral("other")), QStringLiteral("read"));
  EXPECT_EQ(fresh[QStringLiteral("restored")], QStringLiteral("none"));
  EXPECT_NE(fresh[QStringLiteral("anonymous")], first[QStringLiteral("anonymous")]);
}

TEST(PersistenceAcrossRestarts, AppsLaunchedTogetherTheFirstTimeShareOneAnonymousAndDeviceId) {
  QTemporaryDir directory;
  const QString data = directory.filePath(QStringLiteral("orvane"));
  const QString mode = QStringLiteral("first-launch");

  std::vector<std::unique_ptr<QProcess>> children;
  for (int i = 0; i < 4; ++i) {
    children.push_back(std::make_unique<QProcess>());
    children.back()->start(QStringLiteral(ORVANE_RESTART_CHILD), {data, mode});
  }
  // Released together once every one is up, as apps started at the same moment would be.
  for (auto& child : children) {
    while (!child->canReadLine()) ASSERT_TRUE(child->waitForReadyRead(10000));
    ASSERT_EQ(child->readLine(), "ready\n");
  }
  for (auto& child : children) child->write("go\n");
  for (auto& child : children) ASSERT_TRUE(child->waitForBytesWritten(10000));

  std::set<QString> anonymous, devices;
  for (auto& child : children) {
    auto values = outputOf(*child, mode);
    anonymous.insert(values[QStringLiteral("anonymous")]);
    devices.insert(values[QStringLiteral("device")]);
  }
  EXPECT_EQ(anonymous.size(), 1u);
  EXPECT_EQ(devices.size(), 1u);
  EXPECT_EQ(QSettingsStore(data).string("zephro_anonymous_user_id"), anonymous.begin()->toStdString());
}

TEST(PersistenceAcrossRestarts, GroupsReadToTheEndAreStillSeenAfterARestart) {
  QTemporaryDir directory;
  const QString data = directory.filePath(QStringLiteral("orvane"));

  EXPECT_EQ(run(data, QStringLiteral("seenIds"))[QStringLiteral("seen")], QString());
  auto first = run(data, QStringLiteral("seen"));
  ASSERT_FALSE(first[QStringLiteral("seen")].isEmpty());
  EXPECT_EQ(run(data, QStringLiteral("seenIds"))[QStringLiteral("seen")], first[QStringLiteral("seen")]);
}

// What an app of an earlier version kept in the host's settings: the SDK's keys in a group of
// its own, its votes in a folder beside the settings file.
void moveIntoTheHostsSettingsAsEarlierVersionsKeptIt(const QString& data, const QString& hostSettings) {
  QSettings own(data + "/settings.ini", QSettings::IniFormat);
  QSettings host(hostSettings, QSettings::IniFormat);
  host.setValue("host_theme", "dark");
  for (const auto& key : own.childKeys()) host.setValue("OrvaneStories/" + key, own.value(key));
  host.sync();
  ASSERT_EQ(host.status(), QSettings::NoError);
  ASSERT_TRUE(QDir().rename(data + "/votes", hostSettings + ".orvane-votes"));
  ASSERT_TRUE(QDir(data).removeRecursively());
}

TEST(PersistenceAcrossRestarts, AnAppUpgradedFromAnEarlierVersionKeepsItsIdVoteAndSeenGroups) {
  QTemporaryDir directory;
  const QString data = directory.filePath(QStringLiteral("orvane"));
  const QString hostSettings = directory.filePath(QStringLiteral("host.ini"));
  auto voted = run(data, QStringLiteral("vote"));
  auto seen = run(data, QStringLiteral("seen"));
  ASSERT_FALSE(voted[QStringLiteral("voted")].isEmpty());
  ASSERT_FALSE(seen[QStringLiteral("seen")].isEmpty());
  moveIntoTheHostsSettingsAsEarlierVersionsKeptIt(data, hostSettings);

  auto upgraded = run(data, QStringLiteral("read"), hostSettings);
  EXPECT_EQ(upgraded[QStringLiteral("anonymous")], voted[QStringLiteral("anonymous")]);
  EXPECT_EQ(upgraded[QStringLiteral("restored")], voted[QStringLiteral("voted")]);
  EXPECT_EQ(run(data, QStringLiteral("seenIds"))[QStringLiteral("seen")], seen[QStringLiteral("seen")]);

  // The host's own settings hold only the host's own keys again, and nothing lies beside them.
  QSettings host(hostSettings, QSettings::IniFormat);
  EXPECT_EQ(host.allKeys(), QStringList{"host_theme"});
  EXPECT_FALSE(QFileInfo::exists(hostSettings + ".orvane-votes"));
}

}  // namespace
}  // namespace orvane::quick
