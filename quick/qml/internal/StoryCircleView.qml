import QtQuick
import QtQuick.Shapes
import OrvaneStories.Internal

// One bubble of the story bar: the group's cover cut to the theme's bubble shape, outlined with
// the theme's gradient, above the group's title on one line. `group` is an entry of
// StoryBarModel.groups.
Column {
    id: root

    property storyBubble group
    property real bubbleSize: 64
    // The user reached the group's last page: the ring is muted.
    property bool seen: false

    readonly property storyTheme theme: group.theme
    readonly property real cornerRadius: theme.bubbleStyle === "circle" ? bubbleSize * 0.5
                                         : theme.bubbleStyle === "rounded" ? 16 : 0
    // Grey of the window's text, faint: reads on light and dark bars alike.
    readonly property color mutedRing: Qt.rgba(palette.windowText.r, palette.windowText.g, palette.windowText.b, 0.28)

    // An SVG path of a rounded rectangle; a radius of 0 gives sharp corners.
    function roundedRectPath(x, y, w, h, r) {
        if (r <= 0)
            return `M ${x} ${y} H ${x + w} V ${y + h} H ${x} Z`
        return `M ${x + r} ${y} H ${x + w - r} A ${r} ${r} 0 0 1 ${x + w} ${y + r}`
             + ` V ${y + h - r} A ${r} ${r} 0 0 1 ${x + w - r} ${y + h}`
             + ` H ${x + r} A ${r} ${r} 0 0 1 ${x} ${y + h - r}`
             + ` V ${y + r} A ${r} ${r} 0 0 1 ${x + r} ${y} Z`
    }

    width: 76
    spacing: 8

    Item {
        id: bubble
        objectName: "bubble"
        anchors.horizontalCenter: parent.horizontalCenter
        width: root.bubbleSize
        height: root.bubbleSize

        StoryRemoteImage {
            id: cover
            objectName: "cover"
            anchors.fill: parent
            url: root.group.coverUrl
            fillMode: Image.PreserveAspectCrop
            radius: root.cornerRadius
            placeholder: Component {
                Item {
                    objectName: "coverPlaceholder"

                    Rectangle {
                        anchors.fill: parent
                        radius: root.cornerRadius
                        color: Qt.rgba(0.56, 0.56, 0.58, 0.25)
                    }
                    StorySymbol {
                        anchors.centerIn: parent
                        name: "photo"
                        color: Qt.rgba(1, 1, 1, 0.85)
                    }
                }
            }
        }

        // The outline is a ring filled with the gradient: a 3-point stroke centred on the edge.
        Shape {
            id: outline
            objectName: "outline"
            readonly property real lineWidth: 3
            readonly property real radius: root.cornerRadius
            readonly property color startColor: root.seen ? root.mutedRing : root.theme.primaryColor
            readonly property color endColor: root.seen ? root.mutedRing : root.theme.secondaryColor

            x: -lineWidth / 2
            y: -lineWidth / 2
            width: root.bubbleSize + lineWidth
            height: root.bubbleSize + lineWidth
            layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
            layer.samples: 4

            ShapePath {
                strokeColor: "transparent"
                strokeWidth: 0
                fillRule: ShapePath.OddEvenFill
                fillGradient: LinearGradient {
                    x1: 0
                    y1: 0
                    x2: outline.width
                    y2: outline.height
                    GradientStop { position: 0; color: outline.startColor }
                    GradientStop { position: 1; color: outline.endColor }
                }

                PathSvg {
                    path: {
                        const w = outline.lineWidth, size = root.bubbleSize, r = outline.radius
                        return root.roundedRectPath(0, 0, size + w, size + w, r > 0 ? r + w / 2 : 0)
                             + " " + root.roundedRectPath(w, w, size - w, size - w, Math.max(r - w / 2, 0))
                    }
                }
            }
        }
    }

    Text {
        objectName: "title"
        width: parent.width
        text: root.group.title
        font: root.theme.font(12, Font.Normal)
        color: root.palette.windowText
        horizontalAlignment: Text.AlignHCenter
        maximumLineCount: 1
        elide: Text.ElideRight
    }
}
