import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal

// Right to left comes from the application's layout direction or from the locale's script, for
// banners as for the story bar and viewer; also run with a Hebrew locale alone.
Item {
    width: 400
    height: 400

    Component {
        id: bannerComponent
        BannerView {}
    }
    Component {
        id: barComponent
        StoryBarView {}
    }
    Component {
        id: viewerComponent
        StoryViewerView {}
    }

    TestCase {
        name: "BannerDirection"

        function test_every_view_reads_direction_alike() {
            const expected = Qt.application.layoutDirection === Qt.RightToLeft
                             || Qt.locale().textDirection === Qt.RightToLeft
            if (Qt.locale().name.startsWith("he"))
                verify(expected, "a Hebrew locale reads right to left")
            for (const component of [bannerComponent, barComponent, viewerComponent])
                compare(createTemporaryObject(component, parent).rightToLeft, expected, String(component))
        }
    }
}
