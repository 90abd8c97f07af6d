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
        StoryBarView { id: bar; Layout.fillWidth: true; placementKey: "home" }
        BannerView { id: banner; Layout.fillWidth: true; Layout.margins: 16; placementKey: "home_banner" }
        Text {
            Layout.fillWidth: true
            Layout.margins: 16
            visible: bar.status === StoryBarView.Error
            text: qsTr("No stories: %1").arg(bar.errorString)
            wrapMode: Text.Wrap
            maximumLineCount: 3
        }
        Item { Layout.fillHeight: true }
    }
    // The SDK's events, e.g. for the host's own analytics.
    Component.onCompleted: StoryEvents.occurred.connect((kind, groupId, itemId, bannerId) => {
        console.log(kind, groupId || bannerId, itemId)
    })
    onShownChanged: if (shown && grabTo)
        contentItem.grabToImage(frame => Qt.exit(frame.saveToFile(grabTo) ? 0 : 1))
}
