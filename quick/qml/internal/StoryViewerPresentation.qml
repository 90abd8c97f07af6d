import QtQuick
import QtQuick.Templates as T
import OrvaneStories
import OrvaneStories.Internal

// A story viewer opened by id or link, over the whole window it is placed in, with or without a
// bar there: it slides up, and once closed slides down and asks to be taken away (finished).
Item {
    id: root

    property storyGroupList groups
    property int startIndex: 0
    property int startPageIndex: 0
    property string placementKey
    property safeAreaInsets safeAreaInsets
    property bool rightToLeft: StoryTexts.rightToLeft

    signal finished()

    anchors.fill: parent

    T.Popup {
        id: presentation
        objectName: "viewerPresentation"
        parent: T.Overlay.overlay
        x: 0
        y: 0
        width: parent ? parent.width : 0
        height: parent ? parent.height : 0
        padding: 0
        modal: true
        dim: false
        focus: true
        // The viewer closes itself on Escape, reporting it.
        closePolicy: T.Popup.NoAutoClose
        onClosed: root.finished()
        onVisibleChanged: WindowCovers.setCovering(presentation, root.Window.window, visible)
        readonly property bool hidesWindow: opened && (contentItem.item?.standsStill ?? false)
        onHidesWindowChanged: WindowCovers.setHiding(presentation, root.Window.window, hidesWindow)

        enter: Transition {
            ParallelAnimation {
                NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 220 }
                NumberAnimation { property: "y"; from: presentation.height; to: 0; duration: 260; easing.type: Easing.OutCubic }
            }
        }
        exit: Transition {
            ParallelAnimation {
                NumberAnimation { property: "opacity"; to: 0; duration: 200 }
                NumberAnimation { property: "y"; to: presentation.height; duration: 220; easing.type: Easing.InCubic }
            }
        }

        contentItem: Loader {
            focus: true
            active: presentation.visible
            sourceComponent: StoryViewerView {
                focus: true
                groups: root.groups
                startIndex: root.startIndex
                startPageIndex: root.startPageIndex
                placementKey: root.placementKey
                safeAreaInsets: root.safeAreaInsets
                rightToLeft: root.rightToLeft
                onDismissRequested: presentation.close()
            }
        }
    }

    Component.onCompleted: presentation.open()
}
