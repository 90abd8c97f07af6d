import QtQuick
import QtQuick.Layouts
import OrvaneStories.Internal

// The top of a story viewer: a row kept for the progress bars (which the viewer draws above its
// cached page), then the group's title, a mute button on video pages, a share button when the
// host shares pages, and the close button.
ColumnLayout {
    id: root

    property string title
    property storyTheme theme
    // The height the progress bars take.
    property real progressHeight: 0
    property bool showsMute: false
    property bool muted: false
    property bool showsShare: false
    // Where the progress bars go, in this item's coordinates.
    readonly property rect progressRect: Qt.rect(slot.x, slot.y, slot.width, slot.height)

    signal muteToggled()
    signal shareRequested()
    signal closeRequested()

    spacing: 12

    Item {
        id: slot
        Layout.fillWidth: true
        implicitHeight: root.progressHeight
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: 8

        // Takes what the close button leaves, so the free space after a short title is
        // the row's flexible gap.
        Text {
            id: groupTitle
            objectName: "groupTitle"
            Layout.fillWidth: true
            text: root.title
            font: root.theme.font(17, Font.DemiBold)
            color: "white"
            maximumLineCount: 1
            elide: Text.ElideRight
        }
        Rectangle {
            id: muteButton
            objectName: "muteButton"
            function toggle() { root.muteToggled() }

            visible: root.showsMute
            implicitWidth: closeButton.implicitWidth
            implicitHeight: implicitWidth
            radius: width / 2
            color: Qt.rgba(1, 1, 1, mutePress.pressed ? 0.32 : 0.12)
            activeFocusOnTab: true
            Accessible.role: Accessible.Button
            Accessible.name: root.muted ? qsTr("Turn sound on") : qsTr("Mute")
            Accessible.onPressAction: toggle()
            Keys.onReturnPressed: toggle()
            Keys.onEnterPressed: toggle()
            Keys.onSpacePressed: toggle()

            StoryFocusRing {}
            StorySymbol {
                anchors.centerIn: parent
                name: root.muted ? "speaker.slash.fill" : "speaker.wave.2.fill"
                pointSize: 16
                color: "white"
            }
            MouseArea {
                id: mutePress
                anchors.centerIn: parent
                width: Math.max(44, parent.width)
                height: Math.max(44, parent.height)
                onClicked: muteButton.toggle()
            }
        }
        // The share and close buttons in a plain row: Qt 6.4's layouts miss a button that turns
        // visible while the viewer is being made, a row's width follows it.
        Row {
            Layout.minimumWidth: implicitWidth
            spacing: 8

            Rectangle {
                id: shareButton
                objectName: "shareButton"
                function share() { root.shareRequested() }

                visible: root.showsShare
                implicitWidth: closeButton.implicitWidth
                implicitHeight: implicitWidth
                radius: width / 2
                color: Qt.rgba(1, 1, 1, sharePress.pressed ? 0.32 : 0.12)
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Share")
                Accessible.onPressAction: share()
                Keys.onReturnPressed: share()
                Keys.onEnterPressed: share()
                Keys.onSpacePressed: share()

                StoryFocusRing {}
                StorySymbol {
                    anchors.centerIn: parent
                    name: "square.and.arrow.up"
                    pointSize: 16
                    color: "white"
                }
                MouseArea {
                    id: sharePress
                    objectName: "shareHitArea"
                    anchors.centerIn: parent
                    width: Math.max(44, parent.width)
                    height: Math.max(44, parent.height)
                    onClicked: shareButton.share()
                }
            }
            Rectangle {
                id: closeButton
                objectName: "closeButton"
                implicitWidth: closeSymbol.width + 20
                implicitHeight: implicitWidth
                radius: width / 2
                color: Qt.rgba(1, 1, 1, closePress.pressed ? 0.32 : 0.12)
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Close")
                Accessible.onPressAction: root.closeRequested()
                Keys.onReturnPressed: root.closeRequested()
                Keys.onEnterPressed: root.closeRequested()
                Keys.onSpacePressed: root.closeRequested()

                StoryFocusRing {}
                StorySymbol {
                    id: closeSymbol
                    anchors.centerIn: parent
                    name: "xmark"
                    pointSize: 14
                    weight: Font.DemiBold
                    color: "white"
                }
                // A finger's size, more than the button shows.
                MouseArea {
                    id: closePress
                    objectName: "closeHitArea"
                    anchors.centerIn: parent
                    width: Math.max(44, parent.width)
                    height: Math.max(44, parent.height)
                    onClicked: root.closeRequested()
                }
            }
        }
    }
}
