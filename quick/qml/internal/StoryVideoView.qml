import QtQuick
import QtMultimedia
import OrvaneStories.Internal

// Plays a video with sound, from the start, on a black ground. Every new URL and every return to
// the screen gets a new player; leaving the screen pauses and drops it. No looping, no controls.
Rectangle {
    id: root

    property url url
    property bool muted: false
    // Holds the video where it is, for as long as it is set.
    property bool paused: false

    readonly property bool hasPlayer: session.item !== null
    // The video is on its way (its first bytes are downloading, or the player is still opening
    // them) or its playback has stalled waiting for more.
    readonly property bool loading: session.item?.loading ?? false
    // The video could not be fetched or played.
    readonly property bool failed: session.item?.failed ?? false

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

            readonly property bool failed: source.status === StoryVideoSource.Error
                                           || player.mediaStatus === MediaPlayer.InvalidMedia
                                           || player.error !== MediaPlayer.NoError
            readonly property bool loading: !failed && (source.status === StoryVideoSource.Loading || source.buffering
                || (source.status === StoryVideoSource.Ready && (player.mediaStatus === MediaPlayer.NoMedia
                                                                 || player.mediaStatus === MediaPlayer.LoadingMedia
                                                                 || player.mediaStatus === MediaPlayer.StalledMedia)))

            readonly property bool held: root.paused
            onHeldChanged: held ? player.pause() : player.play()

            VideoOutput {
                id: output
                anchors.fill: parent
            }
            MediaPlayer {
                id: player
                objectName: "player"
                // The source starts it once the bytes are in, which may be while the page is held.
                onPlaybackStateChanged: if (root.paused && playbackState === MediaPlayer.PlayingState) pause()
                videoOutput: output
                audioOutput: AudioOutput {
                    muted: root.muted
                }
            }
            // Streams over the SDK's verified transport and starts the player once the first bytes are in.
            StoryVideoSource {
                id: source
                url: root.url
                player: player
            }
        }
    }
}
