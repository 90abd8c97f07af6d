import QtQuick
import OrvaneStories.Internal

// What a story page shows while it has no picture: black, tinted, with a picture symbol.
Rectangle {
    id: root

    property color tint
    // Where the symbol may go, in this item's coordinates: it keeps to the part of the page that
    // no text covers, and stays away when that part is too small for it.
    property rect openArea: Qt.rect(0, 0, width, height)
    property bool showsSymbol: true

    color: "black"

    Rectangle {
        anchors.fill: parent
        color: parent.tint
        opacity: 0.18
    }
    StorySymbol {
        objectName: "placeholderSymbol"
        x: root.openArea.x + (root.openArea.width - width) / 2
        y: root.openArea.y + (root.openArea.height - height) / 2
        visible: root.showsSymbol && root.openArea.width >= width && root.openArea.height >= height
        name: "photo"
        pointSize: 36
        color: Qt.rgba(1, 1, 1, 0.8)
    }
}
