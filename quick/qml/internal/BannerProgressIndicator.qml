import QtQuick
import Qt5Compat.GraphicalEffects
import OrvaneStories.Internal

// The carousel's row of dots: the active dot is a short pill, on a translucent capsule.
Item {
    id: root

    property int count: 0
    property int activeIndex: 0
    // A blurred shadow needs shader effects; without them it is a plain capsule one point lower.
    property bool softShadow: GraphicsInfo.api !== GraphicsInfo.Software && GraphicsInfo.api !== GraphicsInfo.Unknown

    readonly property var dotWidths: BannerIndicatorGeometry.dotWidths(count, activeIndex)

    implicitWidth: capsule.width
    implicitHeight: capsule.height

    Rectangle {
        objectName: "plainShadow"
        visible: !root.softShadow
        x: capsule.x
        y: capsule.y + 1
        width: capsule.width
        height: capsule.height
        radius: height / 2
        color: Qt.rgba(0, 0, 0, 0.12)
    }

    Rectangle {
        id: capsule
        objectName: "capsule"
        width: dots.width + 2 * 7
        height: dots.height + 2 * 5
        radius: height / 2
        color: Qt.rgba(0, 0, 0, 0.22)
        layer.enabled: root.softShadow
        layer.effect: DropShadow {
            objectName: "softShadow"
            verticalOffset: 1
            radius: 3
            samples: 7
            color: Qt.rgba(0, 0, 0, 0.12)
            transparentBorder: true
        }

        Row {
            id: dots
            objectName: "dots"
            anchors.centerIn: parent
            spacing: 5

            Repeater {
                model: root.count

                Rectangle {
                    objectName: "dot"
                    required property int index
                    readonly property bool active: index === root.activeIndex
                    anchors.verticalCenter: parent.verticalCenter
                    width: root.dotWidths[index] ?? 0
                    height: BannerIndicatorGeometry.dotHeight
                    radius: height / 2
                    color: Qt.rgba(1, 1, 1, active ? 0.95 : 0.42)
                }
            }
        }
    }
}
