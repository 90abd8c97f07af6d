#include "quick/platform/qt_platform.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontDatabase>
#include <QSettings>
#include <QTemporaryDir>

#include "platform/system_platform.h"
#include "quick/platform/qsettings_store.h"
#include "quick/platform/qt_bundle_info.h"
#include "quick/platform/qt_device_info.h"
#include "quick/platform/qt_font_catalog.h"
#include "quick/platform/qt_locale_info.h"
#include "quick/platform/qt_main_queue.h"
#include "support/fake_platform.h"

namespace orvane::quick {
namespace {

// Sets the application's identity for one test and puts the previous one back.
class ApplicationIdentity {
 public:
  ApplicationIdentity(const char* domain, const char* name, const char* version)
      : domain_(QCoreApplication::organizationDomain()),
        name_(QCoreApplication::applicationName()),
        version_(QCoreApplication::applicationVersion()) {
    QCoreApplication::setOrganizationDomain(domain);
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(version);
  }
  ~ApplicationIdentity() {
    QCoreApplication::setOrganizationDomain(domain_);
    QCoreApplication::setApplicationName(name_);
    QCoreApplication::setApplicationVersion(version_);
  }

 private:
  QString domain_, name_, version_;
};

TEST(QtBundleInfo, IdentifierIsTheReversedDomainWithTheApplicationName) {
  ApplicationIdentity identity("stories.example.com", "Story Demo", "2.4.0");
  QtBundleInfo bundle;
  EXPECT_EQ(bundle.bundleIdentifier(), "com.example.stories.Story-Demo");
  EXPECT_EQ(bundle.shortVersionString(), "2.4.0");
  EXPECT_EQ(QtBundleInfo("io.orvane.host").bundleIdentifier(), "io.orvane.host");

  EXPECT_EQ(reverseDomainIdentifier(".example..com.", "App"), "com.example.App");
  EXPECT_EQ(reverseDomainIdentifier("example.com", ""), "com.example");
  EXPECT_EQ(reverseDomainIdentifier("", "App"), std::nullopt);
  EXPECT_EQ(reverseDomainIdentifier("...", "App"), std::nullopt);
}

TEST(QtBundleInfo, NoDomainOrVersionReadsAbsent) {
  ApplicationIdentity identity("", "Demo", "");
  QtBundleInfo bundle;
  EXPECT_EQ(bundle.bundleIdentifier(), std::nullopt);
  EXPECT_EQ(bundle.shortVersionString(), std::nullopt);
}

TEST(QtDeviceInfo, IdentifierIsCreatedOnceAndPersisted) {
  auto store = std::make_shared<MemoryStore>();
  auto uuids = std::make_shared<orvane::testing::SequentialUuidSource>();
  auto first = QtDeviceInfo(store, uuids).identifierForVendor();
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, "00000000-0000-4000-8000-000000000001");
  EXPECT_EQ(QtDeviceInfo(store, uuids).identifierForVendor(), first);
  EXPECT_EQ(store->string("orvane_device_identifier"), first);
}

TEST(QtDeviceInfo, StoredTextIsUpperCasedAndGarbageReplaced) {
  auto store = std::make_shared<MemoryStore>();
  auto uuids = std::make_shared<orvane::testing::SequentialUuidSource>();
  store->set("orvane_device_identifier", "abcdef01-2345-4678-89ab-cdef01234567");
  EXPECT_EQ(QtDeviceInfo(store, uuids).identifierForVendor(), "ABCDEF01-2345-4678-89AB-CDEF01234567");

  store->set("orvane_device_identifier", "not-a-uuid");
  EXPECT_EQ(QtDeviceInfo(store, uuids).identifierForVendor(), "00000000-0000-4000-8000-000000000001");
  EXPECT_EQ(store->string("orvane_device_identifier"), "00000000-0000-4000-8000-000000000001");
}

TEST(QtLocaleInfo, IdentifierAndRegionComeFromTheLocale) {
  EXPECT_EQ(QtLocaleInfo(QLocale("de_AT")).identifier(), "de_AT");
  EXPECT_EQ(QtLocaleInfo(QLocale("de_AT")).regionCode(), "AT");
  EXPECT_EQ(QtLocaleInfo(QLocale("es_419")).regionCode(), "419");
  EXPECT_EQ(QtLocaleInfo(QLocale::c()).identifier(), "en_US_POSIX");
  EXPECT_EQ(QtLocaleInfo(QLocale::c()).regionCode(), "US");
}

TEST(QtFontCatalog, KnowsInstalledFamiliesOnly) {
  QtFontCatalog fonts;
  EXPECT_FALSE(fonts.hasFont("No Such Family 7f3a", 14));
  auto families = QFontDatabase::families();
  if (families.isEmpty()) GTEST_SKIP() << "no fonts installed";
  auto family = families.first().toStdString();
  EXPECT_TRUE(fonts.hasFont(family, 14));
  EXPECT_FALSE(fonts.hasFont(family, -1));
}

TEST(QtPlatform, KeepsTheSdkKeysAndTheDeviceIdInTheChosenSettingsFile) {
  QTemporaryDir directory;
  QtPlatformOptions options;
  options.settingsFile = directory.filePath("orvane.ini");
  options.bundleIdentifier = "io.orvane.host";
  auto platform = makeQtPlatform(options);

  EXPECT_NE(dynamic_cast<QtMainQueue*>(platform.mainQueue.get()), nullptr);
  EXPECT_EQ(platform.http, nullptr);  // the core's default transport applies on install
  EXPECT_EQ(platform.bundle->bundleIdentifier(), "io.orvane.host");
  platform.store->set("zephro_anonymous_user_id", "A");
  auto device = platform.device->identifierForVendor();
  ASSERT_TRUE(device);

  QSettingsStore reopened(options.settingsFile);
  EXPECT_EQ(reopened.string("zephro_anonymous_user_id"), "A");
  EXPECT_EQ(reopened.string("orvane_device_identifier"), device);
}

}  // namespace
}  // namespace orvane::quick
