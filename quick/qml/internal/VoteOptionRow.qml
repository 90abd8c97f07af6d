import QtQuick
import QtQuick.Layouts
import OrvaneStories.Internal

// One answer of a card: emoji, text, its share once results are in, and the choice indicator.
Rectangle {
    id: row
    required property var modelData
    required property int index
    property Item voteCard
    readonly property var option: modelData
    // "29%", "29 %" or "29٪", as the language writes a share.
    readonly property string percentText: qsTr("%1%", "an option's share of the votes").arg(row.voteCard.percentOf(row.option))
    readonly property bool selected: row.voteCard.votedOptionId != null && row.voteCard.votedOptionId === option.id
    readonly property bool correct: option.isCorrect === true
    readonly property bool marked: row.voteCard.showResults && (selected || correct)
    // Below this an answer breaks between letters; the vote count gives way before it does, as
    // the share beside it says the same.
    readonly property real readableAnswerWidth: 80
    readonly property bool countFits: rowContent.width
                                      - (emoji.visible ? emoji.Layout.preferredWidth + rowContent.spacing : 0)
                                      - (percent.visible ? percent.implicitWidth + rowContent.spacing : 0)
                                      - (count.implicitWidth + rowContent.spacing)
                                      - (indicator.Layout.preferredWidth + rowContent.spacing)
                                      >= readableAnswerWidth
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
            parts.push(row.percentText)
            if (row.voteCard.quiz && row.correct)
                parts.push(qsTr("correct answer"))
        }
        if (row.selected)
            parts.push(qsTr("your choice"))
        return parts.join(qsTr(", ", "between the parts of an option's spoken name"))
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
            id: emoji
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
            // Wider than two lines when it must: the card scrolls; beyond four, the accessible
            // name still reads it whole.
            wrapMode: Text.Wrap
            maximumLineCount: 4
            elide: Text.ElideRight
        }
        Text {
            id: percent
            objectName: "percent"
            visible: row.voteCard.showResults
            text: row.percentText
            font: row.voteCard.theme.font(14, Font.DemiBold)
            color: row.voteCard.quiz ? Qt.rgba(1, 1, 1, 0.7)
                             : row.selected ? row.voteCard.contrast : Qt.rgba(1, 1, 1, 0.6)
        }
        Text {
            id: count
            objectName: "count"
            visible: row.voteCard.showResults && !row.voteCard.quiz && row.countFits
            text: String(row.voteCard.countOf(row.option))
            font: row.voteCard.theme.font(13, Font.Normal)
            color: Qt.rgba(1, 1, 1, 0.45)
        }
        VoteSpinner {
            objectName: "spinner"
            visible: !row.voteCard.showResults && row.voteCard.isVotingInProgress && row.selected
        }
        Item {
            id: indicator
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
