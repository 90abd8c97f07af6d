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
        name: "Motion"
        when: windowShown

        function open() {
            const viewer = createTemporaryObject(viewerComponent, screen, { groups: fixture.homeGroups(), startIndex: 0 })
            dismissals.target = viewer
            dismissals.clear()
            tryCompare(findChild(viewer, "viewerModel"), "hasCurrentGroup", true)
            tryCompare(findChild(viewer, "nextZone"), "x", 260)  // laid out
            return viewer
        }

        function test_holdingFadesTheChromeAwayAndBack() {
            const viewer = open()
            const header = findChild(viewer, "header"), texts = findChild(viewer, "pageTexts")
            compare(header.opacity, 1)
            mousePress(findChild(viewer, "previousZone"))
            tryCompare(header, "opacity", 0)
            compare(texts.opacity, 0)
            mouseRelease(findChild(viewer, "previousZone"))
            tryCompare(header, "opacity", 1)
            compare(texts.opacity, 1)
        }

        // Positions on the window: the viewer moves under the pointer.
        function test_downwardDragCarriesTheViewerAndSpringsBackShortOfClosing() {
            const viewer = open()
            const follow = viewer.transform[0]
            mousePress(screen, 200, 300)
            mouseMove(screen, 200, 330)
            mouseMove(screen, 200, 360)
            tryVerify(() => follow.y > 40, 1000, "follows: " + follow.y)
            mouseRelease(screen, 200, 360)
            tryCompare(follow, "y", 0, 3000)
            compare(dismissals.count, 0)
        }

        function test_sidewaysDragChangesGroupWithASlide_data() {
            return [
                { tag: "leftwards: next", dx: -150, group: 1, rightToLeft: false },
                { tag: "rightwards, right to left: next", dx: 150, group: 1, rightToLeft: true },
                { tag: "too short", dx: -90, group: 0, rightToLeft: false },
            ]
        }

        function test_sidewaysDragChangesGroupWithASlide(data) {
            const viewer = open()
            viewer.rightToLeft = data.rightToLeft
            const model = findChild(viewer, "viewerModel")
            const shift = viewer.transform[1]
            viewer.finishDrag(Qt.point(data.dx, 10), Qt.point(data.dx, 10))
            tryCompare(model, "currentGroupIndex", data.group)
            if (data.group === 0) {
                compare(shift.x, 0)
                return
            }
            verify(shift.x !== 0, "slides in")
            tryCompare(shift, "x", 0)
            compare(dismissals.count, 0)
        }

        function test_viewerGrowsOutOfTheTappedBubbleAndShrinksBackIntoIt() {
            const bubbles = findChild(bar, "bubbles")
            tryCompare(bubbles, "count", 4)
            const presentation = findChild(bar, "viewerPresentation")
            mouseClick(bubbles.itemAtIndex(1))
            tryVerify(() => presentation.visible)
            verify(presentation.scale < 0.5, "starts at the bubble's size: " + presentation.scale)
            tryCompare(presentation, "opened", true)
            compare(presentation.scale, 1)
            compare(presentation.x, 0)

            tryVerify(() => presentation.contentItem.item?.activeFocus)
            keyClick(Qt.Key_Escape)
            tryVerify(() => presentation.scale < 0.9, 1000, "shrinks on the way out")
            tryCompare(presentation, "visible", false)
        }
    }
}
