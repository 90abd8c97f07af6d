#include <orvane/quick/platform/qsettings_store.h>

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
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
  QString file() const { return directory_.filePath("settings.ini"); }

 private:
  QTemporaryDir directory_;
};

TEST_F(QSettingsStoreTest, KeysWithSeparatorsStayDistinctAndSurviveANewStore) {
  const std::vector<std::string> keys = {
      "zephro_anonymous_user_id", "orvane_widget_vote:key:user:item", "a/b", "a//b", "/a/b/", "a\\b", "a%2Fb",
      "vote:app:user id/ü:item"};
  for (std::size_t i = 0; i < keys.size(); ++i)
    QSettingsStore(file()).set(keys[i], "value " + std::to_string(i));

  QSettingsStore reopened(file());
  for (std::size_t i = 0; i < keys.size(); ++i)
    EXPECT_EQ(reopened.string(keys[i]), "value " + std::to_string(i)) << keys[i];
  for (const char* absent : {"a", "missing", ""}) EXPECT_EQ(reopened.string(absent), std::nullopt) << absent;
}

TEST_F(QSettingsStoreTest, ValuesThatAreNoTextReadAbsent) {
  {
    QSettings settings(file(), QSettings::IniFormat);
    settings.setValue("list", QStringList{"a", "b"});
    settings.setValue("bytes", QByteArray("\x01\x02", 2));
    settings.setValue("size", QSize(3, 4));
  }
  QSettingsStore store(file());
  for (const char* key : {"list", "bytes", "size"}) EXPECT_EQ(store.string(key), std::nullopt) << key;
}

TEST_F(QSettingsStoreTest, ConcurrentWritersLoseNothing) {
  QSettingsStore store(file());
  auto write = [&](const std::string& prefix) {
    for (int i = 0; i < 10; ++i) store.set(prefix + std::to_string(i), std::to_string(i));
  };
  std::thread first(write, "first-"), second(write, "second-");
  first.join();
  second.join();

  QSettingsStore reopened(file());
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(reopened.string("first-" + std::to_string(i)), std::to_string(i));
    EXPECT_EQ(reopened.string("second-" + std::to_string(i)), std::to_string(i));
  }
}

TEST_F(QSettingsStoreTest, KeysOfEarlierVersionsMoveOutOfTheTopLevelAndTheHostsKeysStay) {
  {
    QSettings earlier(file(), QSettings::IniFormat);
    earlier.setValue("zephro_anonymous_user_id", "OLD-ID");
    earlier.setValue("orvane_device_identifier", "11111111-2222-4333-8444-555555555555");
    earlier.setValue(settingsKey("orvane_widget_vote:app:user/1:item"), "option-1");
    earlier.setValue("orvane_widget_vote:app:user:item-2", "option-2");
    earlier.setValue("host_theme", "dark");
    earlier.setValue("host/zephro_anonymous_user_id", "the host's own");
  }

  QSettingsStore(file()).set("orvane_widget_vote:app:user:item-3", "option-3");

  QSettingsStore store(file());
  EXPECT_EQ(store.string("zephro_anonymous_user_id"), "OLD-ID");
  EXPECT_EQ(store.string("orvane_device_identifier"), "11111111-2222-4333-8444-555555555555");
  EXPECT_EQ(store.string("orvane_widget_vote:app:user/1:item"), "option-1");
  EXPECT_EQ(store.string("orvane_widget_vote:app:user:item-2"), "option-2");
  EXPECT_EQ(store.string("orvane_widget_vote:app:user:item-3"), "option-3");

  QSettings after(file(), QSettings::IniFormat);
  EXPECT_EQ(after.childKeys(), QStringList{"host_theme"});
  EXPECT_EQ(after.value("host/zephro_anonymous_user_id"), "the host's own");
  after.beginGroup("OrvaneStories");
  EXPECT_EQ(after.childKeys(), (QStringList{"orvane_device_identifier", "zephro_anonymous_user_id"}));
}

std::string voteKey(const std::string& user, int item) {
  char number[8];
  std::snprintf(number, sizeof number, "%04d", item);
  return "orvane_widget_vote:app:" + user + ":item-" + number;
}

// Files in the votes directory, lock files left out.
QStringList voteFiles(const QString& settingsFile) {
  return QDir(settingsFile + ".orvane-votes").entryList(QDir::Files).filter(QRegularExpression("^[0-9a-f]+(\\.|$)"));
}

int readableVotes(const QSettingsStore& store, const std::string& user, int count) {
  int readable = 0;
  for (int item = 0; item < count; ++item) readable += store.string(voteKey(user, item)).has_value();
  return readable;
}

TEST_F(QSettingsStoreTest, VotesOfTheOldestVersionMoveInOneBatchKeepingTheMostRecentThousandPerUser) {
  {
    QSettings earlier(file(), QSettings::IniFormat);
    for (int item = 0; item < 1500; ++item) earlier.setValue(settingsKey(voteKey("user", item)), "option");
    for (int item = 0; item < 3; ++item) earlier.setValue(settingsKey(voteKey("other", item)), "other-option");
  }
  QSettingsStore store(file());
  EXPECT_EQ(readableVotes(store, "user", 1500), 1000);
  EXPECT_EQ(readableVotes(store, "other", 3), 3);
  // One file for each app and user, however many votes each has.
  EXPECT_EQ(voteFiles(file()).size(), 2) << voteFiles(file()).join(' ').toStdString();
  EXPECT_TRUE(QSettings(file(), QSettings::IniFormat).childKeys().isEmpty());

  // Voting on, the oldest go: still a thousand, the new ones among them.
  store.set(voteKey("user", 1500), "new");
  store.set(voteKey("user", 1501), "new");
  QSettingsStore reopened(file());
  EXPECT_EQ(readableVotes(reopened, "user", 1502), 1000);
  EXPECT_EQ(reopened.string(voteKey("user", 1501)), "new");
  EXPECT_EQ(voteFiles(file()).size(), 2);
}

TEST_F(QSettingsStoreTest, VoteFilesOfTheLastVersionAreReadAndMovedIntoOneFile) {
  const QString directory = file() + ".orvane-votes";
  ASSERT_TRUE(QDir().mkpath(directory));
  for (int item = 0; item < 5; ++item) {
    const std::string key = voteKey("user", item);
    QFile record(directory + '/' +
                 QCryptographicHash::hash(QByteArray::fromStdString(key), QCryptographicHash::Sha256).toHex());
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write(QByteArray::fromStdString(key) + "\noption-" + QByteArray::number(item));
  }
  QSettingsStore store(file());
  for (int item = 0; item < 5; ++item) EXPECT_EQ(store.string(voteKey("user", item)), "option-" + std::to_string(item));
  EXPECT_EQ(voteFiles(file()).size(), 1) << voteFiles(file()).join(' ').toStdString();
}

TEST_F(QSettingsStoreTest, VotesOfOneUserFromTwoStoresAtOnceAreAllKept) {
  auto vote = [&](int first) {
    QSettingsStore store(file());
    for (int item = first; item < first + 10; ++item) store.set(voteKey("user", item), "option");
  };
  std::thread one(vote, 0), two(vote, 10);
  one.join();
  two.join();
  EXPECT_EQ(readableVotes(QSettingsStore(file()), "user", 20), 20);
}

TEST_F(QSettingsStoreTest, VoteKeysNoRequestCouldCarryAreRefusedWithAClearError) {
  auto console = std::make_shared<testing::RecordingConsole>();
  QSettingsStore store(file(), console);
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
  EXPECT_TRUE(voteFiles(file()).isEmpty());

  store.set(voteKey(std::string(1024, 'u'), 5), "option");
  EXPECT_EQ(store.string(voteKey(std::string(1024, 'u'), 5)), "option");
}

TEST_F(QSettingsStoreTest, WritesThatCannotBeSavedAreReportedOnceAndKeptForTheSession) {
  QFile blocker(file());
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QString unwritable = file() + "/host.ini";  // below a plain file: no one can create it
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
