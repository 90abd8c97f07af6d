import QtQuick
import QtQuick.Layouts
import OrvaneStories

Window {
    property string grabTo
    readonly property bool shown: bar.status === StoryBarView.Ready && banner.status === BannerView.Ready
                                  && banner.implicitHeight > 0
    width: 400
    height: 420
    visible: true
    color: "white"

    ColumnLayout {
        anchors.fill: parent
        StoryBarView {
            id: bar
            Layout.fillWidth: true
            placementKey: "home"
        }
        BannerView {
            id: banner
            Layout.fillWidth: true
            Layout.margins: 16
            placementKey: "home_banner"
            onErrorOccurred: (error, errorString) => console.warn("banner:", errorString)
        }
        Text {
            Layout.fillWidth: true
            Layout.margins: 16
            visible: bar.status === StoryBarView.Error && bar.error !== StoryBarView.NotConfiguredError
            text: bar.error === StoryBarView.NetworkError ? qsTr("No connection")
                                                          : qsTr("No stories: %1").arg(bar.errorString)
            wrapMode: Text.Wrap
            maximumLineCount: 3
            elide: Text.ElideRight
        }
        Item { Layout.fillHeight: true }
    }

    Component.onCompleted: {
        // Configured here rather than in C++; a sign-in later calls StorySDK.updateSession({ userId }).
        StorySDK.configure({ sdkKey: "demo-sdk-key", appKey: "demo-app" })
        // The SDK's events, e.g. for the host's own analytics.
        StoryEvents.occurred.connect((kind, groupId, itemId, bannerId) => {
            if (kind === StoryEvents.StoryOpen || kind === StoryEvents.BannerClick)
                console.log("opened", groupId || bannerId)
        })
    }
    onShownChanged: if (shown && grabTo)
        contentItem.grabToImage(frame => Qt.exit(frame.saveToFile(grabTo) ? 0 : 1))
}
