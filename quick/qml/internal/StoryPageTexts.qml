import QtQuick
import OrvaneStories.Internal

// A story page's title, body and call-to-action, as a viewer shows them beneath its widgets.
// When they need more than `room`, the title keeps at least a line (at most half when a body
// follows) and the body what is left, each cut short with an ellipsis.
Column {
    id: root

    // The page, as StoryViewerModel.currentItem gives it.
    property storyPage item
    property storyTheme theme
    property real room: 0
    readonly property real textsRoom: Math.max(0, room - (cta.visible ? cta.height : 0)
                                              - (textBlock.visible ? textBlock.bottomPadding : 0))
    readonly property bool ctaShown: cta.visible

    signal ctaActivated(url link)

    function activateCta() {
        cta.activate()
    }

    // Call-to-action colours by the theme's style; light primaries take dark text.
    function ctaColors(theme) {
        const luminance = theme.primaryLuminance
        const onClear = luminance > 0.28 ? theme.primaryColor : Qt.color("white")
        switch (theme.ctaStyle) {
        case "filled":
            return { text: luminance > 0.58 ? Qt.color("black") : Qt.color("white"),
                     background: theme.primaryColor, border: Qt.color("transparent"), borderWidth: 0 }
        case "outlined":
            return { text: onClear, background: Qt.color("transparent"), border: onClear, borderWidth: 1 }
        default:
            return { text: onClear, background: Qt.color("transparent"), border: Qt.color("transparent"),
                     borderWidth: 0 }
        }
    }

    Column {
        id: textBlock
        objectName: "textBlock"
        visible: root.item.exists && (root.item.title !== null || root.item.bodyText !== null)
        width: parent.width
        leftPadding: 4
        rightPadding: 4
        bottomPadding: 18
        spacing: 8

        Text {
            id: pageTitle
            objectName: "pageTitle"
            // Half the room when a body follows, but always a line.
            readonly property real room: root.textsRoom * (pageBody.text !== "" ? 0.5 : 1)

            visible: text !== ""
            width: parent.width - 8
            maximumLineCount: Math.max(1, Math.floor(room / titleMetrics.lineSpacing))
            text: root.item?.title ?? ""
            font: root.theme.font(22, Font.DemiBold)
            color: "white"
            wrapMode: Text.Wrap
            elide: Text.ElideRight

            FontMetrics {
                id: titleMetrics
                font: root.theme.font(22, Font.DemiBold)
            }
        }
        Text {
            id: pageBody
            objectName: "pageBody"
            readonly property real lineHeightInPoints: bodyMetrics.lineSpacing + 2
            readonly property int fittingLines: Math.floor(Math.max(0, root.textsRoom
                - (pageTitle.visible ? pageTitle.height + textBlock.spacing : 0)) / lineHeightInPoints)

            visible: text !== "" && fittingLines > 0
            width: parent.width - 8
            maximumLineCount: Math.max(1, fittingLines)
            text: root.item?.bodyText ?? ""
            font: root.theme.font(15, Font.Normal)
            color: Qt.rgba(1, 1, 1, 0.86)
            wrapMode: Text.Wrap
            elide: Text.ElideRight
            lineHeightMode: Text.FixedHeight
            lineHeight: lineHeightInPoints

            FontMetrics {
                id: bodyMetrics
                font: root.theme.font(15, Font.Normal)
            }
        }
    }

    // The label keeps to the capsule: a long one is cut short with an ellipsis.
    Rectangle {
        id: cta
        objectName: "ctaButton"
        readonly property var colors: root.ctaColors(root.theme)

        visible: root.item.exists && root.item.ctaTitle !== null && root.item.ctaUrl.toString() !== ""
        width: parent.width
        height: ctaLabel.implicitHeight + 28
        radius: height / 2
        color: colors.background
        border.color: colors.border
        border.width: colors.borderWidth
        opacity: ctaPress.pressed ? 0.7 : 1
        activeFocusOnTab: true
        Accessible.role: Accessible.Button
        Accessible.name: ctaLabel.text
        Accessible.onPressAction: activate()

        function activate() {
            root.ctaActivated(root.item.ctaUrl)
        }

        Keys.onReturnPressed: activate()
        Keys.onEnterPressed: activate()
        Keys.onSpacePressed: activate()

        StoryFocusRing {}
        Text {
            id: ctaLabel
            objectName: "ctaLabel"
            anchors.centerIn: parent
            width: Math.max(0, parent.width - parent.height)
            horizontalAlignment: Text.AlignHCenter
            text: root.item?.ctaTitle ?? ""
            font: root.theme.font(17, Font.DemiBold)
            color: cta.colors.text
            maximumLineCount: 1
            elide: Text.ElideRight
        }
        MouseArea {
            id: ctaPress
            anchors.fill: parent
            onClicked: cta.activate()
        }
    }
}
