import QtQuick
import QtTest
import OrvaneStories

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

    TestCase {
        name: "Loading"
        when: windowShown

        function groupOf(mediaUrl) {
            return fixture.groupsFrom(JSON.stringify({ groups: [{
                id: "00000000-0000-4000-8000-000000000009", title: "Media",
                items: [{ id: "00000000-0000-4000-8000-000000000091", type: "IMAGE", title: "A page",
                          durationSeconds: 30, media: { mediaType: "IMAGE", mediaUrl: mediaUrl } }]
            }] }))
        }

        function open(mediaUrl) {
            fixture.reset()
            const viewer = createTemporaryObject(viewerComponent, screen, { groups: groupOf(mediaUrl), startIndex: 0 })
            tryCompare(findChild(viewer, "viewerModel"), "hasCurrentGroup", true)
            return viewer
        }

        function test_progressWaitsForTheImageAndASpinnerShowsAfterAGlance() {
            const viewer = open("https://cdn.example.test/held-page.png")
            const model = findChild(viewer, "viewerModel")
            const spinner = findChild(viewer, "loadingSpinner")
            tryCompare(findChild(viewer, "pageImage"), "status", StoryRemoteImage.Loading)
            verify(!spinner.visible, "no spinner at once")
            tryVerify(() => spinner.visible, 1000)
            compare(model.progress, 0)
            wait(100)
            compare(model.progress, 0)

            fixture.releaseImages()
            tryCompare(findChild(viewer, "pageImage"), "status", StoryRemoteImage.Ready)
            verify(!spinner.visible)
            tryVerify(() => model.progress > 0)
        }

        function test_failedImageShowsQuietlyAndThePagePlaysOn() {
            const viewer = open("https://cdn.example.test/broken-page.png")
            const model = findChild(viewer, "viewerModel")
            tryCompare(findChild(viewer, "pageImage"), "status", StoryRemoteImage.Error)
            verify(findChild(viewer, "mediaFailed").visible)
            verify(!findChild(viewer, "loadingSpinner").visible)
            tryVerify(() => model.progress > 0)
            verify(findChild(viewer, "pageTitle").visible)
        }

        function test_holdingDuringALoadKeepsThePageHeldAfterIt() {
            const viewer = open("https://cdn.example.test/held-hold.png")
            const model = findChild(viewer, "viewerModel")
            tryCompare(findChild(viewer, "pageImage"), "status", StoryRemoteImage.Loading)
            keyClick(Qt.Key_Space)
            fixture.releaseImages()
            tryCompare(findChild(viewer, "pageImage"), "status", StoryRemoteImage.Ready)
            wait(120)
            compare(model.progress, 0)
            keyClick(Qt.Key_Space)
            tryVerify(() => model.progress > 0)
        }
    }
}
