import QtQuick
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects
import OrvaneStories

// The poll card laid over a story page: a badge and heading, the question, one button per
// option; once the vote is in, each option's share. The chosen option is filled with the
// theme's colour. select(optionId) reports a choice; after a vote (or while one is being sent)
// no option reacts.
Item {
    id: root

    property string question
    // Options as StoryViewerModel gives them: { id, text, emojiPrefix, orderIndex, voteCount, ... }.
    property var options: []
    // The option voted for, or null.
    property var votedOptionId: null
    property bool showResults: false
    property bool isVotingInProgress: false
    // Option id -> count; wins over an option's own voteCount.
    property var updatedVoteCounts: ({})
    property storyTheme theme
    // The widget texts, as StoryViewerModel.strings.
    required property var strings
    // The card keeps this far from the top of the view (a viewer's header) and from its bottom;
    // when it would be taller, its question and options scroll.
    property real topMargin: 0
    property real bottomMargin: 140
    // What lies behind the card; with `blurredMaterial` (which needs shader effects) the card
    // shows it blurred, else the card is a plain translucent dark.
    property Item backdrop: null
    property bool blurredMaterial: false

    signal select(string optionId)

    // The card the poll and the quiz share; a quiz marks right and wrong answers instead of
    // filling the chosen one.
    component VoteCard: Item {
        id: card

        property bool quiz: false
        property string question
        property var options: []
        property var votedOptionId: null
        property bool showResults: false
        property bool isVotingInProgress: false
        property var updatedVoteCounts: ({})
        property storyTheme theme
        property var strings: ({})
        property real topMargin: 0
        property real bottomMargin: 140
        property Item backdrop: null
        property bool blurredMaterial: false
        readonly property bool frosted: blurredMaterial && backdrop !== null

        signal select(string optionId)

        readonly property bool answered: showResults || isVotingInProgress || votedOptionId != null
        readonly property color primary: theme.primaryColor
        readonly property color contrast: theme.primaryLuminance > 0.58 ? "black" : "white"
        readonly property color green: "#34C759"
        readonly property color red: "#FF3B30"
        readonly property real total: options.reduce((sum, option) => sum + countOf(option), 0)
        readonly property string headingText: (quiz ? strings.quizTitle : strings.pollTitle) ?? ""
        readonly property string badgeText: (quiz ? strings.quizBadgeTitle : strings.pollBadgeTitle) ?? ""
        // By orderIndex; equal indices keep the order given.
        readonly property var orderedOptions: options.map((option, position) => ({ option, position }))
            .sort((a, b) => (a.option.orderIndex - b.option.orderIndex) || (a.position - b.position))
            .map(entry => entry.option)

        function countOf(option) {
            return option.id in updatedVoteCounts ? Number(updatedVoteCounts[option.id]) : Number(option.voteCount)
        }
        // Whole numbers throughout: 29 of 100 is 29, where 29 / 100 * 100 in floating point is
        // 28.999... and would truncate to 28.
        function percentOf(option) {
            if (!(total >= 1))
                return 0
            const scaled = countOf(option) * 100
            return (scaled - scaled % total) / total
        }
        function faded(color, opacity) {
            return Qt.rgba(color.r, color.g, color.b, color.a * opacity)
        }

        Rectangle {
            id: panel
            objectName: "card"
            readonly property real available: card.height - card.topMargin - card.bottomMargin

            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            // Narrow phones give the options the room of half the side margins.
            anchors.leftMargin: card.width < 360 ? 16 : 32
            anchors.rightMargin: card.width < 360 ? 16 : 32
            anchors.bottomMargin: card.bottomMargin
            height: Math.max(0, Math.min(content.implicitContentHeight + 40, available))
            radius: 20
            color: card.frosted ? "transparent" : Qt.rgba(0.08, 0.08, 0.1, 0.72)
            border.color: Qt.rgba(1, 1, 1, 0.12)
            border.width: 1
            clip: true

            // The card keeps its taps from the page beneath.
            MouseArea {
                anchors.fill: parent
            }

            Loader {
                objectName: "cardMaterial"
                anchors.fill: parent
                active: card.frosted
                sourceComponent: Item {
                    id: material
                    layer.enabled: true
                    // Cached, as the blur: the page draws them as plain textures on every frame
                    // instead of running their shaders, until what lies behind changes.
                    layer.effect: OpacityMask {
                        maskSource: materialShape
                        cached: true
                    }

                    Rectangle {
                        id: materialShape
                        anchors.fill: parent
                        radius: panel.radius
                        visible: false
                    }
                    ShaderEffectSource {
                        id: behind
                        anchors.fill: parent
                        visible: false
                        sourceItem: card.backdrop
                        // Follows the card as it moves and grows.
                        sourceRect: {
                            panel.x, panel.y, card.width, card.height
                            const corner = panel.mapToItem(card.backdrop, 0, 0)
                            return Qt.rect(corner.x, corner.y, panel.width, panel.height)
                        }
                    }
                    FastBlur {
                        anchors.fill: parent
                        source: behind
                        radius: 40
                        cached: true
                    }
                    Rectangle {
                        anchors.fill: parent
                        color: Qt.rgba(0.08, 0.08, 0.1, 0.5)
                    }
                }
            }

            Item {
                id: content
                objectName: "cardContent"
                readonly property real implicitContentHeight: header.implicitHeight + 12 + body.implicitHeight

                anchors.fill: parent
                anchors.margins: 20

                // Badge and total give way to the heading only up to a share of the row each.
                RowLayout {
                    id: header
                    objectName: "cardHeader"
                    readonly property real badgeWidth: Math.ceil(Math.min(badge.implicitWidth, content.width * 0.4))
                    readonly property real totalWidth: Math.ceil(Math.min(totalText.implicitWidth, content.width * 0.35))

                    width: parent.width
                    spacing: 8

                    Rectangle {
                        id: badge
                        objectName: "badge"
                        Layout.preferredWidth: header.badgeWidth
                        implicitWidth: badgeSymbol.width + 4 + badgeTitle.implicitWidth + 16
                        implicitHeight: Math.max(badgeSymbol.height, badgeTitle.implicitHeight) + 8
                        radius: height / 2
                        color: card.faded(card.primary, 0.9)
                        clip: true

                        Row {
                            anchors.fill: parent
                            leftPadding: 8
                            rightPadding: 8
                            spacing: 4

                            StorySymbol {
                                id: badgeSymbol
                                anchors.verticalCenter: parent.verticalCenter
                                name: card.quiz ? "checkmark.circle.fill" : "chart.bar.fill"
                                pointSize: 10
                                weight: Font.DemiBold
                                color: card.contrast
                            }
                            Text {
                                id: badgeTitle
                                objectName: "badgeTitle"
                                anchors.verticalCenter: parent.verticalCenter
                                width: Math.max(0, badge.width - 16 - 4 - badgeSymbol.width)
                                text: card.badgeText
                                font.pixelSize: 10
                                font.bold: true
                                color: card.contrast
                                maximumLineCount: 1
                                elide: Text.ElideRight
                            }
                        }
                    }
                    // The heading says nothing new when it repeats the badge ("Quiz" by default).
                    Text {
                        id: heading
                        objectName: "heading"
                        visible: text.trim().toLowerCase() !== card.badgeText.trim().toLowerCase()
                        Layout.preferredWidth: Math.min(implicitWidth, Math.floor(Math.max(0, content.width - header.badgeWidth
                                                                                - header.totalWidth - 3 * header.spacing - 1)))
                        text: card.headingText
                        font: card.theme.font(13, Font.Medium)
                        color: Qt.rgba(1, 1, 1, 0.7)
                        maximumLineCount: 1
                        elide: Text.ElideRight
                    }
                    Item {
                        objectName: "headerSpacer"
                        Layout.fillWidth: true
                    }
                    Text {
                        id: totalText
                        objectName: "total"
                        Layout.preferredWidth: header.totalWidth
                        text: {
                            const one = card.total === 1
                            const word = card.quiz ? (one ? card.strings.answerSingular : card.strings.answerPlural)
                                                   : (one ? card.strings.voteSingular : card.strings.votePlural)
                            return `${card.total} ${word}`
                        }
                        font: card.theme.font(13, Font.Normal)
                        color: Qt.rgba(1, 1, 1, 0.5)
                        maximumLineCount: 1
                        elide: Text.ElideRight
                    }
                }

                // The question and the options, scrolling when the card has less room than they need.
                Flickable {
                    id: scroller
                    objectName: "optionsScroller"
                    anchors.top: header.bottom
                    anchors.topMargin: 12
                    anchors.bottom: parent.bottom
                    width: parent.width
                    contentWidth: width
                    contentHeight: body.implicitHeight
                    boundsBehavior: Flickable.StopAtBounds
                    flickableDirection: Flickable.VerticalFlick
                    interactive: contentHeight > height
                    clip: true

                    Column {
                        id: body
                        width: scroller.width
                        spacing: 12

                        Text {
                            objectName: "question"
                            width: parent.width
                            text: card.question
                            font: card.theme.font(16, Font.DemiBold)
                            color: "white"
                            wrapMode: Text.Wrap
                        }

                        Repeater {
                            model: card.orderedOptions

                            OptionRow {
                                voteCard: card
                                width: body.width
                            }
                        }
                    }
                }
            }
        }
    }

    // One answer of a card: emoji, text, its share once results are in, and the choice indicator.
    component OptionRow: Rectangle {
        id: row
        required property var modelData
        required property int index
        property Item voteCard
        readonly property var option: modelData
        readonly property bool selected: row.voteCard.votedOptionId != null && row.voteCard.votedOptionId === option.id
        readonly property bool correct: option.isCorrect === true
        readonly property bool marked: row.voteCard.showResults && (selected || correct)
        readonly property color accent: row.voteCard.quiz && row.voteCard.showResults && correct ? row.voteCard.green
                                        : row.voteCard.quiz && row.voteCard.showResults && selected ? row.voteCard.red
                                        : row.voteCard.primary

        objectName: "option" + index
        height: rowContent.implicitHeight + 26
        radius: 12
        clip: true
        color: {
            if (row.voteCard.quiz)
                return marked ? row.voteCard.faded(accent, selected ? 0.28 : 0.2) : Qt.rgba(1, 1, 1, 0.05)
            if (selected)
                return row.voteCard.faded(row.voteCard.primary, 0.85)
            return Qt.rgba(1, 1, 1, row.voteCard.showResults ? 0.06 : 0)
        }
        border.color: {
            if (row.voteCard.quiz)
                return marked ? row.voteCard.faded(accent, selected ? 0.9 : 0.7) : Qt.rgba(1, 1, 1, 0.15)
            return selected ? row.voteCard.primary : Qt.rgba(1, 1, 1, 0.15)
        }
        border.width: (row.voteCard.quiz ? marked : selected) ? 2 : 1
        activeFocusOnTab: true
        Accessible.role: Accessible.Button
        Accessible.name: {
            const parts = [row.option.text]
            if (row.voteCard.showResults) {
                parts.push(row.voteCard.percentOf(row.option) + "%")
                if (row.voteCard.quiz && row.correct)
                    parts.push(qsTr("correct answer"))
            }
            if (row.selected)
                parts.push(qsTr("your choice"))
            return parts.join(", ")
        }
        Accessible.onPressAction: choose()

        function choose() {
            if (!row.voteCard.answered)
                row.voteCard.select(row.option.id)
        }

        Keys.onReturnPressed: choose()
        Keys.onEnterPressed: choose()
        Keys.onSpacePressed: choose()

        RowLayout {
            id: rowContent
            anchors.fill: parent
            anchors.leftMargin: 16
            anchors.rightMargin: 16
            anchors.topMargin: 13
            anchors.bottomMargin: 13
            spacing: 12

            Text {
                objectName: "emoji"
                visible: !!row.option.emojiPrefix
                Layout.preferredWidth: 28
                Layout.maximumWidth: 28
                text: row.option.emojiPrefix ?? ""
                font: row.voteCard.theme.emojiFont(20)
                horizontalAlignment: Text.AlignHCenter
                maximumLineCount: 1
                clip: true
            }
            Text {
                objectName: "optionText"
                Layout.fillWidth: true
                text: row.option.text
                font: row.voteCard.theme.font(15, Font.Medium)
                color: !row.selected ? Qt.rgba(1, 1, 1, 0.85) : row.voteCard.quiz ? "white" : row.voteCard.contrast
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
            }
            Text {
                objectName: "percent"
                visible: row.voteCard.showResults
                text: row.voteCard.percentOf(row.option) + "%"
                font: row.voteCard.theme.font(14, Font.DemiBold)
                color: row.voteCard.quiz ? Qt.rgba(1, 1, 1, 0.7)
                                 : row.selected ? row.voteCard.contrast : Qt.rgba(1, 1, 1, 0.6)
            }
            Text {
                objectName: "count"
                visible: row.voteCard.showResults && !row.voteCard.quiz
                text: String(row.voteCard.countOf(row.option))
                font: row.voteCard.theme.font(13, Font.Normal)
                color: Qt.rgba(1, 1, 1, 0.45)
            }
            Spinner {
                objectName: "spinner"
                visible: !row.voteCard.showResults && row.voteCard.isVotingInProgress && row.selected
            }
            Item {
                objectName: "indicator"
                Layout.preferredWidth: 22
                Layout.preferredHeight: 22

                // A quiz with results marks a row once, in the indicator's place: a green check
                // when right, a red cross on a wrong choice, nothing on the others (whose column
                // stays, so the shares line up).
                StorySymbol {
                    objectName: "outcome"
                    anchors.centerIn: parent
                    visible: row.voteCard.showResults && row.voteCard.quiz && (row.correct || row.selected)
                    name: row.correct ? "checkmark.circle.fill" : "xmark.circle.fill"
                    pointSize: 20
                    color: row.correct ? row.voteCard.green : row.voteCard.red
                }

                Rectangle {
                    objectName: "ring"
                    visible: !row.voteCard.showResults
                    anchors.fill: parent
                    radius: width / 2
                    color: "transparent"
                    border.color: row.selected ? row.accent : Qt.rgba(1, 1, 1, 0.4)
                    border.width: row.selected ? 2 : 1.5

                    Rectangle {
                        visible: row.selected
                        anchors.centerIn: parent
                        width: 12
                        height: 12
                        radius: 6
                        color: row.accent
                    }
                }
                Rectangle {
                    objectName: "check"
                    visible: row.voteCard.showResults && row.selected && !row.voteCard.quiz
                    anchors.fill: parent
                    radius: width / 2
                    color: row.accent

                    StorySymbol {
                        anchors.centerIn: parent
                        name: "checkmark"
                        pointSize: 11
                        weight: Font.Bold
                        color: row.voteCard.quiz ? "white" : row.voteCard.contrast
                    }
                }
                Rectangle {
                    objectName: "dot"
                    visible: row.voteCard.showResults && !row.selected && !row.voteCard.quiz
                    anchors.centerIn: parent
                    width: 8
                    height: 8
                    radius: 4
                    color: Qt.rgba(1, 1, 1, 0.2)
                }
            }
        }

        // Inside the row: the card clips what reaches beyond it.
        StoryFocusRing {
            gap: -2
        }
        Rectangle {
            objectName: "pressedShade"
            anchors.fill: parent
            radius: parent.radius
            color: Qt.rgba(1, 1, 1, 0.12)
            visible: optionPress.pressed
        }

        MouseArea {
            id: optionPress
            anchors.fill: parent
            enabled: !row.voteCard.answered
            onClicked: row.choose()
        }
    }

    // A small indeterminate spinner: eight ticks turning.
    component Spinner: Item {
        implicitWidth: 20
        implicitHeight: 20
        scale: 0.8

        Repeater {
            model: 8

            Rectangle {
                required property int index
                x: 9
                width: 2
                height: 5
                radius: 1
                color: "white"
                opacity: 0.25 + 0.75 * index / 8
                transform: Rotation { origin.x: 1; origin.y: 10; angle: index * 45 }
            }
        }

        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 1000
            loops: Animation.Infinite
            running: visible
        }
    }

    VoteCard {
        anchors.fill: parent
        topMargin: root.topMargin
        bottomMargin: root.bottomMargin
        backdrop: root.backdrop
        blurredMaterial: root.blurredMaterial
        question: root.question
        options: root.options
        votedOptionId: root.votedOptionId
        showResults: root.showResults
        isVotingInProgress: root.isVotingInProgress
        updatedVoteCounts: root.updatedVoteCounts
        theme: root.theme
        strings: root.strings
        onSelect: optionId => root.select(optionId)
    }
}
