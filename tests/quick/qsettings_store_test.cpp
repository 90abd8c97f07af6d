#include <orvane/quick/platform/qsettings_store.h>

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSize>
#include <QTemporaryDir>
#include <cstdio>
#include <thread>

#include "support/fake_platform.h"

namespace orvane::quick {
namespace {

class QSettingsStoreTest : public ::testing::Test {
 protected:
  // The SDK's own folder, and the host's settings that earlier versions wrote into.
  QString data() const { return directory_.filePath("orvane"); }
  QString hostSettings() const { return directory_.filePath("host.ini"); }
  QSettingsStore upgradedStore(std::shared_ptr<Console> console = nullptr) const {
    return QSettingsStore(data(), std::move(console), EarlierSettings(hostSettings()));
  }

  QTemporaryDir directory_;
};

TEST_F(QSettingsStoreTest, KeysWithSeparatorsStayDistinctAndSurviveANewStore) {
  const std::vector<std::string> keys = {
      "zephro_anonymous_user_id", "orvane_widget_vote:key:user:item", "a/b", "a//b", "/a/b/", "a\\b", "a%2Fb",
      "vote:app:user id/ü:item"};
  for (std::size_t i = 0; i < keys.size(); ++i)
    QSettingsStore(data()).set(keys[i], "value " + std::to_string(i));

  QSettingsStore reopened(data());
  for (std::size_t i = 0; i < keys.size(); ++i)
    EXPECT_EQ(reopened.string(keys[i]), "value " + std::to_string(i)) << keys[i];
  for (const char* absent : {"a", "missing", ""}) EXPECT_EQ(reopened.string(absent), std::nullopt) << absent;
}

TEST_F(QSettingsStoreTest, ValuesThatAreNoTextReadAbsent) {
  {
    QSettings settings(data() + "/settings.ini", QSettings::IniFormat);
    settings.setValue("list", QStringList{"a", "b"});
    settings.setValue("bytes", QByteArray("\x01\x02", 2));
    settings.setValue("size", QSize(3, 4));
  }
  QSettingsStore store(data());
  for (const char* key : {"list", "bytes", "size"}) EXPECT_EQ(store.string(key), std::nullopt) << key;
}

TEST_F(QSettingsStoreTest, ConcurrentWritersLoseNothing) {
  QSettingsStore store(data());
  auto write = [&](const std::string& prefix) {
    for (int i = 0; i < 10; ++i) store.set(prefix + std::to_string(i), std::to_string(i));
  };
  std::thread first(write, "first-"), second(write, "second-");
  first.join();
  second.join();

  QSettingsStore reopened(data());
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(reopened.string("first-" + std::to_string(i)), std::to_string(i));
    EXPECT_EQ(reopened.string("second-" + std::to_string(i)), std::to_string(i));
  }
}

// Everything of the SDK's that earlier versions kept in the host's settings file: the oldest
// at its top level, the last in a group of its own.
void writeAsEarlierVersionsDid(const QString& hostSettings) {
  QSettings earlier(hostSettings, QSettings::IniFormat);
  earlier.setValue("zephro_anonymous_user_id", "OLDEST-ID");
  earlier.setValue("orvane_device_identifier", "11111111-2222-4333-8444-555555555555");
  earlier.setValue(settingsKey("orvane_widget_vote:app:user/1:item"), "option-1");
  earlier.setValue("orvane_widget_vote:app:user:item-2", "option-2");
  earlier.setValue("OrvaneStories/zephro_anonymous_user_id", "OLD-ID");
  earlier.setValue("OrvaneStories/orvane_seen_story_groups", "g1,g2");
  earlier.setValue("OrvaneStories/" + settingsKey("a/b"), "slashed");
  earlier.setValue("host_theme", "dark");
  earlier.setValue("host/zephro_anonymous_user_id", "the host's own");
}

void expectMovedFromEarlierVersions(const QSettingsStore& store) {
  EXPECT_EQ(store.string("zephro_anonymous_user_id"), "OLD-ID");
  EXPECT_EQ(store.string("orvane_device_identifier"), "11111111-2222-4333-8444-555555555555");
  EXPECT_EQ(store.string("orvane_seen_story_groups"), "g1,g2");
  EXPECT_EQ(store.string("a/b"), "slashed");
  EXPECT_EQ(store.string("orvane_widget_vote:app:user/1:item"), "option-1");
  EXPECT_EQ(store.string("orvane_widget_vote:app:user:item-2"), "option-2");
}

TEST_F(QSettingsStoreTest, WhatEarlierVersionsWroteIntoTheHostsSettingsMovesOutAndTheHostsKeysStay) {
  writeAsEarlierVersionsDid(hostSettings());
  upgradedStore().set("orvane_widget_vote:app:user:item-3", "option-3");

  // Read from the SDK's own folder alone.
  QSettingsStore store(data());
  expectMovedFromEarlierVersions(store);
  EXPECT_EQ(store.string("orvane_widget_vote:app:user:item-3"), "option-3");

  QSettings after(hostSettings(), QSettings::IniFormat);
  EXPECT_EQ(after.allKeys(), (QStringList{"host/zephro_anonymous_user_id", "host_theme"}));
  EXPECT_EQ(QDir(directory_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            (QStringList{"host.ini", "orvane"}));
}

TEST_F(QSettingsStoreTest, AMoveThatCannotBeSavedLosesNothingAndIsTriedAgain) {
  writeAsEarlierVersionsDid(hostSettings());
  QFile blocker(data());  // a plain file where the folder should be: no one can create it
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QString hostBefore = QSettings(hostSettings(), QSettings::IniFormat).allKeys().join(',');
  {
    auto console = std::make_shared<testing::RecordingConsole>();
    const auto store = upgradedStore(console);
    expectMovedFromEarlierVersions(store);
    EXPECT_EQ(console->lines().size(), 1u);
  }
  EXPECT_EQ(QSettings(hostSettings(), QSettings::IniFormat).allKeys().join(','), hostBefore);

  ASSERT_TRUE(QFile::remove(data()));
  expectMovedFromEarlierVersions(upgradedStore());
  expectMovedFromEarlierVersions(QSettingsStore(data()));
  EXPECT_EQ(QSettings(hostSettings(), QSettings::IniFormat).childKeys(), QStringList{"host_theme"});
}

// A move cut short after the copy (the app killed before the host's settings were saved) is
// made again; what this version wrote since stays.
TEST_F(QSettingsStoreTest, AMoveMadeAgainKeepsWhatThisVersionWroteSince) {
  writeAsEarlierVersionsDid(hostSettings());
  {
    QSettingsStore current(data());
    current.set("zephro_anonymous_user_id", "NEW-ID");
    current.set("orvane_widget_vote:app:user:item-2", "changed");
  }
  const auto store = upgradedStore();
  EXPECT_EQ(store.string("zephro_anonymous_user_id"), "NEW-ID");
  EXPECT_EQ(store.string("orvane_widget_vote:app:user:item-2"), "changed");
  EXPECT_EQ(store.string("orvane_widget_vote:app:user/1:item"), "option-1");

  // Done once: what turns up in the host's settings later is the host's business.
  QSettings(hostSettings(), QSettings::IniFormat).setValue("OrvaneStories/orvane_seen_story_groups", "other");
  EXPECT_EQ(upgradedStore().string("orvane_seen_story_groups"), "g1,g2");
}

std::string voteKey(const std::string& user, int item) {
  char number[8];
  std::snprintf(number, sizeof number, "%04d", item);
  return "orvane_widget_vote:app:" + user + ":item-" + number;
}

// Files in a votes directory, lock files left out.
QStringList voteFiles(const QString& directory) {
  return QDir(directory).entryList(QDir::Files).filter(QRegularExpression("^[0-9a-f]+(\\.|$)"));
}

int readableVotes(const QSettingsStore& store, const std::string& user, int count) {
  int readable = 0;
  for (int item = 0; item < count; ++item) readable += store.string(voteKey(user, item)).has_value();
  return readable;
}

TEST_F(QSettingsStoreTest, VotesOfTheOldestVersionMoveInOneBatchKeepingTheMostRecentThousandPerUser) {
  {
    QSettings earlier(hostSettings(), QSettings::IniFormat);
    for (int item = 0; item < 1500; ++item) earlier.setValue(settingsKey(voteKey("user", item)), "option");
    for (int item = 0; item < 3; ++item) earlier.setValue(settingsKey(voteKey("other", item)), "other-option");
  }
  QSettingsStore store = upgradedStore();
  EXPECT_EQ(readableVotes(store, "user", 1500), 1000);
  EXPECT_EQ(readableVotes(store, "other", 3), 3);
  // One file for each app and user, however many votes each has.
  EXPECT_EQ(voteFiles(data() + "/votes").size(), 2) << voteFiles(data() + "/votes").join(' ').toStdString();
  EXPECT_TRUE(QSettings(hostSettings(), QSettings::IniFormat).childKeys().isEmpty());

  // Voting on, the oldest go: still a thousand, the new ones among them.
  store.set(voteKey("user", 1500), "new");
  store.set(voteKey("user", 1501), "new");
  QSettingsStore reopened(data());
  EXPECT_EQ(readableVotes(reopened, "user", 1502), 1000);
  EXPECT_EQ(reopened.string(voteKey("user", 1501)), "new");
  EXPECT_EQ(voteFiles(data() + "/votes").size(), 2);
}

TEST_F(QSettingsStoreTest, VoteFilesOfEarlierVersionsBesideTheHostsSettingsMoveIntoOneFile) {
  const QString directory = hostSettings() + ".orvane-votes";
  ASSERT_TRUE(QDir().mkpath(directory));
  for (int item = 0; item < 5; ++item) {
    const std::string key = voteKey("user", item);
    QFile record(directory + '/' +
                 QCryptographicHash::hash(QByteArray::fromStdString(key), QCryptographicHash::Sha256).toHex());
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write(QByteArray::fromStdString(key) + "\noption-" + QByteArray::number(item));
  }
  VoteBooks(directory).write(voteKey("user", 5), "option-5");
  QSettingsStore store = upgradedStore();
  for (int item = 0; item < 6; ++item) EXPECT_EQ(store.string(voteKey("user", item)), "option-" + std::to_string(item));
  EXPECT_EQ(voteFiles(data() + "/votes").size(), 1) << voteFiles(data() + "/votes").join(' ').toStdString();
  EXPECT_FALSE(QFileInfo::exists(directory));
}

TEST_F(QSettingsStoreTest, VotesOfOneUserFromTwoStoresAtOnceAreAllKept) {
  auto vote = [&](int first) {
    QSettingsStore store(data());
    for (int item = first; item < first + 10; ++item) store.set(voteKey("user", item), "option");
  };
  std::thread one(vote, 0), two(vote, 10);
  one.join();
  two.join();
  EXPECT_EQ(readableVotes(QSettingsStore(data()), "user", 20), 20);
}

TEST_F(QSettingsStoreTest, VoteKeysNoRequestCouldCarryAreRefusedWithAClearError) {
  auto console = std::make_shared<testing::RecordingConsole>();
  QSettingsStore store(data(), console);
  const std::string refused[] = {voteKey(std::string(64 * 1024, 'u'), 1), voteKey("line\nbreak", 2),
                                 voteKey("user", 3) + std::string(5000, 'i')};
  for (const auto& key : refused) {
    store.set(key, "option");
    EXPECT_EQ(store.string(key), std::nullopt);
  }
  store.set(voteKey("user", 4), "option\r\n");
  EXPECT_EQ(store.string(voteKey("user", 4)), std::nullopt);
  ASSERT_EQ(console->lines().size(), 4u);
  EXPECT_NE(console->lines()[0].find("vote"), std::string::npos) << console->lines()[0];
  EXPECT_NE(console->lines()[0].find("not saved"), std::string::npos) << console->lines()[0];
  EXPECT_TRUE(voteFiles(data() + "/votes").isEmpty());

  store.set(voteKey(std::string(1024, 'u'), 5), "option");
  EXPECT_EQ(store.string(voteKey(std::string(1024, 'u'), 5)), "option");
}

TEST_F(QSettingsStoreTest, WritesThatCannotBeSavedAreReportedOnceAndKeptForTheSession) {
  QFile blocker(data());
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QString unwritable = data() + "/orvane";  // below a plain file: no one can create it
  auto console = std::make_shared<testing::RecordingConsole>();

  QSettingsStore store(unwritable, console);
  store.set("orvane_widget_vote:app:user:item", "option-1");
  store.set("zephro_anonymous_user_id", "ID");
  EXPECT_EQ(store.string("orvane_widget_vote:app:user:item"), "option-1");
  EXPECT_EQ(store.storedOrCreated(
                "zephro_anonymous_user_id", [](const std::string& stored) { return !stored.empty(); },
                [] { return std::string("another"); }),
            "ID");
  EXPECT_EQ(store.storedOrCreated(
                "orvane_device_identifier", [](const std::string& stored) { return !stored.empty(); },
                [] { return std::string("DEVICE"); }),
            "DEVICE");
  EXPECT_EQ(store.string("orvane_device_identifier"), "DEVICE");

  ASSERT_EQ(console->lines().size(), 1u);
  EXPECT_NE(console->lines()[0].find("not saved"), std::string::npos) << console->lines()[0];
  EXPECT_EQ(QSettingsStore(unwritable).string("zephro_anonymous_user_id"), std::nullopt);
}

}  // namespace
}  // namespace orvane::quick
