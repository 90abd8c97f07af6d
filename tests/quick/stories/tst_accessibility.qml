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
        width: 1000
        placementKey: "home"
    }

    TestCase {
        name: "Accessibility"
        when: windowShown

        property var viewer: null

        function open(group) {
            viewer = createTemporaryObject(viewerComponent, screen, { groups: fixture.homeGroups(), startIndex: group })
            fixture.reset()
            tryCompare(findChild(viewer, "viewerModel"), "hasCurrentGroup", true)
            tryCompare(findChild(viewer, "nextZone"), "x", 260)  // laid out
            return viewer
        }

        function model() { return findChild(viewer, "viewerModel") }
        function part(name) { return findChild(viewer, name) }

        function card() {
            tryVerify(() => part("widget").item !== null)
            const item = part("widget").item
            tryVerify(() => !isPolishScheduled(findChild(item, "cardContent")), 1000, "rows laid out")
            return item
        }

        function test_bubblesNameTheirGroupAndPageCount() {
            const bubbles = findChild(bar, "bubbles")
            tryCompare(bubbles, "count", 4)
            const names = []
            for (let i = 0; i < 4; ++i) {
                const entry = bubbles.itemAtIndex(i)
                compare(entry.Accessible.role, Accessible.Button)
                names.push(entry.Accessible.name)
            }
            compare(names, ["Circle, story, 3 pages", "Rounded, story, 2 pages", "Square, story, 2 pages",
                            "A group title far too long for one bubble, story, 1 page"])

            const circle = findChild(bubbles.itemAtIndex(0), "bubble").parent
            mousePress(circle)
            const pressedScale = circle.scale
            mouseRelease(circle)
            verify(pressedScale < 1, "pressed bubble shrinks")
            compare(circle.scale, 1)
            const presentation = findChild(bar, "viewerPresentation")
            tryCompare(presentation, "opened", true)
            tryVerify(() => presentation.contentItem.item?.activeFocus)
            keyClick(Qt.Key_Escape)
            tryCompare(presentation, "visible", false)
        }

        function test_viewerControlsAreNamedButtons() {
            open(0)
            compare(viewer.Accessible.name, "Circle")
            const close = part("closeButton"), cta = part("ctaButton")
            compare(close.Accessible.role, Accessible.Button)
            compare(close.Accessible.name, "Close")
            compare(cta.Accessible.role, Accessible.Button)
            compare(cta.Accessible.name, "Open")
        }

        function test_pagePositionIsReadOut() {
            open(0)
            const progress = part("progress")
            compare(progress.Accessible.name, "Page 1 of 3")
            model().goToNext()
            tryCompare(progress.Accessible, "name", "Page 2 of 3")
        }

        function test_optionsNameTheirTextThenTheirResult() {
            open(1)
            const rows = [0, 1, 2].map(i => findChild(card(), "option" + i))
            compare(rows.map(row => row.Accessible.role), [Accessible.Button, Accessible.Button, Accessible.Button])
            compare(rows.map(row => row.Accessible.name), ["First", "Second", "Third"])
            // Pressed, it shades; let go below it, it does nothing.
            mousePress(rows[0])
            const shaded = findChild(rows[0], "pressedShade").visible
            mouseMove(rows[0], rows[0].width / 2, rows[0].height + 20)
            mouseRelease(rows[0], rows[0].width / 2, rows[0].height + 20)
            verify(shaded)
            verify(!findChild(rows[0], "pressedShade").visible)
            mouseClick(rows[1])
            tryCompare(model(), "isVotingInProgress", true)
            fixture.releaseVotes()
            tryCompare(model(), "showResults", true)
            tryVerify(() => rows[1].Accessible.name === "Second, 33%, your choice", 1000,
                      rows[1].Accessible.name + " voted " + model().votedOptionId + " " + rows.map(r => r.option.id))
            compare(rows[0].Accessible.name, "First, 33%")

            model().goToNext()
            tryCompare(model(), "currentItemIndex", 1)
            tryVerify(() => findChild(part("widget").item, "option1")?.Accessible.name === "Wrong")
            const quizRows = [0, 1].map(i => findChild(card(), "option" + i))
            compare(quizRows.map(row => row.Accessible.name), ["Right", "Wrong"])
            quizRows[1].forceActiveFocus()
            keyClick(Qt.Key_Space)
            tryCompare(model(), "isVotingInProgress", true)
            fixture.releaseVotes()
            tryCompare(model(), "showResults", true)
            tryVerify(() => quizRows[0].Accessible.name.startsWith("Right, ") && quizRows[0].Accessible.name.endsWith(", correct answer"),
                      1000, quizRows[0].Accessible.name)
            verify(quizRows[1].Accessible.name.endsWith(", your choice"), quizRows[1].Accessible.name)
        }

        function test_swipeControlIsAButtonThatSwipes() {
            open(2)
            tryVerify(() => part("widget").item !== null)
            const arrow = findChild(part("widget").item, "arrow")
            compare(arrow.Accessible.role, Accessible.Button)
            verify(arrow.Accessible.name !== "")
        }

        function test_closeButtonIsAFingerWide() {
            open(0)
            const hit = part("closeHitArea")
            verify(hit.width >= 44 && hit.height >= 44, hit.width + "x" + hit.height)
            // Its edge, outside the drawn circle, still closes.
            const close = part("closeButton")
            const corner = hit.mapToItem(viewer, 1, 1)
            verify(!close.contains(close.mapFromItem(viewer, corner.x, corner.y)))
            mouseClick(viewer, corner.x, corner.y)
            tryCompare(model(), "shouldDismiss", true)
        }

        function test_controlsShowTheirPress() {
            open(0)
            const close = part("closeButton"), cta = part("ctaButton")
            const idle = close.color.a
            mousePress(close)
            const pressed = close.color.a
            mouseMove(close, close.width / 2, close.height + 20)
            mouseRelease(close, close.width / 2, close.height + 20)  // let go outside: no close
            verify(pressed > idle)
            compare(close.color.a, idle)

            mousePress(cta)
            const pressedOpacity = cta.opacity
            mouseMove(cta, cta.width / 2, cta.height + 20)
            mouseRelease(cta, cta.width / 2, cta.height + 20)
            verify(pressedOpacity < 1)
            compare(cta.opacity, 1)
            wait(20)
            verify(!model().shouldDismiss)
            compare(fixture.openedUrls, [])
        }
    }
}
