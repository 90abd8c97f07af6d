import QtQuick
import OrvaneStories

// Loaded by Qt's qml tool from the installed prefix, with no C++ of the host's: the run-time
// plugin installs the Qt platform, and the views, enums and singletons work from QML alone.
Item {
    width: 400
    height: 300

    StoryBarView {
        id: bar
        width: parent.width
    }
    BannerView {
        id: banner
        y: bar.height
        width: parent.width
    }

    Component.onCompleted: {
        StorySDK.configure({ sdkKey: "consumer-key", appKey: "consumer-app" })
        const checks = {
            configured: StorySDK.configured && StorySDK.sessionId.length > 0,
            views: bar.status === StoryBarView.Null && banner.error === BannerView.NoError,
            events: StoryEvents.StoryOpen !== StoryEvents.BannerClick
        }
        const failed = Object.keys(checks).filter(name => !checks[name])
        console.log(failed.length === 0 ? "qml-tool: OrvaneStories loaded" : "qml-tool: failed " + failed)
        Qt.exit(failed.length === 0 ? 0 : 1)
    }
}
