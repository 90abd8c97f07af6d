import QtQuick
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects
import OrvaneStories.Internal

// The card the poll and the quiz share; a quiz marks right and wrong answers instead of
// filling the chosen one.
Item {
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

    // The height the card needs to show all it holds unscrolled.
    readonly property real neededHeight: content.implicitContentHeight + 40
    readonly property bool answered: showResults || isVotingInProgress || votedOptionId != null
    readonly property color primary: theme.primaryColor
    readonly property color contrast: theme.primaryLuminance > 0.58 ? "black" : "white"
    readonly property color green: "#34C759"
    readonly property color red: "#FF3B30"
    readonly property real total: options.reduce((sum, option) => sum + countOf(option), 0)
    // The SDK's default texts in the current language, the host's own as they are.
    readonly property string headingText: StoryTexts.language.shown((quiz ? strings.quizTitle : strings.pollTitle) ?? "")
    readonly property string badgeText: StoryTexts.language.shown((quiz ? strings.quizBadgeTitle : strings.pollBadgeTitle) ?? "")
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
    // Whether a drag from this point of the scene scrolls the card (and so belongs to it).
    function scrollsAt(scenePoint) {
        const at = panel.mapFromItem(null, scenePoint.x, scenePoint.y)
        return scroller.interactive && at.x >= 0 && at.y >= 0 && at.x < panel.width && at.y < panel.height
    }
    // Scrolls so that all of `item`, a part of the card's body, can be seen.
    function reveal(item) {
        const top = item.mapToItem(body, 0, 0).y
        if (top < scroller.contentY)
            scroller.contentY = Math.max(0, top)
        else if (top + item.height > scroller.contentY + scroller.height)
            scroller.contentY = Math.min(Math.max(0, scroller.contentHeight - scroller.height),
                                         top + item.height - scroller.height)
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
                // As dark as the plain card: the blur changes what lies behind, not how well
                // white options read over a bright picture.
                Rectangle {
                    anchors.fill: parent
                    color: Qt.rgba(0.08, 0.08, 0.1, 0.72)
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
                    // In the language's plural forms ("22 głosy", "112 głosów").
                    text: card.quiz ? StoryTexts.language.answerTotal(card.total, card.strings.answerSingular ?? "",
                                                                      card.strings.answerPlural ?? "")
                                    : StoryTexts.language.voteTotal(card.total, card.strings.voteSingular ?? "",
                                                                    card.strings.votePlural ?? "")
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
                    objectName: "cardBody"
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

                        VoteOptionRow {
                            id: optionRow
                            voteCard: card
                            width: body.width
                            onActiveFocusChanged: if (activeFocus) card.reveal(optionRow)
                        }
                    }
                }
            }
            // More below: the card's lower edge fades and a chevron says it scrolls.
            Item {
                objectName: "moreBelow"
                visible: scroller.interactive && scroller.contentY + scroller.height < scroller.contentHeight - 1
                anchors.left: scroller.left
                anchors.right: scroller.right
                anchors.bottom: scroller.bottom
                height: 28

                Rectangle {
                    anchors.fill: parent
                    gradient: Gradient {
                        GradientStop { position: 0; color: "transparent" }
                        GradientStop { position: 1; color: Qt.rgba(0.08, 0.08, 0.1, 0.9) }
                    }
                }
                StorySymbol {
                    anchors.horizontalCenter: parent.horizontalCenter
                    anchors.bottom: parent.bottom
                    name: "chevron.up"
                    pointSize: 14
                    weight: Font.Bold
                    color: Qt.rgba(1, 1, 1, 0.8)
                    rotation: 180
                    Accessible.ignored: true
                }
            }
        }
    }
}
