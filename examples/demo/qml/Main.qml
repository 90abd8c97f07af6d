import QtQuick
import OrvaneStories

Window {
    id: window
    width: 420
    height: 860
    visible: true
    color: "#F4F4F6"
    title: "Orvane Demo"

    Column {
        id: content
        width: parent.width
        spacing: 12

        Text {
            text: "Stories"
            font.pixelSize: 22
            font.bold: true
            x: 16
            topPadding: 16
        }

        StoryBarView {
            id: storyBar
            width: parent.width
            placementKey: "home"
        }

        Text {
            text: "Banners"
            font.pixelSize: 22
            font.bold: true
            x: 16
        }

        BannerView {
            x: 16
            width: parent.width - 32
            placementKey: "home_banner"
        }

        Text {
            text: "What the SDK reported"
            font.pixelSize: 15
            font.bold: true
            x: 16
        }
    }

    // --open N: present group N once the bar has its groups.
    Timer {
        interval: 100
        repeat: true
        running: initialGroup >= 0
        onTriggered: if (storyBar.visible) { storyBar.openGroup(initialGroup); running = false }
    }

    ListView {
        anchors.top: content.bottom
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 16
        clip: true
        model: eventLog.lines
        delegate: Text {
            width: ListView.view.width
            text: modelData
            font.family: "monospace"
            font.pixelSize: 11
            color: "#333"
            elide: Text.ElideRight
        }
    }
}
