import QtQuick
import QtQuick.Templates as T
import OrvaneStories

// A placement's stories as a horizontally scrolling row of bubbles. Tapping one presents the
// story viewer over the whole window, starting at that group. Until the placement has groups
// (and after a failed load) the bar takes no space and shows nothing.
// With a keyboard, Tab gives the bar the focus, the arrows move between bubbles and Enter opens.
//
//   StoryBarView { width: parent.width; placementKey: "home" }
Item {
    id: root

    property string placementKey
    // Edges covered by system bars or a notch: the bubbles and the viewer keep inside them.
    property safeAreaInsets safeAreaInsets
    // Mirrors the bar and the viewer: the first bubble at the right. By default when the
    // application, its locale or the SDK's language (loadStoryTranslations) reads right to left.
    property bool rightToLeft: StoryTexts.rightToLeft

    // Like Image.status: StoryBarView.Null, Loading, Ready or Error; errorString tells why.
    enum Status { Null, Loading, Ready, Error }
    readonly property int status: bar.status
    readonly property string errorString: bar.errorString
    // Fetches the placement's groups again, e.g. after an error.
    function reload() {
        bar.reload()
    }

    implicitWidth: bar.groups.length > 0 ? 32 + bar.groups.length * 76 + (bar.groups.length - 1) * 12 : 0
    implicitHeight: bar.groups.length > 0 ? 110 : 0
    visible: bar.groups.length > 0
    LayoutMirroring.enabled: rightToLeft
    LayoutMirroring.childrenInherit: true

    // Presents the viewer at a group, as a tap on its bubble does; ignored out of range.
    function openGroup(index) {
        bar.selectGroup(index)
    }

    function bubbleName(group) {
        return qsTr("%1, story, %2").arg(group.title).arg(StoryTexts.language.pageCount(group.pageCount))
    }

    StoryBarModel {
        id: bar
        placementKey: root.placementKey
    }

    // Bubbles created together complete in no useful order; they report in the bar's order, so
    // the first groups to appear (and be prefetched) are the first ones shown.
    QtObject {
        id: appearances
        property var pending: []

        function add(index) {
            pending.push(index)
            Qt.callLater(report)
        }
        function report() {
            const indices = pending.sort((a, b) => a - b)
            pending = []
            for (const index of indices)
                bar.groupDidAppear(index)
        }
    }

    ListView {
        id: bubbles
        objectName: "bubbles"
        anchors.fill: parent
        // Drawn for nothing while a viewer hides the whole window.
        opacity: (WindowCovers.of(root.Window.window)?.hidden ?? false) ? 0 : 1
        orientation: ListView.Horizontal
        spacing: 12
        leftMargin: 16 + Math.max(0, root.safeAreaInsets.left)
        rightMargin: 16 + Math.max(0, root.safeAreaInsets.right)
        // Bubbles exist only while in view, so each coming into view reports it.
        cacheBuffer: 0
        clip: true
        boundsBehavior: Flickable.DragOverBounds
        model: bar.groups
        activeFocusOnTab: true
        keyNavigationEnabled: true
        highlightFollowsCurrentItem: false
        Keys.onReturnPressed: bar.selectGroup(currentIndex)
        Keys.onEnterPressed: bar.selectGroup(currentIndex)
        Keys.onSpacePressed: bar.selectGroup(currentIndex)

        delegate: Item {
            id: entry
            required property var modelData
            required property int index

            width: circle.width
            height: ListView.view.height
            Component.onCompleted: appearances.add(index)

            Accessible.role: Accessible.Button
            Accessible.name: root.bubbleName(modelData)
            Accessible.onPressAction: bar.selectGroup(entry.index)

            StoryCircleView {
                id: circle
                anchors.verticalCenter: parent.verticalCenter
                topPadding: 8
                bottomPadding: 8
                group: entry.modelData
                seen: bar.seenGroupIds.indexOf(entry.modelData.id) >= 0
                bubbleSize: 64
                scale: press.pressed ? 0.94 : 1
            }
            Rectangle {
                objectName: "focusRing"
                anchors.fill: parent
                anchors.margins: -2
                radius: 12
                color: "transparent"
                border.color: root.palette.highlight
                border.width: 2
                visible: entry.ListView.isCurrentItem && entry.ListView.view.activeFocus
            }
            MouseArea {
                id: press
                anchors.fill: parent
                onClicked: {
                    presentation.origin = circle.mapToItem(null, 0, 0, circle.width, circle.width)
                    bar.selectGroup(entry.index)
                }
            }
        }
    }

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
        closePolicy: bar.selectedGroupIndex >= 0 ? T.Popup.NoAutoClose : T.Popup.CloseOnEscape
        onClosed: {
            bar.isViewerPresented = false
            origin = null
        }
        // What lies beneath stops moving for as long as the viewer covers it, and stops drawing
        // while the open viewer stands still over all of it.
        onVisibleChanged: WindowCovers.setCovering(presentation, root.Window.window, visible)
        readonly property bool hidesWindow: opened && (contentItem.item?.standsStill ?? false)
        onHidesWindowChanged: WindowCovers.setHiding(presentation, root.Window.window, hidesWindow)

        // The tapped bubble, in window coordinates: the viewer grows out of it and shrinks back
        // into it; opened without one, it slides up and down.
        property var origin: null
        readonly property real originScale: origin && width > 0 ? origin.width / width : 1
        transformOrigin: T.Popup.TopLeft
        enter: Transition {
            ParallelAnimation {
                NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 220 }
                NumberAnimation { property: "scale"; from: presentation.originScale; to: 1; duration: 260; easing.type: Easing.OutCubic }
                NumberAnimation { property: "x"; from: presentation.origin ? presentation.origin.x : 0; to: 0; duration: 260; easing.type: Easing.OutCubic }
                NumberAnimation { property: "y"; from: presentation.origin ? presentation.origin.y : presentation.height; to: 0; duration: 260; easing.type: Easing.OutCubic }
            }
        }
        exit: Transition {
            ParallelAnimation {
                NumberAnimation { property: "opacity"; to: 0; duration: 200 }
                NumberAnimation { property: "scale"; to: presentation.originScale; duration: 220; easing.type: Easing.InCubic }
                NumberAnimation { property: "x"; to: presentation.origin ? presentation.origin.x : 0; duration: 220; easing.type: Easing.InCubic }
                NumberAnimation { property: "y"; to: presentation.origin ? presentation.origin.y : presentation.height; duration: 220; easing.type: Easing.InCubic }
            }
        }

        contentItem: Loader {
            focus: true
            active: presentation.visible
            sourceComponent: bar.selectedGroupIndex >= 0 ? viewerPage : blackPage
        }
    }

    Connections {
        target: bar
        function onIsViewerPresentedChanged() {
            if (bar.isViewerPresented)
                presentation.open()
            else
                presentation.close()
        }
    }

    Component {
        id: viewerPage
        StoryViewerView {
            focus: true
            groups: bar.storyGroups
            startIndex: bar.selectedGroupIndex
            placementKey: bar.placementKey
            safeAreaInsets: root.safeAreaInsets
            rightToLeft: root.rightToLeft
            onDismissRequested: presentation.close()
        }
    }

    Component {
        id: blackPage
        Rectangle { color: "black" }
    }
}
