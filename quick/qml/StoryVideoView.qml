import QtQuick
import QtMultimedia
import OrvaneStories

// Plays a video with sound, from the start, on a black ground. Every new URL and every return to
// the screen gets a new player; leaving the screen pauses and drops it. No looping, no controls.
Rectangle {
    id: root

    property url url
    property bool muted: false
    // Holds the video where it is, for as long as it is set.
    property bool paused: false

    readonly property bool hasPlayer: session.item !== null

    color: "black"

    function restart() {
        if (session.item)
            session.item.pause()
        session.active = false
        session.active = visible && url.toString() !== ""
    }

    onUrlChanged: restart()
    onVisibleChanged: restart()
    Component.onCompleted: restart()

    Loader {
        id: session
        objectName: "session"
        anchors.fill: parent
        active: false

        sourceComponent: Item {
            function pause() { player.pause() }

            readonly property bool held: root.paused
            onHeldChanged: held ? player.pause() : player.play()

            VideoOutput {
                id: output
                anchors.fill: parent
            }
            MediaPlayer {
                id: player
                videoOutput: output
                audioOutput: AudioOutput {
                    muted: root.muted
                }
            }
            // Fetches over the SDK's verified transport and starts the player once the bytes are in.
            StoryVideoSource {
                url: root.url
                player: player
            }
        }
    }
}
