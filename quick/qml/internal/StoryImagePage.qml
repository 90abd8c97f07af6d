import QtQuick
import OrvaneStories.Internal

// A story page's picture, fitted whole onto the page. Black lies only where an opaque picture
// leaves the page uncovered, overlapping its edges by a pixel so no seam shows; all of the page
// otherwise. Black beneath the picture would cost a software renderer a page of pixels whenever
// it draws.
Item {
    id: root

    property url url
    // Shown until the picture has arrived, and instead of it when it cannot.
    property Component placeholder
    readonly property bool loading: image.status === StoryRemoteImage.Loading
    readonly property bool failed: image.status === StoryRemoteImage.Error

    readonly property rect picture: image.opaque ? image.paintedRect : Qt.rect(0, 0, 0, 0)
    readonly property real pictureTop: Math.ceil(picture.y) + 1
    readonly property real pictureBottom: Math.floor(picture.y + picture.height) - 1
    readonly property real pictureLeft: Math.ceil(picture.x) + 1
    readonly property real pictureRight: Math.floor(picture.x + picture.width) - 1
    readonly property bool letterboxed: pictureBottom > pictureTop && pictureRight > pictureLeft

    Rectangle {
        objectName: "blackAbove"
        width: parent.width
        height: root.letterboxed ? root.pictureTop : parent.height
        color: "black"
    }
    Rectangle {
        objectName: "blackBelow"
        visible: root.letterboxed
        y: root.pictureBottom
        width: parent.width
        height: parent.height - y
        color: "black"
    }
    Rectangle {
        objectName: "blackLeft"
        visible: root.letterboxed
        y: root.pictureTop
        width: root.pictureLeft
        height: root.pictureBottom - y
        color: "black"
    }
    Rectangle {
        objectName: "blackRight"
        visible: root.letterboxed
        x: root.pictureRight
        y: root.pictureTop
        width: parent.width - x
        height: root.pictureBottom - y
        color: "black"
    }
    StoryRemoteImage {
        id: image
        objectName: "pageImage"
        anchors.fill: parent
        url: root.url
        fillMode: Image.PreserveAspectFit
        placeholder: root.placeholder
    }
}
