import QtQuick
import OrvaneStories.Internal

// The swipe-up layer of a story page: a bobbing arrow and a hint near the bottom, and an upward
// drag anywhere on the page that emits swipeUp(). The layer takes every tap on the page, so the
// page's previous and next zones beneath never see them.
Item {
    id: root

    // The page's link; what a swipe does with it is the viewer's business.
    property url swipeCallbackURL
    property storyTheme theme
    // The widget texts, as StoryViewerModel.strings.
    required property var strings
    // Room kept under the arrow and hint; a viewer raises it to clear the page's texts.
    property real bottomMargin: 120
    // The page is held: the arrow stays where it is.
    property bool paused: false

    signal swipeUp()

    // Ends of drags, in points with y growing downwards.
    function isSwipeUp(translation, predictedTranslation) {
        return (predictedTranslation.y < -100 || translation.y < -40) && Math.abs(translation.x) < 160
    }

    MouseArea {
        objectName: "tapShield"
        anchors.fill: parent
    }

    Column {
        objectName: "swipeContent"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        width: Math.max(0, parent.width - 32)
        bottomPadding: root.bottomMargin
        spacing: 12

        Item {
            id: arrow
            objectName: "arrow"
            Accessible.role: Accessible.Button
            Accessible.name: hint.text !== "" ? hint.text : qsTr("Swipe up")
            Accessible.onPressAction: root.swipeUp()
            anchors.horizontalCenter: parent.horizontalCenter
            width: 64
            height: 64
            opacity: 0.7
            transform: Translate { id: bounce; y: 0 }

            Rectangle {
                anchors.fill: parent
                radius: width / 2
                color: Qt.rgba(1, 1, 1, 0.12)
            }
            StorySymbol {
                anchors.centerIn: parent
                anchors.verticalCenterOffset: -2
                name: "chevron.up"
                pointSize: 24
                weight: Font.Bold
                color: "white"
            }

            // Up 8 and fully opaque, then back, 0.9 s each way, for as long as it is shown and
            // the page plays.
            SequentialAnimation {
                objectName: "bob"
                running: root.visible && !root.paused
                loops: Animation.Infinite

                ParallelAnimation {
                    NumberAnimation { target: bounce; property: "y"; to: -8; duration: 900; easing.type: Easing.InOutQuad }
                    NumberAnimation { target: arrow; property: "opacity"; to: 1.0; duration: 900; easing.type: Easing.InOutQuad }
                }
                ParallelAnimation {
                    NumberAnimation { target: bounce; property: "y"; to: 0; duration: 900; easing.type: Easing.InOutQuad }
                    NumberAnimation { target: arrow; property: "opacity"; to: 0.7; duration: 900; easing.type: Easing.InOutQuad }
                }
            }
        }

        Text {
            id: hint
            objectName: "hint"
            width: parent.width
            visible: text !== ""
            text: StoryTexts.language.shown(root.strings.swipeUpHint ?? "")
            font: root.theme.font(15, Font.DemiBold)
            color: Qt.rgba(1, 1, 1, 0.8)
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
        }
    }

    // Above the shield, so it sees the drags the shield takes.
    Item {
        anchors.fill: parent

        PointHandler {
            onActiveChanged: active ? drag.press(point.pressPosition) : drag.release()
            onPointChanged: if (active) drag.move(point.position, point.velocity)
        }
        StoryDragTracker {
            id: drag
            onEnded: (translation, predictedTranslation) => {
                if (root.isSwipeUp(translation, predictedTranslation))
                    root.swipeUp()
            }
        }
    }
}
