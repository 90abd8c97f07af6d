import QtQuick
import Qt5Compat.GraphicalEffects
import OrvaneStories.Internal

// The story-style row of bars sharing the width: bars before the active one are full, the active
// one fills with activeProgress (clamped into 0...1), later ones are empty. Fills never animate.
Item {
    id: root

    property int count: 0
    property int activeIndex: 0
    property real activeProgress: 0
    // A blurred shadow of the row needs shader effects; without them each bar has a plain one a
    // point lower.
    property bool softShadow: GraphicsInfo.api !== GraphicsInfo.Software && GraphicsInfo.api !== GraphicsInfo.Unknown

    readonly property var fills: BannerIndicatorGeometry.barFills(count, activeIndex, activeProgress)
    readonly property real spacing: 4
    readonly property real barWidth: count > 0 ? Math.max(0, (width - spacing * (count - 1)) / count) : 0

    implicitHeight: 3

    // The soft shadow is cast by the bars' outline, which holds still while the fill moves, so
    // its blur is drawn once, not on every tick of the progress. Only the blur is drawn: an
    // effect that also draws its source would lay opaque bars under the translucent tracks.
    Row {
        id: outline
        visible: false
        spacing: root.spacing

        Repeater {
            model: root.softShadow ? root.count : 0

            Rectangle {
                width: root.barWidth
                height: root.height
                radius: height / 2
                color: "black"
            }
        }
    }
    Loader {
        anchors.fill: outline
        anchors.topMargin: 1
        anchors.bottomMargin: -1
        active: root.softShadow
        opacity: 0.18
        sourceComponent: FastBlur {
            objectName: "softShadow"
            source: outline
            cached: true
            radius: 3
            transparentBorder: true
        }
    }

    Row {
        id: bars
        objectName: "bars"
        spacing: root.spacing

        Repeater {
            model: root.count

            Item {
                id: bar
                objectName: "bar"
                required property int index
                readonly property real fill: root.fills[index] ?? 0
                width: root.barWidth
                height: root.height

                Rectangle {
                    objectName: "plainShadow"
                    visible: !root.softShadow
                    y: 1
                    width: parent.width
                    height: parent.height
                    radius: height / 2
                    color: Qt.rgba(0, 0, 0, 0.18)
                }
                Rectangle {
                    objectName: "track"
                    width: parent.width
                    height: parent.height
                    radius: height / 2
                    color: Qt.rgba(1, 1, 1, 0.34)
                }
                // From the leading edge, which mirroring moves.
                Rectangle {
                    objectName: "fill"
                    anchors.left: parent.left
                    width: parent.width * bar.fill
                    height: parent.height
                    radius: height / 2
                    color: Qt.rgba(1, 1, 1, 0.96)
                }
            }
        }
    }
}
