import QtQuick
import OrvaneStories

Window {
    id: window
    width: 420
    height: 900
    visible: true
    color: "#F4F4F6"
    title: "Orvane Demo"

    component Heading: Text {
        x: 16
        font.pixelSize: 20
        font.bold: true
        color: "#1C1C1E"
    }

    Column {
        id: content
        width: parent.width
        spacing: 10
        topPadding: 12

        Heading { text: "Stories" }

        StoryBarView {
            id: storyBar
            objectName: "storyBar"
            width: parent.width
            placementKey: "home"
        }

        Heading { text: "Today's picks" }

        // On a wide window the banners keep to a column a phone's width or so.
        BannerView {
            objectName: "carouselBanner"
            x: 16
            width: Math.min(parent.width - 32, 560)
            placementKey: "home_banner"
        }

        Heading { text: "Spring stories" }

        BannerView {
            objectName: "storyBanner"
            x: 16
            width: Math.min(parent.width - 32, 360)
            placementKey: "home_story_banner"
        }

        Text {
            x: 16
            text: "What the SDK reported"
            font.pixelSize: 14
            font.bold: true
            color: "#3A3A3C"
        }
    }

    // Pages are shared as orvanedemo://stories/<placement>/<group>/<page>; the demo logs the link
    // and copies it.
    Connections {
        target: StoryNavigation
        function onShareRequested(link, title) { eventLog.share(link, title) }
    }
    Component.onCompleted: StoryNavigation.shareEnabled = true

    // --open N: present group N once the bar has its groups.
    Timer {
        interval: 100
        repeat: true
        running: initialGroup >= 0
        onTriggered: if (storyBar.visible) { storyBar.openGroup(initialGroup); running = false }
    }

    ListView {
        anchors.top: content.bottom
        anchors.topMargin: 4
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: 16
        anchors.rightMargin: 16
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
