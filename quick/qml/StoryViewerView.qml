import QtQuick
import QtQuick.Layouts
import OrvaneStories
import OrvaneStories.Internal

/**
 * A placement's stories full screen, one page at a time, on a stage of the stories' portrait
 * shape: the page's media fills the stage, the progress bars, the group's title and a close
 * button sit at its top, the page's texts and call-to-action at its bottom, and a poll, quiz or
 * swipe widget lies over everything. On a window wider than the stage the sides show the page's
 * media again, dimmed. Controls and texts keep inside `safeAreaInsets`.
 * A tap on the left or right side goes back or forward, holding either side pauses, dragging
 * down closes, dragging up on a swipe page swipes, dragging sideways changes group.
 * dismissRequested() asks the presenter to take the viewer away: after the last page, the close
 * button or the drag.
 * With a keyboard or remote: the arrows step pages (with Shift, groups; Page Up and Page Down
 * too), Space or K holds and releases the pause, Escape or Back closes, Enter follows the
 * call-to-action, Tab reaches the header's buttons, the poll and quiz options and the
 * call-to-action. StoryBarView presents one itself; a host presents its own with groups it has.
 *
 * The header offers a share button while the host shares pages (StoryNavigation.shareEnabled, or
 * a share handler and link scheme set on the SDK).
 *
 * @code
 * StoryViewerView {
 *     anchors.fill: parent
 *     groups: storyGroupsFromCpp
 *     startIndex: 2
 *     placementKey: "home"
 *     onDismissRequested: presentation.close()
 * }
 * @endcode
 */
FocusScope {
    id: root

    /** The groups to show; read once, when the viewer is created, as are the next two. */
    property storyGroupList groups
    /** The group shown first. */
    property int startIndex: 0
    /** The page of the start group to begin at, as for a story opened by a page's id. */
    property int startPageIndex: 0
    /** The placement the groups came from, which the viewer's events are filed under. */
    property string placementKey
    /** Window edges covered by system bars or a notch, as the host's platform reports them. */
    property safeAreaInsets safeAreaInsets
    /** Mirrors the layout (the back zone goes right, texts start at the right). */
    property bool rightToLeft: StoryTexts.rightToLeft
    /**
     * The sides beside the stage, and the poll and quiz cards, blur the media behind them where
     * the scene graph runs shader effects; elsewhere they are only dimmed.
     */
    property bool blurredBackdrop: drawnByGraphicsApi
    /**
     * Whether videos start without sound (the host's call; sound by default) until the user
     * chooses, whose choice then holds for every viewer of the process.
     */
    property bool startsMuted: false
    /** Whether videos play without sound now. */
    readonly property bool videosMuted: viewer.chosenMute ?? startsMuted

    /** Asks the presenter to take the viewer away. */
    signal dismissRequested()

    /** The page on screen: its texts, media and widget; `exists` is false while there is none. */
    readonly property storyPage item: viewer.currentItem
    readonly property storyTheme theme: viewer.theme
    readonly property bool hasMedia: item.exists && item.mediaUrl.toString() !== ""
    // Stories are made 9:16; a wider window shows them on a stage of that shape.
    readonly property real stageAspect: 9 / 16
    // A graphics API draws the window, running shader effects and drawing each frame whole; the
    // software scene graph does neither.
    readonly property bool drawnByGraphicsApi: GraphicsInfo.api !== GraphicsInfo.Software
                                               && GraphicsInfo.api !== GraphicsInfo.Unknown

    LayoutMirroring.enabled: rightToLeft
    LayoutMirroring.childrenInherit: true

    /** Ends a drag as a finger would (for tests and hosts' own gestures). */
    function finishDrag(translation, predictedTranslation) {
        input.finishDrag(translation, predictedTranslation)
    }

    function questionOf(item, fallback) {
        return item?.widgetQuestion ?? item?.title ?? fallback
    }

    StoryViewerInput {
        id: input
        viewerModel: viewer
        pauseState: pausing
        focusParts: [header, widget, pageTexts]
        texts: pageTexts
        mirrored: root.rightToLeft
    }

    StoryViewerModel {
        id: viewer
        objectName: "viewerModel"
        groups: root.groups
        startIndex: root.startIndex
        startItemIndex: root.startPageIndex
        placementKey: root.placementKey
        onShouldDismissChanged: if (shouldDismiss) root.dismissRequested()
        onCurrentGroupIndexChanged: groupChange.enter(currentGroupIndex)
    }

    // The page's progress stands still while the user holds it or its media is on its way.
    QtObject {
        id: pausing
        // The header and the page's texts step aside while the user holds the page.
        readonly property real chromeOpacity: chromeFade.opacity
        // True while a side zone is held down; drives only the pause indicator.
        property bool isPaused: false
        readonly property bool mediaLoading: media.item?.loading ?? false
        // The video stands still too while the user or the host holds the page.
        readonly property bool halted: isPaused || mediaLoading || viewer.isHeld

        function setPaused(paused) {
            isPaused = paused
        }
        function play() {
            viewer.mediaWaiting = mediaLoading
            viewer.start()
            if (isPaused)
                viewer.pause()
        }

        onIsPausedChanged: isPaused ? viewer.pause() : viewer.resume()
        // The model holds the progress while the media waits, and the spinner shows it.
        onMediaLoadingChanged: viewer.mediaWaiting = mediaLoading
    }

    focus: true
    Keys.onPressed: event => input.handleKey(event)
    Accessible.role: Accessible.Dialog
    Accessible.name: viewer.groupTitle
    // Tab is taken before a focused control's parents would see it.
    Shortcut {
        sequence: "Tab"
        enabled: root.activeFocus
        onActivated: input.moveFocus(true)
    }
    Shortcut {
        sequences: ["Shift+Tab", "Backtab"]
        enabled: root.activeFocus
        onActivated: input.moveFocus(false)
    }
    // Neither following a drag nor sliding to another group: all of the window is the viewer's.
    readonly property bool standsStill: dragFollow.y === 0 && groupShift.x === 0
    // A downward drag carries the viewer with the finger; let go short of closing, it springs back.
    // A new group slides in from the side it comes from.
    transform: [
        Translate {
            id: dragFollow
            objectName: "dragFollow"
            y: follower.offset

            Behavior on y {
                enabled: !follower.active
                SpringAnimation { spring: 4; damping: 0.35; epsilon: 0.5 }
            }
        },
        Translate {
            id: groupShift
            objectName: "groupShift"
        }
    ]

    QtObject {
        id: groupChange
        property int shownIndex: -1

        function enter(index) {
            if (shownIndex >= 0 && index !== shownIndex) {
                const forward = index > shownIndex
                groupSlide.from = (forward !== root.rightToLeft ? 1 : -1) * root.width * 0.25
                groupSlide.restart()
            }
            shownIndex = index
        }
    }
    NumberAnimation {
        id: groupSlide
        target: groupShift
        property: "x"
        to: 0
        duration: 240
        easing.type: Easing.OutCubic
    }

    Item {
        id: chromeFade
        opacity: pausing.isPaused ? 0 : 1

        Behavior on opacity {
            NumberAnimation { duration: 200; easing.type: Easing.InOutQuad }
        }
    }

    Component.onCompleted: {
        // The model may publish its starting group only later: that is no change to show.
        groupChange.shownIndex = Math.max(0, root.startIndex)
        pausing.play()
    }
    Component.onDestruction: viewer.pause()
    onVisibleChanged: visible ? pausing.play() : viewer.pause()

    Component {
        id: videoPage
        StoryVideoView {
            url: root.item?.mediaUrl ?? ""
            muted: root.videosMuted
            paused: pausing.halted
        }
    }

    Component {
        id: imagePage
        StoryImagePage {
            url: root.item?.mediaUrl ?? ""
            placeholder: mediaPlaceholder
        }
    }

    Component {
        id: mediaPlaceholder
        StoryMediaPlaceholder {
            objectName: "mediaPlaceholder"
            tint: root.theme.secondaryColor
            // The placeholder fills the stage, whose coordinates are the page's but for x.
            openArea: Qt.rect(0, signArea.y, signArea.width, signArea.height)
            // Only on a page without media: a picture on its way, or one that failed, has its own
            // sign in the same place (the spinner, the failure mark).
            showsSymbol: !root.hasMedia
        }
    }

    // A side of the page: a tap steps, holding it pauses until it is let go.
    component SideZone: Item {
        id: zone
        signal tapped()

        height: parent.height

        TapHandler {
            longPressThreshold: 0.25
            dragThreshold: 10
            onTapped: zone.tapped()
            onLongPressed: pausing.setPaused(true)
            onPressedChanged: if (!pressed) pausing.setPaused(false)
        }
    }

    // A renderer that draws every frame whole (a software OpenGL such as llvmpipe) would redraw
    // the page, its widget and its texts for each step of the progress: the page is drawn once
    // into a texture instead, again only when something on it changes, and the progress is drawn
    // over it. A page that keeps moving (a video, the swipe arrow, the loading spinner) would
    // redraw the texture on every frame, and the software scene graph redraws only what changed.
    Item {
        id: page
        objectName: "page"
        readonly property bool keepsMoving: root.item?.mediaType === "video" || root.item?.widgetType === "swipe"
                                            || pausing.mediaLoading

        anchors.fill: parent
        layer.enabled: root.drawnByGraphicsApi && !keepsMoving
        // Picked pixel for pixel, not filtered: the page is drawn at whole pixels but for the
        // moments it is zoomed or dragged, and filtering would cost a software renderer about a
        // quarter more on every frame.

        // Beneath the backdrop on a window wider than the stage; elsewhere each page paints its own
        // black, and every full-window fill is a frame's worth of pixels on a software renderer.
        Rectangle {
            anchors.fill: parent
            color: "black"
            visible: backdrop.visible
        }

        StoryStageBackdrop {
            id: backdrop
            objectName: "backdrop"
            anchors.fill: parent
            visible: stage.width < root.width - 1
            source: media
            blurred: root.blurredBackdrop
            sourceMoves: root.item?.mediaType === "video"
        }

        // Each page paints its own black: a window-wide fill beneath an opaque picture costs a
        // software renderer a window's worth of pixels on every frame.
        Item {
            id: stage
            objectName: "stage"
            width: Math.min(root.width, Math.round(root.height * root.stageAspect))
            height: root.height
            x: Math.round((root.width - width) / 2)
            clip: true

            Loader {
                id: media
                objectName: "media"
                anchors.fill: parent
                sourceComponent: {
                    if (!root.hasMedia)
                        return mediaPlaceholder
                    return root.item.mediaType === "video" ? videoPage : imagePage
                }
            }
            // White texts stay legible on bright media.
            Rectangle {
                objectName: "topScrim"
                width: parent.width
                height: safe.y + header.y + header.height + 48
                gradient: Gradient {
                    GradientStop { position: 0; color: Qt.rgba(0, 0, 0, 0.5) }
                    GradientStop { position: 1; color: "transparent" }
                }
            }
            // Behind the page's texts, however many lines they take: it fades in over the 64
            // points above them and is dark enough behind them that white reads at 4.5:1 on a
            // white picture.
            Rectangle {
                id: bottomScrim
                objectName: "bottomScrim"
                readonly property real textTop: pageTexts.height > 0 ? safe.y + pageTexts.y : stage.height
                readonly property real fade: 64
                width: parent.width
                y: Math.max(0, Math.min(textTop - fade, stage.height - 200))
                height: stage.height - y
                gradient: Gradient {
                    GradientStop { position: 0; color: "transparent" }
                    GradientStop {
                        position: Math.min(1, Math.max(0, (bottomScrim.textTop - bottomScrim.y) / Math.max(1, bottomScrim.height)))
                        color: Qt.rgba(0, 0, 0, 0.7)
                    }
                    GradientStop { position: 1; color: Qt.rgba(0, 0, 0, 0.72) }
                }
            }
        }

        // Between the header and the page's texts: the page's own signs go there, clear of both,
        // and stay away when it is too small for them.
        Item {
            id: signArea
            x: stage.x
            y: safe.y + header.y + header.height
            width: stage.width
            height: Math.max(0, safe.y + safe.textsTop - y)
        }
        // Quiet: the page plays on with its texts.
        StorySymbol {
            objectName: "mediaFailed"
            anchors.centerIn: signArea
            visible: (media.item?.failed ?? false) && signArea.height >= height
            name: "xmark.circle.fill"
            pointSize: 28
            color: Qt.rgba(1, 1, 1, 0.45)
        }
        StoryLoadingSpinner {
            objectName: "loadingSpinner"
            anchors.centerIn: signArea
            loading: pausing.mediaLoading && signArea.height >= height
        }

        // Back on the leading side, forward on the trailing one, the middle left to drags; measured
        // on the stage, the outer zones reaching on to the window's edges.
        Row {
            anchors.fill: parent

            SideZone {
                objectName: "previousZone"
                width: stage.x + stage.width * 0.35
                onTapped: viewer.goToPrevious()
            }
            Item {
                objectName: "middleZone"
                width: stage.width * 0.30
                height: parent.height
            }
            SideZone {
                objectName: "nextZone"
                width: root.width - stage.x - stage.width * 0.65
                onTapped: viewer.goToNext()
            }
        }

        // The stage less the safe-area insets: where controls and texts go. Placed by coordinates,
        // which mirroring leaves alone, since insets belong to physical edges.
        Item {
            id: safe
            objectName: "safeStage"
            readonly property real leftInset: Math.max(0, root.safeAreaInsets.left - stage.x)
            readonly property real rightInset: Math.max(0, root.safeAreaInsets.right - (root.width - stage.x - stage.width))

            x: stage.x + leftInset
            y: Math.max(0, root.safeAreaInsets.top)
            width: Math.max(0, stage.width - leftInset - rightInset)
            height: Math.max(0, root.height - y - Math.max(0, root.safeAreaInsets.bottom))

            // What the page's texts may take: all below the header on a plain page, less where a
            // widget needs room of its own. A poll or quiz card comes first: the texts take what
            // it leaves, down to a line of title and the call-to-action.
            readonly property real roomBelowHeader: height - (header.y + header.height + 12) - 32
            readonly property real textRoom: {
                switch (root.item?.widgetType) {
                case "poll":
                case "quiz": return Math.max(0, roomBelowHeader - 12 - (widget.item?.neededHeight ?? 0))
                case "swipe": return Math.max(0, roomBelowHeader - 150)
                default: return Math.max(0, roomBelowHeader)
                }
            }
            // A widget's content stays clear of the header and of the page's texts.
            readonly property real widgetTop: header.y + header.height + 12
            readonly property real textsTop: pageTexts.height > 0 ? pageTexts.y - 12 : height

            StoryPageTexts {
                id: pageTexts
                objectName: "pageTexts"
                opacity: pausing.chromeOpacity
                x: 12
                width: parent.width - 24
                y: parent.height - 32 - height
                item: root.item
                theme: root.theme
                room: safe.textRoom
                onCtaActivated: link => {
                    viewer.handleCtaTap()
                    viewer.openURL(link)
                }
            }

            Loader {
                id: widget
                objectName: "widget"
                anchors.fill: parent
                sourceComponent: {
                    switch (root.item?.widgetType) {
                    case "poll": return pollWidget
                    case "quiz": return quizWidget
                    case "swipe": return swipeWidget
                    default: return null
                    }
                }
            }

            // Progress, title and close button. Above the widgets, so the close button works on a
            // swipe page too.
            StoryViewerHeader {
                id: header
                objectName: "header"
                opacity: pausing.chromeOpacity
                x: 12
                y: 16
                width: parent.width - 24
                title: viewer.groupTitle
                theme: root.theme
                progressHeight: progress.implicitHeight
                showsMute: root.item?.mediaType === "video"
                muted: root.videosMuted
                onMuteToggled: viewer.chosenMute = !root.videosMuted
                showsShare: viewer.canShare
                onShareRequested: viewer.share()
                onCloseRequested: viewer.close()
            }
        }
    }

    // Read out as the page changes.
    StoryProgressView {
        id: progress
        objectName: "progress"
        Accessible.role: Accessible.StaticText
        Accessible.name: qsTr("Page %1 of %2").arg(viewer.currentItemIndex + 1).arg(viewer.itemCount)
        x: safe.x + header.x + header.progressRect.x
        y: safe.y + header.y + header.progressRect.y
        width: header.progressRect.width
        opacity: pausing.chromeOpacity
        segmentCount: viewer.itemCount
        activeIndex: viewer.currentItemIndex
        progress: viewer.progress
        theme: root.theme
    }

    Component {
        id: pollWidget
        PollWidgetView {
            question: root.questionOf(root.item, StoryTexts.language.shown(viewer.strings.pollTitle))
            rightToLeft: root.rightToLeft
            options: root.item?.widgetOptions ?? []
            votedOptionId: viewer.votedOptionId
            showResults: viewer.showResults
            isVotingInProgress: viewer.isVotingInProgress
            updatedVoteCounts: viewer.updatedVoteCounts
            theme: root.theme
            strings: viewer.strings
            topMargin: safe.widgetTop
            bottomMargin: Math.max(140, safe.height - safe.textsTop)
            backdrop: media
            blurredMaterial: root.blurredBackdrop
            onSelect: optionId => viewer.vote(optionId)
        }
    }

    Component {
        id: quizWidget
        QuizWidgetView {
            question: root.questionOf(root.item, StoryTexts.language.shown(viewer.strings.quizTitle))
            rightToLeft: root.rightToLeft
            options: root.item?.widgetOptions ?? []
            votedOptionId: viewer.votedOptionId
            showResults: viewer.showResults
            isVotingInProgress: viewer.isVotingInProgress
            updatedVoteCounts: viewer.updatedVoteCounts
            theme: root.theme
            strings: viewer.strings
            topMargin: safe.widgetTop
            bottomMargin: Math.max(140, safe.height - safe.textsTop)
            backdrop: media
            blurredMaterial: root.blurredBackdrop
            onSelect: optionId => viewer.vote(optionId)
        }
    }

    Component {
        id: swipeWidget
        SwipeWidgetView {
            swipeCallbackURL: root.item?.swipeCallbackUrl ?? ""
            theme: root.theme
            strings: viewer.strings
            bottomMargin: Math.max(120, safe.height - safe.textsTop + 12)
            paused: pausing.halted
            onSwipeUp: viewer.handleSwipeUp()
        }
    }

    StorySymbol {
        objectName: "pauseIndicator"
        // The page fills the viewer: the stage's place is the same here.
        x: stage.x + (stage.width - width) / 2
        y: stage.y + (stage.height - height) / 2
        name: "pause.fill"
        pointSize: 44
        color: Qt.rgba(1, 1, 1, 0.85)
        opacity: pausing.isPaused ? 1 : 0
        visible: opacity > 0

        Behavior on opacity {
            NumberAnimation { duration: 200; easing.type: Easing.InOutQuad }
        }
    }

    // Watches every drag over the whole viewer without taking it from the zones, buttons and
    // widgets beneath.
    Item {
        anchors.fill: parent

        PointHandler {
            id: follower
            // A drag that starts in a card which scrolls is the card's: it never closes the viewer.
            property bool leftToCard: false
            // Scene positions: the viewer itself moves under the finger.
            readonly property real offset: {
                if (!active || leftToCard)
                    return 0
                const dx = point.scenePosition.x - point.scenePressPosition.x
                const dy = point.scenePosition.y - point.scenePressPosition.y
                return dy > 0 && Math.abs(dx) < 80 ? dy : 0
            }
            onActiveChanged: {
                if (active) {
                    leftToCard = widget.item?.scrollsAt?.(point.scenePressPosition) ?? false
                    if (!leftToCard)
                        drag.press(point.scenePressPosition)
                } else if (!leftToCard) {
                    drag.release()
                }
            }
            onPointChanged: if (active && !leftToCard) drag.move(point.scenePosition, point.velocity)
        }
        StoryDragTracker {
            id: drag
            onEnded: (translation, predictedTranslation) => input.finishDrag(translation, predictedTranslation)
        }
    }
}
