import QtQuick
import OrvaneStories

// A host app's home screen, as the demo lays it out: the story bar above two banner placements.
Window {
    width: 420
    height: 900
    visible: true
    color: "#F4F4F6"

    Column {
        width: parent.width
        spacing: 10
        topPadding: 12

        StoryBarView {
            objectName: "storyBar"
            width: parent.width
            placementKey: "home"
        }
        BannerView {
            x: 16
            width: parent.width - 32
            placementKey: "home_banner"
        }
        BannerView {
            x: 16
            width: parent.width - 32
            placementKey: "home_story_banner"
        }
    }
}
