import QtQuick
import QtTest
import OrvaneStories

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
                if (bar.objectName === "" && bar.fill !== undefined) widths.push(findChild(bar, "fill").width / bar.width)
            }
            return widths
        }

        function show(style, count, active, value) {
            progress.theme = styled(style)
            progress.segmentCount = count
            progress.activeIndex = active
            progress.progress = value
        }

        function test_segmentsFillUpToThePageOnScreen() {
            show("segmented", 3, 1, 0.5)
            compare(fills(), [1, 0.5, 0])
            const row = findChild(progress, "segments")
            compare(row.children[0].width, (400 - 8) / 3)
            compare(row.children[0].height, 3)
            compare(findChild(row.children[0], "fill").color, Qt.color("#FF0000"))
        }

        function test_progressAndIndexAreClamped() {
            show("segmented", 3, 1, 1.7)
            compare(fills(), [1, 1, 0])
            show("segmented", 3, 1, -0.2)
            compare(fills(), [1, 0, 0])
            show("segmented", 3, 5, 0.3)
            compare(fills(), [1, 1, 1])
            show("segmented", 3, -1, 0.3)
            compare(fills(), [0, 0, 0])
        }

        function test_barStyle() {
            show("bar", 1, 0, 0.25)
            const single = findChild(progress, "singleBar")
            verify(single.visible)
            compare(findChild(single, "fill").width, 100)
            show("bar", 0, 0, 0.5)
            compare(findChild(single, "fill").width, 0)
            show("bar", 4, 1, 0.5)
            verify(!single.visible)
            compare(fills(), [1, 0.5, 0, 0])
        }

        function test_noneTakesNoSpace() {
            show("none", 3, 1, 0.5)
            verify(!progress.visible)
            compare(progress.implicitHeight, 0)
        }
    }
}
