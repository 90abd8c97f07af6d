import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal

Item {
    id: stage
    width: 100
    height: 100

    Component {
        id: videoComponent
        StoryVideoView {
            anchors.fill: parent
        }
    }

    TestCase {
        name: "StoryVideoView"
        when: windowShown

        function test_a_player_only_while_on_screen_with_a_url() {
            const video = createTemporaryObject(videoComponent, stage)
            verify(!video.hasPlayer)
            compare(video.color, Qt.color("black"))

            video.url = "file:///nonexistent/first.mp4"
            verify(video.hasPlayer)
            const session = findChild(video, "session")
            const first = session.item
            video.url = "file:///nonexistent/second.mp4"
            verify(session.item !== first)

            video.visible = false
            verify(!video.hasPlayer)
            video.visible = true
            verify(video.hasPlayer)
        }
    }
}
