import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal

Item {
    id: screen
    width: 600
    height: 800

    StoryBarView {
        id: bar
        width: parent.width
        placementKey: "home"
    }

    Component {
        id: viewerComponent
        StoryViewerView {
            anchors.fill: parent
            placementKey: "home"
        }
    }

    TestCase {
        name: "SeenState"
        when: windowShown

        function circleAt(index) {
            return findChild(findChild(bar, "bubbles").itemAtIndex(index), "outline").parent.parent
        }

        function test_bubblesOfGroupsReadToTheEndAreMutedInPlace() {
            const bubbles = findChild(bar, "bubbles")
            tryCompare(bubbles, "count", 4)
            const titles = () => [0, 1, 2, 3].map(index => circleAt(index).group.title)
            const order = titles()
            for (let index = 0; index < 4; ++index)
                verify(!circleAt(index).seen, "nothing seen yet")
            const vivid = String(findChild(circleAt(0), "outline").startColor)

            // The first group's first page is not its last; its third is. The last group has one page.
            const viewer = createTemporaryObject(viewerComponent, screen, { groups: fixture.homeGroups(), startIndex: 0 })
            const model = findChild(viewer, "viewerModel")
            tryCompare(model, "hasCurrentGroup", true)
            model.goToNext()
            wait(20)
            verify(!circleAt(0).seen)
            model.goToNext()
            tryVerify(() => circleAt(0).seen)
            model.goToNextGroup()
            model.goToNextGroup()
            model.goToNextGroup()
            tryVerify(() => circleAt(3).seen)
            verify(!circleAt(1).seen && !circleAt(2).seen, "groups skipped past are not seen")

            compare(titles(), order)
            const outline = findChild(circleAt(0), "outline")
            verify(!Qt.colorEqual(outline.startColor, vivid))
            verify(Qt.colorEqual(outline.startColor, outline.endColor))
        }
    }
}
