#include <QtQml/qqmlextensionplugin.h>

// Written by Qt's type registrar for the two modules.
void qml_register_types_OrvaneStories();
void qml_register_types_OrvaneStories_Internal();

namespace {

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
};

}  // namespace

#include "orvane_stories_plugin.moc"
