import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal

Item {
    width: 400
    height: 700

    Column {
        width: parent.width

        // Three bubbles fit; the fourth comes into view by scrolling.
        StoryBarView {
            id: bar
            width: 270
            placementKey: "home"
        }
        StoryBarView {
            id: failing
            width: parent.width
            placementKey: "missing"
        }
    }

    // Created with the file, so it hears every event the bars report.
    SignalSpy {
        id: failingErrors
        target: failing
        signalName: "errorOccurred"
    }

    SignalSpy {
        id: sdkEvents
        target: StoryEvents
        signalName: "occurred"
    }

    TestCase {
        name: "StoryBarView"
        when: windowShown

        readonly property var groupIds: ["00000000-0000-4000-8000-000000000001", "00000000-0000-4000-8000-000000000002",
                                         "00000000-0000-4000-8000-000000000003", "00000000-0000-4000-8000-000000000004"]

        function bubbles() { return findChild(bar, "bubbles") }

        function bubbleAt(index) {
            bubbles().positionViewAtIndex(index, ListView.Contain)
            tryVerify(() => bubbles().itemAtIndex(index) !== null)
            return bubbles().itemAtIndex(index)
        }

        function impressions() {
            return fixture.events.filter(event => event.startsWith("impression:")).map(event => event.substring(11))
        }

        property var impressionsOnArrival: []

        function initTestCase() {
            tryCompare(bar, "height", 110)
            wait(20)
            impressionsOnArrival = impressions()
        }

        function test_barTakesNoSpaceWithoutGroups() {
            compare(bar.implicitHeight, 110)
            compare(bubbles().count, 4)
            wait(20)
            compare(failing.height, 0)
            verify(!failing.visible)
        }

        function test_bubblesReportImpressionsInBarOrderAsTheyComeIntoView() {
            compare(impressionsOnArrival, groupIds.slice(0, 3))
            bubbles().positionViewAtEnd()
            tryVerify(() => impressions().length === 4)
            compare(impressions()[3], groupIds[3])
        }

        function test_bubbleShapeFollowsTheTheme_data() {
            return [
                { tag: "circle", index: 0, radius: 32, start: "#FFFFFF", end: "#3366FF" },
                { tag: "rounded", index: 1, radius: 16, start: "#1A1A40", end: "#F72585" },
                { tag: "square", index: 2, radius: 0, start: "#2A9D8F", end: "#E9C46A" },
            ]
        }

        function test_bubbleShapeFollowsTheTheme(data) {
            const entry = bubbleAt(data.index)
            const bubble = findChild(entry, "bubble")
            compare(bubble.width, 64)
            compare(bubble.height, 64)
            const cover = findChild(entry, "cover")
            compare(cover.radius, data.radius)
            tryCompare(cover, "status", StoryRemoteImage.Ready)
            verify(findChild(entry, "coverPlaceholder") === null)
            const outline = findChild(entry, "outline")
            compare(outline.radius, data.radius)
            compare(outline.lineWidth, 3)
            compare(outline.startColor, Qt.color(data.start))
            compare(outline.endColor, Qt.color(data.end))
        }

        function test_groupWithoutCoverShowsThePlaceholderAndLongTitlesAreCut() {
            const entry = bubbleAt(3)
            const placeholder = findChild(entry, "coverPlaceholder")
            verify(placeholder !== null)
            compare(placeholder.width, 64)
            verify(findChild(entry, "outline").visible)
            const title = findChild(entry, "title")
            compare(title.width, 76)
            compare(title.lineCount, 1)
            verify(title.truncated)
            compare(title.font.pixelSize, 12)
            verify(!findChild(bubbleAt(0), "title").truncated)
        }

        function test_tappingABubblePresentsTheViewerUntilItCloses_data() {
            return [
                { tag: "closed by escape", index: 2, title: "Square", closeButton: false },
                { tag: "closed by the viewer", index: 0, title: "Circle", closeButton: true },
            ]
        }

        function test_tappingABubblePresentsTheViewerUntilItCloses(data) {
            const presentation = findChild(bar, "viewerPresentation")
            mouseClick(bubbleAt(data.index))
            tryVerify(() => presentation.opened)
            // The viewer covers the window: banners beneath stop until it goes.
            const cover = WindowCovers.of(bar.Window.window)
            verify(cover.covered)
            const viewer = presentation.contentItem.item
            compare(viewer.startIndex, data.index)
            compare(viewer.width, 400)
            compare(viewer.height, 700)
            const viewerModel = findChild(viewer, "viewerModel")
            tryCompare(viewerModel, "groupTitle", data.title)
            compare(viewerModel.groups.count, 4)
            // Open and still, the viewer hides all of the window: the bar beneath draws nothing,
            // until a downward drag shows what lies beneath again.
            tryVerify(() => cover.hidden)
            compare(findChild(bar, "bubbles").opacity, 0)
            mousePress(viewer, 200, 300)
            mouseMove(viewer, 200, 330)
            mouseMove(viewer, 200, 360)
            tryVerify(() => !cover.hidden)
            compare(findChild(bar, "bubbles").opacity, 1)
            mouseRelease(viewer, 200, 360)
            tryVerify(() => cover.hidden)
            if (data.closeButton)
                mouseClick(findChild(viewer, "closeButton"))
            else
                keyClick(Qt.Key_Escape)
            tryVerify(() => !presentation.visible)
            verify(!cover.covered)
            verify(!cover.hidden)
            compare(findChild(bar, "bubbles").opacity, 1)
            verify(presentation.contentItem.item === null)
            if (data.closeButton)
                compare(fixture.events.filter(event => event === "close:" + groupIds[data.index]).length, 1)
        }

        function test_statusTellsLoadedFromFailed() {
            compare(bar.status, StoryBarView.Ready)
            compare(bar.error, StoryBarView.NoError)
            compare(bar.errorString, "")
            tryCompare(failing, "status", StoryBarView.Error)
            compare(failing.error, StoryBarView.ServiceError)
            verify(failing.errorString.length > 0)
            compare(failingErrors.count, 1)
            compare(failingErrors.signalArguments[0][0], StoryBarView.ServiceError)
            compare(failingErrors.signalArguments[0][1], failing.errorString)
        }

        function test_eventsReachQmlWithTheirFields() {
            const first = [...Array(sdkEvents.count).keys()].map(i => sdkEvents.signalArguments[i])
                .find(args => args[0] === StoryEvents.StoryGroupImpression)
            verify(first !== undefined)
            compare(first[1], groupIds[0])
            compare(first[2], "")
        }
    }
}
