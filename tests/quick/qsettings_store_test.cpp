#include "quick/platform/qsettings_store.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QSize>
#include <QTemporaryDir>
#include <thread>

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

}  // namespace
}  // namespace orvane::quick
