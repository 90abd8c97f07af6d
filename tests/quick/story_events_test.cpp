#include <gtest/gtest.h>

#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include <orvane/api/story_services.h>
#include <orvane/core/story_sdk.h>
#include <orvane/quick/module/story_events.h>
#include <orvane/quick/platform/qt_platform.h>

namespace orvane::quick {
namespace {

// A QML object that counts what StoryEvents tells it, on the shared SDK.
class StoryEventsTest : public ::testing::Test {
 protected:
  // The shared SDK is built on the installed platform, once per process; its settings stay in a
  // directory of the test's.
  static void SetUpTestSuite() {
    static QTemporaryDir settings;
    if (!Platform::isInstalled()) {
      QtPlatformOptions options;
      options.dataDirectory = settings.path();
      installQtPlatform(options);
    }
  }

  void SetUp() override {
    QQmlComponent component(&engine);
    component.setData(R"(
import QtQml
import OrvaneStories
QtObject {
    property var kinds: []
    property Connections listener: Connections {
        target: StoryEvents
        function onOccurred(kind) { kinds = kinds.concat([kind]) }
    }
})",
                      QUrl());
    listener.reset(component.create());
    ASSERT_TRUE(listener) << component.errorString().toStdString();
  }
  void TearDown() override { StorySDK::shared().setEventHandler(nullptr); }

  static void report(const StorySDKEvent& event) { StorySDK::shared().services().events.report(event, "home"); }
  QVariantList heard() const { return listener->property("kinds").toList(); }

  QQmlEngine engine;
  std::unique_ptr<QObject> listener;
};

TEST_F(StoryEventsTest, AHandlerTheHostSetsLaterDoesNotSilenceQml) {
  int host = 0;
  StorySDK::shared().setEventHandler([&](const StorySDKEvent&) { ++host; });
  report(StorySDKEvent::storyOpen("g1"));
  EXPECT_EQ(host, 1);
  EXPECT_EQ(heard().size(), 1);
}

TEST_F(StoryEventsTest, EveryListenerHearsEveryEventAndQmlReadsItsKindAsAnEnum) {
  std::vector<std::string> calls;
  const auto first = StorySDK::shared().addEventListener([&](const StorySDKEvent&) { calls.push_back("first"); });
  const auto second = StorySDK::shared().addEventListener([&](const StorySDKEvent&) { calls.push_back("second"); });
  StorySDK::shared().setEventHandler([&](const StorySDKEvent&) { calls.push_back("handler"); });
  report(StorySDKEvent::storyOpen("g1"));
  report(StorySDKEvent::bannerClick("b1", std::nullopt, "home_banner", std::nullopt));
  StorySDK::shared().removeEventListener(first);
  StorySDK::shared().removeEventListener(second);

  EXPECT_EQ(calls, (std::vector<std::string>{"handler", "first", "second", "handler", "first", "second"}));
  EXPECT_EQ(heard(), (QVariantList{QVariant(static_cast<int>(StoryEvents::StoryOpen)),
                                   QVariant(static_cast<int>(StoryEvents::BannerClick))}));
}

}  // namespace
}  // namespace orvane::quick
