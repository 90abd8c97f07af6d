import QtQuick
import OrvaneStories.Internal

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
    // Badge and total swap sides, texts start at the right; a viewer passes its own direction.
    property bool rightToLeft: StoryTexts.rightToLeft

    // What the card needs to show everything unscrolled; a viewer's page texts yield to it.
    readonly property real neededHeight: voteCard.neededHeight

    signal select(string optionId)

    LayoutMirroring.enabled: rightToLeft
    LayoutMirroring.childrenInherit: true

    // Whether a drag from this point of the scene scrolls the card, so that a viewer leaves it be.
    function scrollsAt(scenePoint) {
        return voteCard.scrollsAt(scenePoint)
    }

    VoteCard {
        id: voteCard
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
