import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal

Item {
    width: 400
    height: 100

    StoryProgressView {
        id: progress
        width: 400
    }

    TestCase {
        name: "StoryProgressView"
        when: windowShown

        function styled(style) { return fixture.theme({ progressStyle: style, primaryColor: "#FF0000", secondaryColor: "#0000FF" }) }

        function fills() {
            const row = findChild(progress, "segments")
            const widths = []
            for (let i = 0; i < row.children.length; ++i) {
                const bar = row.children[i]
                // To a tenth: the fill keeps to whole pixels.
                if (bar.objectName === "" && bar.fill !== undefined)
                    widths.push(Math.round(10 * findChild(bar, "fill").width / bar.width) / 10)
            }
            return widths
        }

        function show(style, count, active, value) {
            progress.theme = styled(style)
            progress.segmentCount = count
            progress.activeIndex = active
            progress.progress = value
        }

        function test_segmentsFillUpToThePageOnScreen_data() {
            return [
                { tag: "segmented", style: "segmented", count: 3, active: 1, progress: 0.5, fills: [1, 0.5, 0] },
                { tag: "bar with several pages", style: "bar", count: 4, active: 1, progress: 0.5, fills: [1, 0.5, 0, 0] },
                { tag: "progress above one", style: "segmented", count: 3, active: 1, progress: 1.7, fills: [1, 1, 0] },
                { tag: "progress below zero", style: "segmented", count: 3, active: 1, progress: -0.2, fills: [1, 0, 0] },
                { tag: "index past the end", style: "segmented", count: 3, active: 5, progress: 0.3, fills: [1, 1, 1] },
                { tag: "index before the start", style: "segmented", count: 3, active: -1, progress: 0.3, fills: [0, 0, 0] },
            ]
        }

        function test_segmentsFillUpToThePageOnScreen(data) {
            show(data.style, data.count, data.active, data.progress)
            compare(fills(), data.fills)
            verify(!findChild(progress, "singleBar").visible)
            const first = findChild(progress, "segments").children[0]
            compare(first.width, (400 - 4 * (data.count - 1)) / data.count)
            compare(first.height, 3)
            compare(findChild(first, "fill").color, Qt.color("#FF0000"))
        }

        function test_fillMovesOnlyByWholePixels() {
            show("segmented", 3, 0, 0.5)
            const segment = findChild(progress, "segments").children[0]
            const fill = findChild(segment, "fill")
            compare(fill.width, Math.round(segment.width / 2))
            progress.progress = 40 / segment.width
            compare(fill.width, 40)
            progress.progress = 40.2 / segment.width
            compare(fill.width, 40)
            progress.progress = 41.2 / segment.width
            compare(fill.width, 41)
        }

        // A hidden item that changes size still costs the window a frame.
        function test_theHiddenBarHoldsStill() {
            show("segmented", 3, 1, 0.2)
            const hidden = findChild(findChild(progress, "singleBar"), "fill")
            progress.progress = 0.7
            compare(hidden.width, 0)
        }

        function test_barStyleWithFewerThanTwoPagesIsOneBar() {
            show("bar", 1, 0, 0.25)
            const single = findChild(progress, "singleBar")
            verify(single.visible)
            compare(findChild(single, "fill").width, 100)
            show("bar", 0, 0, 0.5)
            compare(findChild(single, "fill").width, 0)
        }

        // Right to left, the pages run from the right and each bar fills from its right end.
        function test_rightToLeftFillsFromTheRight() {
            progress.LayoutMirroring.enabled = true
            show("segmented", 3, 1, 0.5)
            const bars = Array.from(findChild(progress, "segments").children).filter(bar => bar.fill !== undefined)
            tryVerify(() => bars[0].x > bars[1].x && bars[1].x > bars[2].x, 1000, "the first page is rightmost")
            const fill = findChild(bars[1], "fill")
            compare(fill.x + fill.width, bars[1].width)
            compare(fill.width, Math.round(bars[1].width / 2))
            show("bar", 1, 0, 0.25)
            const single = findChild(findChild(progress, "singleBar"), "fill")
            compare(single.x, 300)
            progress.LayoutMirroring.enabled = false
            compare(single.x, 0)
        }

        function test_noneTakesNoSpace() {
            show("none", 3, 1, 0.5)
            verify(!progress.visible)
            compare(progress.implicitHeight, 0)
        }
    }
}
