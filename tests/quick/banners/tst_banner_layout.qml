import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal
import BannerFixture

// Each kind of banner at phone and desktop window sizes, with safe-area insets: the slide keeps
// inside the insets and its indicator inside the slide.
Item {
    id: root
    width: 1920
    height: 1080

    Rectangle {
        id: screen
        color: "#F4F4F6"
        clip: true
    }

    Component {
        id: bannerComponent
        BannerView {
            height: implicitHeight
        }
    }

    TestCase {
        name: "BannerLayout"
        when: windowShown

        readonly property var sizes: [[320, 568], [390, 844], [1280, 800], [1920, 1080]]

        function sceneRect(item) {
            const p = item.mapToItem(null, 0, 0)
            return Qt.rect(p.x, p.y, item.width, item.height)
        }
        function inside(inner, outer) {
            return inner.x >= outer.x - 0.5 && inner.y >= outer.y - 0.5
                && inner.x + inner.width <= outer.x + outer.width + 0.5
                && inner.y + inner.height <= outer.y + outer.height + 0.5
        }

        function slides(count, name) {
            const found = []
            for (let id = 1; id <= count; ++id)
                found.push({ id: id, mediaUrl: Fixture.imageUrl(32, 18, `${name}-${id}`), orderIndex: id, ctaType: "NONE" })
            return found
        }

        function test_kinds_data() {
            const cases = []
            for (const size of sizes)
                for (const type of ["STATIC", "CAROUSEL", "STORY"])
                    for (const rightToLeft of [false, true])
                        cases.push({ tag: `${type} ${size[0]}x${size[1]}${rightToLeft ? " rtl" : ""}`, type, size,
                                     rightToLeft })
            return cases
        }

        function test_kinds(data) {
            screen.width = data.size[0]
            screen.height = data.size[1]
            const phone = data.size[0] < 600
            const insets = phone ? { top: 47, bottom: 34, left: 8, right: 8 } : { top: 0, bottom: 0, left: 0, right: 0 }
            const key = `layout-${data.type}-${data.size[0]}${data.rightToLeft ? "-rtl" : ""}`
            const count = data.type === "STATIC" ? 1 : 3
            Fixture.serveBanners(key, JSON.stringify({ banners: [{ id: 1, type: data.type, placementKey: key, viewOrder: 0,
                                                                 autoplaySeconds: 1, items: slides(count, key) }] }))
            // A desktop host gives a banner a column, not the whole width of its window.
            const width = Math.min(data.size[0], 560)
            const view = createTemporaryObject(bannerComponent, screen, { placementKey: key, width: width,
                                                                          x: (data.size[0] - width) / 2,
                                                                          rightToLeft: data.rightToLeft })
            view.safeAreaInsets.top = insets.top
            view.safeAreaInsets.bottom = insets.bottom
            view.safeAreaInsets.left = insets.left
            view.safeAreaInsets.right = insets.right
            tryCompare(findChild(view, "placement"), "hasContent", true)
            tryCompare(findChild(view, "slide"), "status", StoryRemoteImage.Ready)
            findChild(view, "gestures").forceActiveFocus()
            wait(0)
            const picture = grabImage(screen)
            const directory = Fixture.shotsDirectory()
            if (directory !== "")
                picture.save(`${directory}/banner-${data.tag.replace(/ /g, "-")}.png`)
            // Whatever the renderer, an empty bar shows its translucent track over the slide:
            // 0.34 white over the slide's blue, not the opaque white of a shadow's source.
            if (data.type === "STORY") {
                const bars = findChild(view, "storyIndicator")
                tryCompare(bars, "activeIndex", 0)
                const corner = bars.mapToItem(screen, bars.width / 2, 1)  // the middle bar, still empty
                const track = picture.pixel(Math.round(corner.x), Math.round(corner.y))
                const slide = picture.pixel(Math.round(corner.x), Math.round(corner.y) + 24)
                verify(Math.abs(track.r - (0.34 + 0.66 * slide.r)) < 0.12, `track ${track} over the slide's ${slide}`)
            }

            const bounds = sceneRect(view)
            const safe = Qt.rect(bounds.x + insets.left, bounds.y + insets.top,
                                 bounds.width - insets.left - insets.right, bounds.height - insets.top - insets.bottom)
            const content = sceneRect(findChild(view, "content"))
            verify(content.height > 0)
            verify(inside(content, safe), `slide ${content} inside ${safe}`)
            verify(inside(content, sceneRect(screen)), `slide ${content} inside the window`)
            for (const name of ["dotsIndicator", "storyIndicator"]) {
                const indicator = findChild(view, name)
                if (indicator.visible)
                    verify(inside(sceneRect(indicator), content), `${name} inside the slide`)
            }
            // The focus ring stays within the slide, whose frame clips.
            const ring = findChild(view, "focusRing")
            verify(ring.visible)
            verify(inside(sceneRect(ring), content), `focus ring ${sceneRect(ring)} inside the slide`)
            compare(findChild(view, "dotsIndicator").visible, data.type === "CAROUSEL")
            compare(findChild(view, "storyIndicator").visible, data.type === "STORY")
        }

        // Shapes the service may ask for: a height of a million points, and the narrowest ratio on
        // a window's full width. Neither takes more than the window, nor draws from more pixels.
        function test_service_sizes_stay_within_the_window_data() {
            return [
                { tag: "fixed height 1000000", fields: { bannerLayoutMode: "FIXED_HEIGHT", bannerFixedHeight: 1000000 } },
                { tag: "aspect ratio 1:20", fields: { bannerLayoutMode: "ASPECT_RATIO", bannerAspectRatio: "1:20" } },
            ]
        }

        function test_service_sizes_stay_within_the_window(data) {
            screen.width = root.width
            screen.height = root.height
            const key = `bounded-${data.tag.replace(/[^A-Za-z0-9]/g, "-")}`
            Fixture.serveBanners(key, JSON.stringify({ banners: [Object.assign({ id: 1, type: "STATIC", placementKey: key,
                                                                               viewOrder: 0, autoplaySeconds: 1,
                                                                               items: slides(1, key) }, data.fields)] }))
            const view = createTemporaryObject(bannerComponent, screen, { placementKey: key, width: root.width })
            tryCompare(findChild(view, "placement"), "hasContent", true)
            const slide = findChild(view, "slide")
            tryCompare(slide, "status", StoryRemoteImage.Ready)
            wait(0)

            const window = view.Window
            verify(window.height > 0)
            verify(view.height > 0 && view.height <= window.height, `banner ${view.height} tall in a ${window.height} window`)
            const pixels = Qt.size(Math.ceil(window.width * Screen.devicePixelRatio),
                                   Math.ceil(window.height * Screen.devicePixelRatio))
            const texture = slide.textureSize
            verify(texture.width > 0 && texture.height > 0)
            verify(texture.width <= pixels.width && texture.height <= pixels.height,
                   `texture ${texture.width}x${texture.height} within ${pixels.width}x${pixels.height}`)
        }
    }
}
