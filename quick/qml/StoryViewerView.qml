import QtQuick
import OrvaneStories

// A placement's stories full screen, one page at a time: the page's media fills the view, the
// progress bars, the group's title and a close button sit at the top, the page's texts and
// call-to-action at the bottom, and a poll, quiz or swipe widget lies over everything.
// A tap on the left or right side goes back or forward, holding either side pauses, dragging
// down closes, dragging up on a swipe page swipes. dismissRequested() asks the presenter to take
// the viewer away: after the last page, the close button or the drag.
//
//   StoryViewerView {
//       anchors.fill: parent
//       groups: bar.storyGroups; startIndex: 2; placementKey: "home"
//       onDismissRequested: presentation.close()
//   }
Item {
    id: root

    // Read once, when the viewer is created.
    property storyGroupList groups
    property int startIndex: 0
    property string placementKey

    signal dismissRequested()

    readonly property var item: viewer.currentItem
    readonly property storyTheme theme: viewer.theme

    // Ends of drags, in points with y growing downwards; the flick of the finger carries the
    // predicted translation beyond the actual one.
    function finishDrag(translation, predictedTranslation) {
        if (translation.y > 120 && Math.abs(translation.x) < 80) {
            viewer.close()
            return
        }
        if ((predictedTranslation.y < -120 || translation.y < -50) && Math.abs(translation.x) < 160
                && item !== null && item.widgetType === "swipe")
            viewer.handleSwipeUp()
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

    function questionOf(item, fallback) {
        return item?.widgetQuestion ?? item?.title ?? fallback
    }

    StoryViewerModel {
        id: viewer
        objectName: "viewerModel"
        groups: root.groups
        startIndex: root.startIndex
        placementKey: root.placementKey
        onShouldDismissChanged: if (shouldDismiss) root.dismissRequested()
    }

    QtObject {
        id: pausing
        // True while a side zone is held down; drives only the pause indicator.
        property bool isPaused: false

        function setPaused(paused) {
            if (paused === isPaused)
                return
            isPaused = paused
            if (paused)
                viewer.pause()
            else
                viewer.resume()
        }
    }

    Component.onCompleted: viewer.start()
    Component.onDestruction: viewer.pause()
    onVisibleChanged: visible ? viewer.start() : viewer.pause()

    Rectangle {
        anchors.fill: parent
        color: "black"
    }

    Loader {
        id: media
        objectName: "media"
        anchors.fill: parent
        sourceComponent: {
            if (root.item === null || root.item.mediaUrl.toString() === "")
                return mediaPlaceholder
            return root.item.mediaType === "video" ? videoPage : imagePage
        }
    }

    Component {
        id: videoPage
        StoryVideoView {
            url: root.item?.mediaUrl ?? ""
        }
    }

    Component {
        id: imagePage
        Rectangle {
            color: "black"
            StoryRemoteImage {
                anchors.fill: parent
                url: root.item?.mediaUrl ?? ""
                fillMode: Image.PreserveAspectFit
                placeholder: mediaPlaceholder
            }
        }
    }

    Component {
        id: mediaPlaceholder
        Item {
            objectName: "mediaPlaceholder"
            Rectangle {
                anchors.fill: parent
                color: root.theme.secondaryColor
                opacity: 0.18
            }
            StorySymbol {
                anchors.centerIn: parent
                name: "photo"
                pointSize: 36
                color: Qt.rgba(1, 1, 1, 0.8)
            }
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

    // Back on the left, forward on the right; the middle is left to drags.
    Row {
        anchors.fill: parent

        SideZone {
            objectName: "previousZone"
            width: root.width * 0.35
            onTapped: viewer.goToPrevious()
        }
        Item {
            objectName: "middleZone"
            width: root.width * 0.30
            height: parent.height
        }
        SideZone {
            objectName: "nextZone"
            width: root.width * 0.35
            onTapped: viewer.goToNext()
        }
    }

    // The page's texts and call-to-action, beneath the widgets.
    Item {
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.bottomMargin: 32

        Column {
            anchors.bottom: parent.bottom
            width: parent.width

            Column {
                objectName: "textBlock"
                visible: root.item !== null && (root.item.title !== null || root.item.bodyText !== null)
                width: parent.width
                leftPadding: 4
                rightPadding: 4
                bottomPadding: 18
                spacing: 8

                Text {
                    objectName: "pageTitle"
                    visible: text !== ""
                    width: parent.width - 8
                    text: root.item?.title ?? ""
                    font: root.theme.font(22, Font.DemiBold)
                    color: "white"
                    wrapMode: Text.Wrap
                }
                Text {
                    objectName: "pageBody"
                    visible: text !== ""
                    width: parent.width - 8
                    text: root.item?.bodyText ?? ""
                    font: root.theme.font(15, Font.Normal)
                    color: Qt.rgba(1, 1, 1, 0.86)
                    wrapMode: Text.Wrap
                    lineHeightMode: Text.FixedHeight
                    lineHeight: bodyMetrics.lineSpacing + 2

                    FontMetrics {
                        id: bodyMetrics
                        font: root.theme.font(15, Font.Normal)
                    }
                }
            }

            Rectangle {
                id: cta
                objectName: "ctaButton"
                readonly property var colors: root.ctaColors(root.theme)

                visible: root.item !== null && root.item.ctaTitle !== null && root.item.ctaUrl.toString() !== ""
                width: parent.width
                height: ctaLabel.implicitHeight + 28
                radius: height / 2
                color: colors.background
                border.color: colors.border
                border.width: colors.borderWidth

                Text {
                    id: ctaLabel
                    objectName: "ctaLabel"
                    anchors.centerIn: parent
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    text: root.item?.ctaTitle ?? ""
                    font: root.theme.font(17, Font.DemiBold)
                    color: cta.colors.text
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: {
                        const link = root.item.ctaUrl
                        viewer.handleCtaTap()
                        viewer.openURL(link)
                    }
                }
            }
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

    Component {
        id: pollWidget
        PollWidgetView {
            question: root.questionOf(root.item, viewer.strings.pollTitle)
            options: root.item?.widgetOptions ?? []
            votedOptionId: viewer.votedOptionId
            showResults: viewer.showResults
            isVotingInProgress: viewer.isVotingInProgress
            updatedVoteCounts: viewer.updatedVoteCounts
            theme: root.theme
            strings: viewer.strings
            onSelect: optionId => viewer.vote(optionId)
        }
    }

    Component {
        id: quizWidget
        QuizWidgetView {
            question: root.questionOf(root.item, viewer.strings.quizTitle)
            options: root.item?.widgetOptions ?? []
            votedOptionId: viewer.votedOptionId
            showResults: viewer.showResults
            isVotingInProgress: viewer.isVotingInProgress
            updatedVoteCounts: viewer.updatedVoteCounts
            theme: root.theme
            strings: viewer.strings
            onSelect: optionId => viewer.vote(optionId)
        }
    }

    Component {
        id: swipeWidget
        SwipeWidgetView {
            swipeCallbackURL: root.item?.swipeCallbackUrl ?? ""
            theme: root.theme
            strings: viewer.strings
            onSwipeUp: viewer.handleSwipeUp()
        }
    }

    // Progress, title and close button. Above the widgets (which keep to the bottom of the page),
    // so the close button works on a swipe page too.
    Item {
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.topMargin: 16

        Column {
            id: header
            width: parent.width
            spacing: 12

            StoryProgressView {
                objectName: "progress"
                width: parent.width
                segmentCount: viewer.itemCount
                activeIndex: viewer.currentItemIndex
                progress: viewer.progress
                theme: root.theme
            }

            Item {
                width: parent.width
                height: Math.max(groupTitle.implicitHeight, closeButton.height)

                Text {
                    id: groupTitle
                    objectName: "groupTitle"
                    anchors.left: parent.left
                    anchors.right: closeButton.left
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    text: viewer.groupTitle
                    font: root.theme.font(17, Font.DemiBold)
                    color: "white"
                    maximumLineCount: 1
                    elide: Text.ElideRight
                }

                Rectangle {
                    id: closeButton
                    objectName: "closeButton"
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    width: closeSymbol.width + 20
                    height: width
                    radius: width / 2
                    color: Qt.rgba(1, 1, 1, 0.12)

                    StorySymbol {
                        id: closeSymbol
                        anchors.centerIn: parent
                        name: "xmark"
                        pointSize: 14
                        weight: Font.DemiBold
                        color: "white"
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: viewer.close()
                    }
                }
            }
        }

    }

    StorySymbol {
        objectName: "pauseIndicator"
        anchors.centerIn: parent
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
            onActiveChanged: active ? drag.press(point.pressPosition) : drag.release()
            onPointChanged: if (active) drag.move(point.position, point.velocity)
        }
        StoryDragTracker {
            id: drag
            onEnded: (translation, predictedTranslation) => root.finishDrag(translation, predictedTranslation)
        }
    }
}
