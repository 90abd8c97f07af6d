import QtQuick
import QtTest
import QtMultimedia
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

    TestCase {
        name: "Loading"
        when: windowShown

        function groupOf(mediaUrl, mediaType) {
            return fixture.groupsFrom(JSON.stringify({ groups: [{
                id: "00000000-0000-4000-8000-000000000009", title: "Media",
                items: [{ id: "00000000-0000-4000-8000-000000000091", type: mediaType, title: "A page",
                          durationSeconds: 30, media: { mediaType: mediaType, mediaUrl: mediaUrl } }]
            }] }))
        }

        function open(mediaUrl, mediaType) {
            fixture.reset()
            const viewer = createTemporaryObject(viewerComponent, screen,
                                                 { groups: groupOf(mediaUrl, mediaType ?? "IMAGE"), startIndex: 0 })
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
            // One sign in the page's middle: the spinner, not the picture symbol beneath it.
            const symbol = findChild(viewer, "placeholderSymbol")
            verify(symbol === null || !symbol.visible, "no picture symbol under the spinner")
            compare(model.progress, 0)
            wait(100)
            compare(model.progress, 0)

            fixture.releaseImages()
            tryCompare(findChild(viewer, "pageImage"), "status", StoryRemoteImage.Ready)
            verify(!spinner.visible)
            tryVerify(() => model.progress > 0)
        }

        // The page's black lies only around an opaque picture, never beneath it, and leaves no
        // seam: beneath it, it cost a software renderer a window of pixels on every frame.
        function test_blackFramesThePictureWithoutLyingBeneathIt() {
            const viewer = open("https://cdn.example.test/square.png")
            const image = findChild(viewer, "pageImage")
            tryCompare(image, "status", StoryRemoteImage.Ready)
            verify(image.opaque)
            compare(image.paintedRect, Qt.rect(0, 200, 400, 400))
            const above = findChild(viewer, "blackAbove")
            const below = findChild(viewer, "blackBelow")
            verify(above.height >= 200 && above.height <= 202)
            verify(below.y >= 598 && below.y <= 600)
            compare(below.y + below.height, 800)
            verify(!findChild(viewer, "blackLeft").visible || findChild(viewer, "blackLeft").width <= 1)
            const grabbed = grabImage(viewer)
            for (const y of [100, 199, 601, 700])
                verify(Qt.colorEqual(grabbed.pixel(200, y), "black"), "black at " + y)
            for (const y of [201, 400, 598]) {
                const colour = grabbed.pixel(200, y)
                verify(colour.r > 0.6 && colour.g < 0.3, "the picture at " + y)
            }
        }

        function test_failedImageShowsQuietlyAndThePagePlaysOn() {
            const viewer = open("https://cdn.example.test/broken-page.png")
            const model = findChild(viewer, "viewerModel")
            tryCompare(findChild(viewer, "pageImage"), "status", StoryRemoteImage.Error)
            verify(findChild(viewer, "mediaFailed").visible)
            // One sign in the page's middle, not the picture symbol beneath the failure's.
            verify(!findChild(viewer, "placeholderSymbol").visible)
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

        // The fixture answers every video but a held one's with nothing playable, so a released
        // video ends in the failure state: what matters is that the page no longer waits.
        function test_progressWaitsForTheVideoUntilItsRequestIsAnswered() {
            const viewer = open("https://cdn.example.test/held-clip.mp4", "VIDEO")
            const model = findChild(viewer, "viewerModel")
            const video = findChild(viewer, "media").item
            const spinner = findChild(viewer, "loadingSpinner")
            tryVerify(() => video.loading)
            tryVerify(() => spinner.visible, 1000)
            verify(video.paused)
            compare(model.progress, 0)
            wait(100)
            compare(model.progress, 0)

            fixture.releaseImages()
            tryVerify(() => !video.loading)
            verify(!spinner.visible)
            verify(!video.paused)
            tryVerify(() => model.progress > 0)
        }

        function test_progressWaitsUntilThePlayerHasOpenedTheVideo() {
            if (!fixture.servesVideo)
                skip("no video to serve in this build")
            const viewer = open("https://cdn.example.test/held-clip.avi", "VIDEO")
            const model = findChild(viewer, "viewerModel")
            const video = findChild(viewer, "media").item
            tryVerify(() => video.loading)
            wait(100)
            compare(model.progress, 0)

            fixture.releaseImages()
            tryVerify(() => !video.loading, 5000)
            verify(!video.failed)
            verify(!findChild(viewer, "mediaFailed").visible)
            verify(!findChild(viewer, "loadingSpinner").visible)
            tryVerify(() => model.progress > 0)
        }

        function test_aVideoHeldByTheUserWhileLoadingStaysStillOnceLoaded() {
            if (!fixture.servesVideo)
                skip("no video to serve in this build")
            const viewer = open("https://cdn.example.test/held-still.avi", "VIDEO")
            const video = findChild(viewer, "media").item
            tryVerify(() => video.loading)
            keyClick(Qt.Key_Space)
            fixture.releaseImages()
            tryVerify(() => !video.loading, 5000)
            const player = findChild(video, "player")
            wait(50)
            verify(player.playbackState !== MediaPlayer.PlayingState)
            keyClick(Qt.Key_Space)
            tryCompare(player, "playbackState", MediaPlayer.PlayingState)
        }

        function test_failedVideoShowsQuietlyAndThePagePlaysOn() {
            const viewer = open("https://cdn.example.test/broken-clip.mp4", "VIDEO")
            const model = findChild(viewer, "viewerModel")
            tryVerify(() => findChild(viewer, "media").item.failed)
            verify(findChild(viewer, "mediaFailed").visible)
            verify(!findChild(viewer, "loadingSpinner").visible)
            tryVerify(() => model.progress > 0)
            verify(findChild(viewer, "pageTitle").visible)
        }
    }
}
