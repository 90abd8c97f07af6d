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

    TestCase {
        name: "Sound"
        when: windowShown

        function videoGroup() {
            const page = index => ({ id: "00000000-0000-4000-8000-00000000007" + index, type: "VIDEO", durationSeconds: 30,
                                     media: { mediaType: "VIDEO", mediaUrl: "https://cdn.example.test/clip-" + index + ".mp4" } })
            return fixture.groupsFrom(JSON.stringify({ groups: [{
                id: "00000000-0000-4000-8000-000000000007", title: "Clips",
                items: [page(1), page(2), { id: "00000000-0000-4000-8000-000000000079", type: "IMAGE", durationSeconds: 30,
                                            media: { mediaType: "IMAGE", mediaUrl: "https://cdn.example.test/still.png" } }]
            }] }))
        }

        function open(properties) {
            const viewer = createTemporaryObject(viewerComponent, screen,
                                                 Object.assign({ groups: videoGroup(), startIndex: 0 }, properties ?? {}))
            tryCompare(findChild(viewer, "viewerModel"), "hasCurrentGroup", true)
            return viewer
        }

        function video(viewer) { return findChild(viewer, "media").item }

        // One function, in order: the choice it makes holds for the rest of the process.
        function test_muteToggleIsSharedByTheVideosAndRememberedForTheProcess() {
            // Before the user chooses, the host's option decides; sound by default.
            let viewer = open({ startsMuted: true })
            verify(video(viewer).muted)
            viewer.destroy()
            viewer = open()
            verify(!video(viewer).muted)
            const button = findChild(viewer, "muteButton")
            verify(button.visible)
            compare(button.Accessible.name, "Mute")

            mouseClick(button)
            verify(video(viewer).muted)
            compare(button.Accessible.name, "Turn sound on")
            const model = findChild(viewer, "viewerModel")
            model.goToNext()
            tryCompare(model, "currentItemIndex", 1)
            verify(video(viewer).muted, "the second video starts muted too")

            // The still page has no sound to toggle.
            model.goToNext()
            tryCompare(model, "currentItemIndex", 2)
            verify(!button.visible)

            // A later viewer keeps the choice, whatever the host's option.
            viewer.destroy()
            viewer = open({ startsMuted: false })
            verify(video(viewer).muted)
            findChild(viewer, "muteButton").forceActiveFocus()
            keyClick(Qt.Key_Return)
            verify(!video(viewer).muted)
        }

        function test_holdingPausesTheVideo() {
            const viewer = open()
            // A video still on its way is held too.
            tryVerify(() => !video(viewer).loading)
            verify(!video(viewer).paused)
            keyClick(Qt.Key_K)
            verify(video(viewer).paused)
            keyClick(Qt.Key_K)
            verify(!video(viewer).paused)
        }
    }
}
