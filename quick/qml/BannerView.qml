import QtQuick
import OrvaneStories

// The banners of one placement: the shown slide's image in a rounded frame with its position
// indicator; a tap follows the slide's link, a horizontal swipe moves between slides and banners.
// With a keyboard or remote, Tab reaches the banner, Return, Enter or Space follows the link and
// the arrows step. Nothing is drawn (and the implicit height is 0) while there is nothing to show.
//
//   BannerView { width: parent.width; placementKey: "home_banner" }
Item {
    id: root

    property alias placementKey: placementModel.placementKey
    // The state behind the view, for hosts that want to follow it.
    readonly property alias placement: placementModel
    // Edges covered by system bars or a notch; the slide keeps inside them.
    property safeAreaInsets safeAreaInsets
    // Right to left, the next slide lies to the left: swipes, arrow keys and indicators mirror.
    // As for the story bar and viewer, the application's direction, the locale's script or the
    // SDK's language says so.
    property bool rightToLeft: StoryTexts.rightToLeft

    // Like Image.status: BannerView.Null (before the first appearance), Loading, Ready or Error;
    // errorString tells why.
    enum Status { Null, Loading, Ready, Error }
    readonly property int status: placementModel.status
    readonly property string errorString: placementModel.errorString
    // Fetches the placement's banners again, e.g. after an error.
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
