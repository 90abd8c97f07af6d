import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal

Item {
    id: screen
    width: 400
    height: 800

    Component {
        id: viewerComponent
        StoryViewerView {
            anchors.fill: parent
            placementKey: "home"
        }
    }

    StoryBarView {
        id: bar
        width: parent.width
        placementKey: "home"
    }

    SignalSpy { id: dismissals; signalName: "dismissRequested" }

    TestCase {
        name: "Keyboard"
        when: windowShown

        readonly property int circleGroup: 0
        readonly property int pollGroup: 1

        property var viewer: null

        function open(group, properties) {
            viewer = createTemporaryObject(viewerComponent, screen,
                                           Object.assign({ groups: fixture.homeGroups(), startIndex: group }, properties ?? {}))
            dismissals.target = viewer
            dismissals.clear()
            fixture.reset()
            tryCompare(model(), "hasCurrentGroup", true)
            tryVerify(() => viewer.activeFocus)
            return viewer
        }

        function model() { return findChild(viewer, "viewerModel") }
        function part(name) { return findChild(viewer, name) }

        // Each case starts on the second page of a group: page steps stay in it.
        function test_pageAndGroupKeys_data() {
            return [
                { tag: "Right", key: Qt.Key_Right, from: 0, to: [0, 2] },
                { tag: "Left", key: Qt.Key_Left, from: 0, to: [0, 0] },
                { tag: "Shift+Right", key: Qt.Key_Right, modifiers: Qt.ShiftModifier, from: 0, to: [1, 0] },
                { tag: "Shift+Left", key: Qt.Key_Left, modifiers: Qt.ShiftModifier, from: 1, to: [0, 0] },
                { tag: "Page Down", key: Qt.Key_PageDown, from: 0, to: [1, 0] },
                { tag: "Page Up", key: Qt.Key_PageUp, from: 1, to: [0, 0] },
                { tag: "Left, right to left", key: Qt.Key_Left, rightToLeft: true, from: 0, to: [0, 2] },
                { tag: "Right, right to left", key: Qt.Key_Right, rightToLeft: true, from: 0, to: [0, 0] },
            ]
        }

        function test_pageAndGroupKeys(data) {
            open(data.from, { rightToLeft: data.rightToLeft ?? false })
            model().goToNext()
            tryCompare(model(), "currentItemIndex", 1)
            keyClick(data.key, data.modifiers ?? Qt.NoModifier)
            tryVerify(() => model().currentGroupIndex === data.to[0] && model().currentItemIndex === data.to[1], 1000,
                      "at " + model().currentGroupIndex + "/" + model().currentItemIndex)
            wait(20)
            compare([model().currentGroupIndex, model().currentItemIndex], data.to)
        }

        function test_spaceAndKHoldAndReleaseThePause_data() {
            return [{ tag: "Space", key: Qt.Key_Space }, { tag: "K", key: Qt.Key_K }]
        }

        function test_spaceAndKHoldAndReleaseThePause(data) {
            open(circleGroup)
            tryVerify(() => model().progress > 0)
            keyClick(data.key)
            tryCompare(part("pauseIndicator"), "opacity", 1)
            const frozen = model().progress
            wait(120)
            compare(model().progress, frozen)
            keyClick(data.key)
            tryCompare(part("pauseIndicator"), "opacity", 0)
            tryVerify(() => model().progress > frozen)
        }

        function test_escapeAndBackClose_data() {
            return [{ tag: "Escape", key: Qt.Key_Escape }, { tag: "Back", key: Qt.Key_Back }]
        }

        function test_escapeAndBackClose(data) {
            open(circleGroup)
            keyClick(data.key)
            tryCompare(dismissals, "count", 1)
            compare(fixture.events, ["close:00000000-0000-4000-8000-000000000001"])
        }

        function test_enterFollowsTheCallToAction() {
            open(circleGroup)
            keyClick(Qt.Key_Return)
            tryCompare(fixture.openedUrls, "length", 1)
            compare(fixture.openedUrls, ["https://example.com/first"])
        }

        function test_tabReachesCloseOptionsAndCallToActionInReadingOrder() {
            open(pollGroup)
            tryVerify(() => part("widget").item !== null)
            const card = part("widget").item
            tryVerify(() => !isPolishScheduled(findChild(card, "cardContent")), 1000, "rows laid out")
            const order = [part("closeButton"), findChild(card, "option0"), findChild(card, "option1"),
                           findChild(card, "option2"), part("ctaButton")]
            for (const control of order) {
                keyClick(Qt.Key_Tab)
                verify(control.activeFocus, control.objectName)
                verify(findChild(control, "focusRing").visible, "focus ring on " + control.objectName)
            }

            // Back to the second option; Space votes for it, as a tap does.
            keyClick(Qt.Key_Tab, Qt.ShiftModifier)
            keyClick(Qt.Key_Tab, Qt.ShiftModifier)
            verify(order[2].activeFocus)
            keyClick(Qt.Key_Space)
            tryCompare(model(), "votedOptionId", "00000000-0000-4000-8000-0000000000a3")
            fixture.releaseVotes()
            tryCompare(model(), "showResults", true)
        }

        function test_barTakesFocusMovesWithArrowsAndOpensWithEnter() {
            const bubbles = findChild(bar, "bubbles")
            tryCompare(bubbles, "count", 4)
            bubbles.forceActiveFocus()
            compare(bubbles.currentIndex, 0)
            verify(findChild(bubbles.itemAtIndex(0), "focusRing").visible)
            keyClick(Qt.Key_Right)
            keyClick(Qt.Key_Right)
            compare(bubbles.currentIndex, 2)
            verify(findChild(bubbles.itemAtIndex(2), "focusRing").visible)
            verify(!findChild(bubbles.itemAtIndex(0), "focusRing").visible)
            keyClick(Qt.Key_Left)
            keyClick(Qt.Key_Return)
            const presentation = findChild(bar, "viewerPresentation")
            tryCompare(presentation, "opened", true)
            const shown = findChild(presentation.contentItem, "viewerModel")
            tryCompare(shown, "currentGroupIndex", 1)

            // The presented viewer has the keys: Escape closes it through the viewer.
            tryVerify(() => presentation.contentItem.item.activeFocus)
            keyClick(Qt.Key_Escape)
            tryCompare(presentation, "visible", false)
            verify(fixture.events.indexOf("close:00000000-0000-4000-8000-000000000002") >= 0)
        }
    }
}
