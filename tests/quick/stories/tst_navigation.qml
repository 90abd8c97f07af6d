import QtQuick
import QtTest
import OrvaneStories

// Stories opened by id and link without a bar on screen, steered and shared from QML.
Item {
    id: screen
    width: 400
    height: 800

    SignalSpy { id: opened; target: StoryNavigation; signalName: "opened" }
    SignalSpy { id: pageChanged; target: StoryNavigation; signalName: "pageChanged" }
    SignalSpy { id: closed; target: StoryNavigation; signalName: "closed" }
    SignalSpy { id: refused; target: StoryNavigation; signalName: "refused" }
    SignalSpy { id: shared; target: StoryNavigation; signalName: "shareRequested" }

    TestCase {
        name: "StoryNavigation"
        when: windowShown

        readonly property string pollGroup: "00000000-0000-4000-8000-000000000002"
        readonly property string pollSecondPage: "00000000-0000-4000-8000-000000000022"
        readonly property string circleGroup: "00000000-0000-4000-8000-000000000001"

        // The presentation belongs to the window, not to anything of the test's.
        function part(name) { return findChild(screen.Window.window.contentItem, name) }

        function init() {
            for (const spy of [opened, pageChanged, closed, refused, shared])
                spy.clear()
            fixture.reset()
        }

        function cleanup() {
            StoryNavigation.close()
            tryVerify(() => part("viewerPresentation") === null, 2000, "viewer taken away")
            StoryNavigation.shareEnabled = false
            StoryNavigation.linkScheme = ""
        }

        function openAndWait(groupId, pageId) {
            StoryNavigation.open("home", groupId, pageId ?? "")
            tryCompare(opened, "count", 1, 3000)
            tryVerify(() => part("viewerModel") !== null, 2000, "viewer presented")
            return part("viewerModel")
        }

        function test_opensAGroupAtAPageOverTheWindowAndHearsItClose() {
            // Letter case does not matter for UUIDs.
            const model = openAndWait(pollGroup.toUpperCase(), pollSecondPage.toUpperCase())
            compare(opened.signalArguments[0][0], "home")
            compare(opened.signalArguments[0][1], pollGroup)
            compare(opened.signalArguments[0][2], pollSecondPage)
            compare(model.currentGroupIndex, 1)
            compare(model.currentItemIndex, 1)
            verify(StoryNavigation.isOpen)
            // Over the whole window, nothing of a bar needed.
            compare(part("viewerPresentation").width, screen.width)

            mouseClick(part("closeButton"))
            tryCompare(closed, "count", 1)
            compare(closed.signalArguments[0][1], pollGroup)
            verify(!StoryNavigation.isOpen)
            tryVerify(() => part("viewerPresentation") === null, 2000, "viewer taken away")
            verify(fixture.events.indexOf("close:" + pollGroup) >= 0, "closing reported as from the bar")
        }

        function test_theHostSteersTheViewer() {
            const model = openAndWait(circleGroup)
            tryVerify(() => model.progress > 0)
            StoryNavigation.pause()
            tryVerify(() => model.isHeld)
            const frozen = model.progress
            wait(150)
            compare(model.progress, frozen)
            StoryNavigation.resume()
            tryVerify(() => model.progress > frozen)

            StoryNavigation.next()
            tryCompare(model, "currentItemIndex", 1)
            compare(pageChanged.count, 1)
            compare(pageChanged.signalArguments[0][2], "00000000-0000-4000-8000-000000000012")
            StoryNavigation.previous()
            tryCompare(model, "currentItemIndex", 0)
            StoryNavigation.close()
            tryCompare(closed, "count", 1)
        }

        function test_unknownIdsAndForeignLinksAreRefused_data() {
            return [
                { tag: "unknown group", open: () => StoryNavigation.open("home", "00000000-0000-4000-8000-000000000099"),
                  error: StoryNavigation.UnknownGroup },
                { tag: "unknown page", open: () => StoryNavigation.open("home", circleGroup, "nope"),
                  error: StoryNavigation.UnknownPage },
                { tag: "broken placement", open: () => StoryNavigation.open("missing", circleGroup),
                  error: StoryNavigation.LoadFailed },
                { tag: "other scheme", open: () => StoryNavigation.openLink("other://stories/home/" + circleGroup),
                  error: StoryNavigation.InvalidLink },
            ]
        }

        function test_unknownIdsAndForeignLinksAreRefused(data) {
            StoryNavigation.linkScheme = "demo"
            data.open()
            tryCompare(refused, "count", 1, 3000)
            compare(refused.signalArguments[0][0], data.error)
            verify(refused.signalArguments[0][1].startsWith("Cannot open story"))
            wait(50)
            compare(opened.count, 0)
            compare(part("viewerPresentation"), null)
        }

        function test_linksOpenUnderTheHostsScheme() {
            StoryNavigation.linkScheme = "demo"
            StoryNavigation.openLink("demo://stories/home/" + pollGroup + "/" + pollSecondPage)
            tryCompare(opened, "count", 1, 3000)
            tryVerify(() => part("viewerModel") !== null)
            compare(part("viewerModel").currentItemIndex, 1)
        }

        function test_shareButtonShowsOnlyWithAHandlerAndHandsOverTheLink() {
            openAndWait(circleGroup)
            tryVerify(() => part("closeButton") !== null && part("closeButton").visible)
            verify(!part("shareButton").visible, "no handler, no share button")
            StoryNavigation.close()
            tryVerify(() => part("viewerPresentation") === null, 2000)

            opened.clear()
            StoryNavigation.linkScheme = "demo"
            StoryNavigation.shareEnabled = true
            const model = openAndWait(circleGroup)
            const button = part("shareButton")
            tryVerify(() => button.visible)
            compare(button.Accessible.role, Accessible.Button)
            compare(button.Accessible.name, "Share")

            // Reached by keyboard: Tab from the viewer lands on it before the close button.
            model.pause()
            for (let i = 0; i < 4 && !button.activeFocus; ++i)
                keyClick(Qt.Key_Tab)
            verify(button.activeFocus, "Tab reaches the share button")
            keyClick(Qt.Key_Space)
            tryCompare(shared, "count", 1)
            compare(shared.signalArguments[0][0],
                    "demo://stories/home/" + circleGroup + "/00000000-0000-4000-8000-000000000011")
            compare(shared.signalArguments[0][1], "First page")

            mouseClick(part("shareHitArea"))
            tryCompare(shared, "count", 2)
        }
    }
}
