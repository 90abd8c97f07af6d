#include <orvane/quick/platform/application_activity.h>

#include <QtQml/qqmlextensionplugin.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <memory>

Q_IMPORT_QML_PLUGIN(OrvaneStoriesPlugin)

namespace orvane::quick {
namespace {

void announce(Qt::ApplicationState state) { emit qGuiApp->applicationStateChanged(state); }

TEST(ApplicationActivity, ReportsReturnsToTheForegroundOnly) {
  ApplicationActivity activity;  // the offscreen application is active from the start
  int becameActive = 0;
  QObject::connect(&activity, &ApplicationActivity::becameActiveAgain, [&] { ++becameActive; });
  announce(Qt::ApplicationActive);
  EXPECT_EQ(becameActive, 0);
  announce(Qt::ApplicationInactive);
  announce(Qt::ApplicationSuspended);
  announce(Qt::ApplicationActive);
  EXPECT_EQ(becameActive, 1);
  announce(Qt::ApplicationHidden);
  announce(Qt::ApplicationActive);
  EXPECT_EQ(becameActive, 2);

  // Started inactive, the first activation is no return.
  ActivationTracker tracker(Qt::ApplicationInactive);
  EXPECT_FALSE(tracker.becameActiveAgain(Qt::ApplicationActive));
  EXPECT_FALSE(tracker.becameActiveAgain(Qt::ApplicationActive));
  EXPECT_FALSE(tracker.becameActiveAgain(Qt::ApplicationInactive));
  EXPECT_TRUE(tracker.becameActiveAgain(Qt::ApplicationActive));
}

TEST(ApplicationActivity, IsAvailableToQmlFromTheOrvaneStoriesModule) {
  QQmlEngine engine;
  QQmlComponent component(&engine);
  component.setData("import OrvaneStories.Internal\nApplicationActivity {}\n", QUrl());
  std::unique_ptr<QObject> object(component.create());
  ASSERT_NE(object, nullptr) << component.errorString().toStdString();
  EXPECT_NE(qobject_cast<ApplicationActivity*>(object.get()), nullptr);
}

}  // namespace
}  // namespace orvane::quick
