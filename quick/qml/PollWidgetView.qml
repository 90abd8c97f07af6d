import QtQuick
import QtQuick.Layouts
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

        signal select(string optionId)

        readonly property bool answered: showResults || isVotingInProgress || votedOptionId != null
        readonly property color primary: theme.primaryColor
        readonly property color contrast: theme.primaryLuminance > 0.58 ? "black" : "white"
        readonly property color green: "#34C759"
        readonly property color red: "#FF3B30"
        readonly property real total: options.reduce((sum, option) => sum + countOf(option), 0)
        // By orderIndex; equal indices keep the order given.
        readonly property var orderedOptions: options.map((option, position) => ({ option, position }))
            .sort((a, b) => (a.option.orderIndex - b.option.orderIndex) || (a.position - b.position))
            .map(entry => entry.option)

        function countOf(option) {
            return option.id in updatedVoteCounts ? Number(updatedVoteCounts[option.id]) : Number(option.voteCount)
        }
        function percentOf(option) {
            return total >= 1 ? Math.trunc(countOf(option) / total * 100) : 0
        }
        function faded(color, opacity) {
            return Qt.rgba(color.r, color.g, color.b, color.a * opacity)
        }

        Rectangle {
            id: panel
            objectName: "card"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.leftMargin: 32
            anchors.rightMargin: 32
            anchors.bottomMargin: 140
            height: content.implicitHeight + 40
            radius: 20
            color: Qt.rgba(0.08, 0.08, 0.1, 0.72)
            border.color: Qt.rgba(1, 1, 1, 0.12)
            border.width: 1

            // The card keeps its taps from the page beneath.
            MouseArea {
                anchors.fill: parent
            }

            Column {
                id: content
                objectName: "cardContent"
                x: 20
                y: 20
                width: parent.width - 40
                spacing: 12

                Item {
                    width: parent.width
                    height: Math.max(badge.height, heading.implicitHeight, totalText.implicitHeight)

                    Rectangle {
                        id: badge
                        objectName: "badge"
                        anchors.verticalCenter: parent.verticalCenter
                        width: badgeContent.implicitWidth
                        height: badgeContent.implicitHeight
                        radius: height / 2
                        color: card.faded(card.primary, 0.9)

                        Row {
                            id: badgeContent
                            leftPadding: 8
                            rightPadding: 8
                            topPadding: 4
                            bottomPadding: 4
                            spacing: 4

                            StorySymbol {
                                anchors.verticalCenter: parent.verticalCenter
                                name: card.quiz ? "checkmark.circle.fill" : "chart.bar.fill"
                                pointSize: 10
                                weight: Font.DemiBold
                                color: card.contrast
                            }
                            Text {
                                objectName: "badgeTitle"
                                text: card.quiz ? card.strings.quizBadgeTitle : card.strings.pollBadgeTitle
                                font.pixelSize: 10
                                font.bold: true
                                color: card.contrast
                            }
                        }
                    }
                    Text {
                        id: heading
                        objectName: "heading"
                        anchors.left: badge.right
                        anchors.leftMargin: 8
                        anchors.verticalCenter: parent.verticalCenter
                        text: card.quiz ? card.strings.quizTitle : card.strings.pollTitle
                        font: card.theme.font(13, Font.Medium)
                        color: Qt.rgba(1, 1, 1, 0.7)
                    }
                    Text {
                        id: totalText
                        objectName: "total"
                        anchors.right: parent.right
                        anchors.verticalCenter: parent.verticalCenter
                        text: {
                            const one = card.total === 1
                            const word = card.quiz ? (one ? card.strings.answerSingular : card.strings.answerPlural)
                                                   : (one ? card.strings.voteSingular : card.strings.votePlural)
                            return `${card.total} ${word}`
                        }
                        font: card.theme.font(13, Font.Normal)
                        color: Qt.rgba(1, 1, 1, 0.5)
                    }
                }

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

                    Rectangle {
                        id: row
                        required property var modelData
                        required property int index
                        readonly property var option: modelData
                        readonly property bool selected: card.votedOptionId != null && card.votedOptionId === option.id
                        readonly property bool correct: option.isCorrect === true
                        readonly property bool marked: card.showResults && (selected || correct)
                        readonly property color accent: card.quiz && card.showResults && correct ? card.green
                                                        : card.quiz && card.showResults && selected ? card.red
                                                        : card.primary

                        objectName: "option" + index
                        width: content.width
                        height: rowContent.implicitHeight + 26
                        radius: 12
                        clip: true
                        color: {
                            if (card.quiz)
                                return marked ? card.faded(accent, selected ? 0.28 : 0.2) : Qt.rgba(1, 1, 1, 0.05)
                            if (selected)
                                return card.faded(card.primary, 0.85)
                            return Qt.rgba(1, 1, 1, card.showResults ? 0.06 : 0)
                        }
                        border.color: {
                            if (card.quiz)
                                return marked ? card.faded(accent, selected ? 0.9 : 0.7) : Qt.rgba(1, 1, 1, 0.15)
                            return selected ? card.primary : Qt.rgba(1, 1, 1, 0.15)
                        }
                        border.width: (card.quiz ? marked : selected) ? 2 : 1

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
                                text: row.option.emojiPrefix ?? ""
                                font.pixelSize: 20
                                horizontalAlignment: Text.AlignHCenter
                            }
                            Text {
                                objectName: "optionText"
                                Layout.fillWidth: true
                                text: row.option.text
                                font: card.theme.font(15, Font.Medium)
                                color: !row.selected ? Qt.rgba(1, 1, 1, 0.85) : card.quiz ? "white" : card.contrast
                                wrapMode: Text.Wrap
                                maximumLineCount: 2
                                elide: Text.ElideRight
                            }
                            Text {
                                objectName: "percent"
                                visible: card.showResults
                                text: card.percentOf(row.option) + "%"
                                font: card.theme.font(14, Font.DemiBold)
                                color: card.quiz ? Qt.rgba(1, 1, 1, 0.7)
                                                 : row.selected ? card.contrast : Qt.rgba(1, 1, 1, 0.6)
                            }
                            Text {
                                objectName: "count"
                                visible: card.showResults && !card.quiz
                                text: String(card.countOf(row.option))
                                font: card.theme.font(13, Font.Normal)
                                color: Qt.rgba(1, 1, 1, 0.45)
                            }
                            StorySymbol {
                                objectName: "outcome"
                                visible: card.showResults && card.quiz && (row.correct || row.selected)
                                name: row.correct ? "checkmark.circle.fill" : "xmark.circle.fill"
                                pointSize: 20
                                color: row.correct ? card.green : card.red
                            }
                            Spinner {
                                objectName: "spinner"
                                visible: !card.showResults && card.isVotingInProgress && row.selected
                            }
                            Item {
                                objectName: "indicator"
                                Layout.preferredWidth: 22
                                Layout.preferredHeight: 22

                                Rectangle {
                                    objectName: "ring"
                                    visible: !card.showResults
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
                                    visible: card.showResults && row.selected
                                    anchors.fill: parent
                                    radius: width / 2
                                    color: row.accent

                                    StorySymbol {
                                        anchors.centerIn: parent
                                        name: "checkmark"
                                        pointSize: 11
                                        weight: Font.Bold
                                        color: card.quiz ? "white" : card.contrast
                                    }
                                }
                                Rectangle {
                                    objectName: "dot"
                                    visible: card.showResults && !row.selected && !card.quiz
                                    anchors.centerIn: parent
                                    width: 8
                                    height: 8
                                    radius: 4
                                    color: Qt.rgba(1, 1, 1, 0.2)
                                }
                            }
                        }

                        MouseArea {
                            anchors.fill: parent
                            enabled: !card.answered
                            onClicked: if (!card.answered) card.select(row.option.id)
                        }
                    }
                }
            }
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
