#include <QtQml/qqmlextensionplugin.h>

#include <orvane/platform/platform.h>
#include <orvane/quick/platform/qt_platform.h>

// Written by Qt's type registrar for the two modules.
void qml_register_types_OrvaneStories();
void qml_register_types_OrvaneStories_Internal();

// The plugin of "OrvaneStories", linked statically into hosts and built as a run-time plugin for
// the tools. Both modules' types register through it: the public views are made of the internal
// module's, so a host importing one plugin gets both.
class OrvaneStoriesPlugin : public QQmlEngineExtensionPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QQmlEngineExtensionInterface_iid)

 public:
  explicit OrvaneStoriesPlugin(QObject* parent = nullptr) : QQmlEngineExtensionPlugin(parent) {
    // Referenced so that a static link keeps the registrations.
    volatile auto publicTypes = &qml_register_types_OrvaneStories;
    volatile auto internalTypes = &qml_register_types_OrvaneStories_Internal;
    Q_UNUSED(publicTypes);
    Q_UNUSED(internalTypes);
  }

  // A host written in QML alone, or a tool loading the module, installs no platform: without
  // Qt's, the SDK's answers would wait on a main queue that nothing runs. A host's own choice,
  // made in C++ before its QML loads, stays.
  void initializeEngine(QQmlEngine*, const char*) override {
    if (!orvane::Platform::isInstalled()) orvane::quick::installQtPlatform();
  }
};

#include "orvane_stories_plugin.moc"
