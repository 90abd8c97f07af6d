import QtQuick
import OrvaneStories
import OrvaneStories.Internal

/**
 * The banners of one placement: the shown slide's image in a rounded frame with its position
 * indicator; a tap follows the slide's link, a horizontal swipe moves between slides and banners.
 * With a keyboard or remote, Tab reaches the banner, Return, Enter or Space follows the link and
 * the arrows step. Nothing is drawn (and the implicit height is 0) while there is nothing to show.
 *
 * @code
 * BannerView {
 *     Layout.fillWidth: true
 *     placementKey: "home_banner"
 *     onStatusChanged: if (status === BannerView.Ready) busy.visible = false
 * }
 * @endcode
 */
Item {
    id: root

    /** The placement whose banners are shown, as set up on the content service. */
    property alias placementKey: placementModel.placementKey
    /** Edges covered by system bars or a notch; the slide keeps inside them. */
    property safeAreaInsets safeAreaInsets
    /**
     * Right to left, the next slide lies to the left: swipes, arrow keys and indicators mirror.
     * As for the story bar and viewer, the application's direction or the locale's script says so.
     */
    property bool rightToLeft: StoryTexts.rightToLeft

    /** Like Image.status: Null before the first appearance, then Loading, and Ready or Error. */
    enum Status { Null, Loading, Ready, Error }
    /**
     * Why the last load failed; the same values as StoryBarView's Error (after a
     * NotConfiguredError the banner loads again once StorySDK.configure is called).
     */
    enum Error { NoError, NetworkError, AccessDeniedError, ServiceError, FormatError, NotConfiguredError }
    /** One of the Status values; a failed load shows nothing. */
    readonly property int status: placementModel.status
    /** One of the Error values; NoError unless status is Error. */
    readonly property int error: placementModel.error
    /** Why the last load failed, in words for a log; empty unless status is Error. */
    readonly property string errorString: placementModel.errorString
    /** Each failed load, once status is Error. */
    signal errorOccurred(int error, string errorString)

    /** Fetches the placement's banners again, e.g. after an error. */
    function reload() {
        placementModel.reload()
    }

    implicitHeight: placementModel.hasContent ? content.height + topInset + bottomInset : 0
    LayoutMirroring.enabled: rightToLeft
    LayoutMirroring.childrenInherit: true

    readonly property real topInset: Math.max(0, safeAreaInsets.top)
    readonly property real bottomInset: Math.max(0, safeAreaInsets.bottom)

    BannerPlacementModel {
        id: placementModel
        objectName: "placement"
        onErrorOccurred: (error, errorString) => root.errorOccurred(error, errorString)
    }

    // A host that configures the SDK from QML may do so after the banner started loading.
    Connections {
        target: StorySDK
        function onSessionChanged() {
            // A load under way when the SDK was configured would answer that it was not.
            if (root.status !== BannerView.Ready)
                placementModel.reload()
        }
    }

    // Every appearance reloads; a banner that is hidden, or under a full-screen story viewer, does
    // not rotate.
    QtObject {
        id: appearance
        readonly property bool shown: root.visible && !(WindowCovers.of(root.Window.window)?.covered ?? false)
        onShownChanged: shown ? placementModel.appear() : placementModel.disappear()
    }
    Component.onCompleted: if (appearance.shown) placementModel.appear()

    Item {
        id: content
        objectName: "content"
        visible: placementModel.hasContent
        // Drawn for nothing while a viewer hides the whole window.
        opacity: (WindowCovers.of(root.Window.window)?.hidden ?? false) ? 0 : 1
        x: Math.max(0, root.safeAreaInsets.left)
        width: Math.max(0, root.width - x - Math.max(0, root.safeAreaInsets.right))
        // The service picks the shape, not how much of the window it takes: never taller than the
        // window (the screen, before there is one).
        readonly property real tallest: root.Window.window ? root.Window.height : Screen.height
        height: Math.min(placementModel.hasFixedHeight ? placementModel.fixedHeight : width / placementModel.aspectRatio,
                         tallest)
        y: root.topInset + (root.height - root.topInset - root.bottomInset - height) / 2
        clip: true

        StoryRemoteImage {
            id: slide
            objectName: "slide"
            anchors.fill: parent
            radius: 8
            // Pressed, until the press turns into a drag.
            opacity: gestures.pressed && gestures.farthest < Qt.styleHints.startDragDistance ? 0.85 : 1
            url: placementModel.mediaUrl
            fillMode: placementModel.contentMode === BannerPlacementModel.Fit ? Image.PreserveAspectFit
                                                                          : Image.PreserveAspectCrop
            placeholder: Rectangle {
                radius: 8
                color: Qt.rgba(0.5, 0.5, 0.5, 0.14)
            }
            onLoaded: placementModel.imageLoaded()
            onFailed: placementModel.imageFailed()
        }

        BannerStoryProgressIndicator {
            objectName: "storyIndicator"
            visible: placementModel.indicator === BannerPlacementModel.Bars
            anchors {
                top: parent.top
                left: parent.left
                right: parent.right
                margins: 10
            }
            count: placementModel.visibleCount
            activeIndex: placementModel.activeItemIndex
            activeProgress: placementModel.activeItemProgress
        }

        BannerProgressIndicator {
            objectName: "dotsIndicator"
            visible: placementModel.indicator === BannerPlacementModel.Dots
            anchors {
                bottom: parent.bottom
                bottomMargin: 16
                horizontalCenter: parent.horizontalCenter
            }
            count: placementModel.visibleCount
            activeIndex: placementModel.activeItemIndex
        }

        // In the highlight colour, as the story bar's; inside the slide, since the frame clips,
        // with a white line within that keeps it seen on a picture of the same colour.
        StoryFocusRing {
            control: gestures
            gap: 0
            radius: slide.radius
            border.color: root.palette.highlight
            border.width: 3

            Rectangle {
                anchors.fill: parent
                anchors.margins: parent.border.width
                radius: parent.radius - anchors.margins
                color: "transparent"
                border.color: "white"
                border.width: 1
            }
        }

        // A press that moves less than the platform's drag distance is a tap; one that moves at
        // least 24 points is a drag, judged by its end translation. From the keyboard, Return,
        // Enter and Space tap and the arrow keys step.
        MouseArea {
            id: gestures
            objectName: "gestures"
            anchors.fill: parent
            activeFocusOnTab: true
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Banner, %1 of %2").arg(placementModel.activeItemIndex + 1).arg(placementModel.visibleCount)
            Accessible.onPressAction: placementModel.tap()
            Keys.onReturnPressed: placementModel.tap()
            Keys.onEnterPressed: placementModel.tap()
            Keys.onSpacePressed: placementModel.tap()
            Keys.onRightPressed: root.rightToLeft ? placementModel.showPrevious() : placementModel.showNext()
            Keys.onLeftPressed: root.rightToLeft ? placementModel.showNext() : placementModel.showPrevious()
            // The rounded corners do not take input.
            containmentMask: slide

            property point pressedAt
            property real farthest: 0

            onPressed: mouse => {
                pressedAt = Qt.point(mouse.x, mouse.y)
                farthest = 0
            }
            onPositionChanged: mouse => {
                farthest = Math.max(farthest, Math.hypot(mouse.x - pressedAt.x, mouse.y - pressedAt.y))
            }
            onReleased: mouse => {
                if (farthest >= 24)
                    placementModel.dragEnded((mouse.x - pressedAt.x) * (root.rightToLeft ? -1 : 1), mouse.y - pressedAt.y)
            }
            onClicked: {
                if (farthest < Qt.styleHints.startDragDistance)
                    placementModel.tap()
            }
        }
    }
}
