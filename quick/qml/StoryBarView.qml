import QtQuick
import QtQuick.Templates as T
import OrvaneStories
import OrvaneStories.Internal

/**
 * A placement's stories as a horizontally scrolling row of bubbles. Tapping one presents the
 * story viewer over the whole window, starting at that group. Until the placement has groups
 * (and after a failed load) the bar takes no space and shows nothing.
 * With a keyboard, Tab gives the bar the focus, the arrows move between bubbles and Enter opens.
 *
 * @code
 * StoryBarView {
 *     Layout.fillWidth: true
 *     placementKey: "home"
 *     onErrorOccurred: (error, errorString) => {
 *         if (error === StoryBarView.NetworkError) retryTimer.start()
 *     }
 * }
 * @endcode
 */
Item {
    id: root

    /** The placement whose groups the bar shows, as set up on the content service. */
    property string placementKey
    /** Edges covered by system bars or a notch: the bubbles and the viewer keep inside them. */
    property safeAreaInsets safeAreaInsets
    /** Mirrors the bar and the viewer: the first bubble at the right. */
    property bool rightToLeft: StoryTexts.rightToLeft

    /** Like Image.status: Null without a placement key, then Loading, and Ready or Error. */
    enum Status { Null, Loading, Ready, Error }
    /**
     * Why the last load failed: NetworkError (no connection, timeout, TLS), AccessDeniedError
     * (the SDK key was refused), ServiceError (any other answer of the service), FormatError (an
     * answer of the wrong shape) or NotConfiguredError (loaded before the SDK was configured;
     * the bar loads again once StorySDK.configure is called).
     */
    enum Error { NoError, NetworkError, AccessDeniedError, ServiceError, FormatError, NotConfiguredError }
    /** One of the Status values. */
    readonly property int status: bar.status
    /** One of the Error values; NoError unless status is Error. */
    readonly property int error: bar.error
    /** Why the last load failed, in words for a log; empty unless status is Error. */
    readonly property string errorString: bar.errorString
    /** Each failed load, once status is Error. */
    signal errorOccurred(int error, string errorString)

    /** Fetches the placement's groups again, e.g. after an error. */
    function reload() {
        bar.reload()
    }

    implicitWidth: bar.groups.count > 0 ? 32 + bar.groups.count * 76 + (bar.groups.count - 1) * 12 : 0
    implicitHeight: bar.groups.count > 0 ? 110 : 0
    visible: bar.groups.count > 0
    LayoutMirroring.enabled: rightToLeft
    LayoutMirroring.childrenInherit: true

    /** Presents the viewer at a group, as a tap on its bubble does; ignored out of range. */
    function openGroup(index) {
        bar.selectGroup(index)
    }

    function bubbleName(group) {
        return qsTr("%1, story, %2").arg(group.title).arg(StoryTexts.language.pageCount(group.pageCount))
    }

    StoryBarModel {
        id: bar
        placementKey: root.placementKey
        onErrorOccurred: (error, errorString) => root.errorOccurred(error, errorString)
    }

    // A host that configures the SDK from QML may do so after the bar started loading.
    Connections {
        target: StorySDK
        function onSessionChanged() {
            // A load under way when the SDK was configured would answer that it was not.
            if (root.status !== StoryBarView.Ready)
                bar.reload()
        }
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
        // A reset model leaves no current bubble; the keyboard starts at the first.
        onCountChanged: if (currentIndex < 0 && count > 0) currentIndex = 0
        Keys.onReturnPressed: bar.selectGroup(currentIndex)
        Keys.onEnterPressed: bar.selectGroup(currentIndex)
        Keys.onSpacePressed: bar.selectGroup(currentIndex)

        delegate: Item {
            id: entry
            required property storyBubble group
            required property int index

            width: circle.width
            height: ListView.view.height
            Component.onCompleted: appearances.add(index)

            Accessible.role: Accessible.Button
            Accessible.name: root.bubbleName(group)
            Accessible.onPressAction: bar.selectGroup(entry.index)

            StoryCircleView {
                id: circle
                anchors.verticalCenter: parent.verticalCenter
                topPadding: 8
                bottomPadding: 8
                group: entry.group
                seen: bar.seenGroupIds.indexOf(entry.group.id) >= 0
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
