#include <orvane/quick/platform/qsettings_store.h>

#include <gtest/gtest.h>

#include <QSettings>
#include <QSize>
#include <QTemporaryDir>
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
