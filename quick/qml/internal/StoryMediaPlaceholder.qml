import QtQuick
import OrvaneStories

// What a story page shows while it has no picture: black, tinted, with a picture symbol.
Rectangle {
    property color tint

    color: "black"

    Rectangle {
        anchors.fill: parent
        color: parent.tint
        opacity: 0.18
    }
    StorySymbol {
        anchors.centerIn: parent
        name: "photo"
        pointSize: 36
        color: Qt.rgba(1, 1, 1, 0.8)
    }
}
