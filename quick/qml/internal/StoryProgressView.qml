import QtQuick
import OrvaneStories.Internal

// The thin bars at the top of the story viewer: one segment per page of the group, the pages
// seen full, the page on screen filling, the pages to come empty. The "bar" style draws a single
// bar across the width while the group has fewer than two pages; "none" draws nothing and takes
// no height.
Item {
    id: root

    property int segmentCount: 0
    property int activeIndex: 0
    property real progress: 0
    property storyTheme theme

    readonly property bool segmented: theme.progressStyle === "segmented"
                                      || (theme.progressStyle === "bar" && segmentCount >= 2)

    function clamp(x) { return x > 1 ? 1 : (x > 0 ? x : 0) }
    function segmentFill(index) {
        return index < activeIndex ? 1 : (index === activeIndex ? clamp(progress) : 0)
    }

    visible: theme.progressStyle !== "none"
    // Mirrored, the pages run from the right and each bar fills from its right end.
    LayoutMirroring.childrenInherit: true
    implicitHeight: visible ? 3 : 0

    component Bar: Item {
        property real fill: 0

        height: 3

        Rectangle {
            anchors.fill: parent
            radius: height / 2
            color: root.theme.secondaryColor
            opacity: 0.28
        }
        // Whole device pixels: the 20 Hz progress redraws the window only when the bar moves.
        Rectangle {
            objectName: "fill"
            anchors.left: parent.left
            width: Math.round(parent.width * parent.fill * Screen.devicePixelRatio) / Screen.devicePixelRatio
            height: parent.height
            radius: height / 2
            color: root.theme.primaryColor
        }
    }

    Row {
        objectName: "segments"
        visible: root.segmented
        width: parent.width
        spacing: 4

        Repeater {
            model: root.segmented ? Math.max(root.segmentCount, 0) : 0

            Bar {
                required property int index
                width: (root.width - 4 * (root.segmentCount - 1)) / root.segmentCount
                fill: root.segmentFill(index)
            }
        }
    }

    Bar {
        objectName: "singleBar"
        visible: !root.segmented
        width: parent.width
        // Held still while hidden: a hidden item that changes size still costs a frame.
        fill: !visible || root.segmentCount < 1 ? 0
                                                : root.clamp((root.clamp(root.progress) + root.activeIndex) / root.segmentCount)
    }
}
