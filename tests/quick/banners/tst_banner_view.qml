import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal
import BannerFixture

// TestCase items are never visible; the banners go on this stage so that they draw and take input.
Item {
    id: stage
    width: 400
    height: 400

    Component {
        id: bannerComponent
        BannerView {}
    }

    Component {
        id: focusComponent
        Item {
            activeFocusOnTab: true
        }
    }

    Component {
        id: coverComponent
        QtObject {}
    }

    TestCase {
        name: "BannerView"
        when: windowShown

        // The state behind a view, which hosts do not see.
        function placementOf(view) {
            return findChild(view, "placement")
        }

        // Banners as the service sends them; every field can be overridden.
        function banner(id, fields, slides) {
            return Object.assign({ id: id, type: "CAROUSEL", placementKey: "test", viewOrder: 0,
                                   autoplaySeconds: 1, items: slides }, fields)
        }
        function slide(id, mediaUrl, fields) {
            return Object.assign({ id: id, mediaUrl: mediaUrl, orderIndex: id, ctaType: "NONE" }, fields || {})
        }
        function imageSlides(count, name) {
            const slides = []
            for (let id = 1; id <= count; ++id)
                slides.push(slide(id, Fixture.imageUrl(32, 18, name + "-" + id)))
            return slides
        }

        // A banner view of its own placement, once it shows the first slide's image.
        function show(placementKey, banners, properties) {
            Fixture.serveBanners(placementKey, JSON.stringify({ banners: banners }))
            const view = createTemporaryObject(bannerComponent, stage,
                                               Object.assign({ placementKey: placementKey, width: 400 }, properties))
            tryCompare(placementOf(view), "hasContent", true)
            tryCompare(findChild(view, "slide"), "status", StoryRemoteImage.Ready)
            return view
        }

        // Lets queued updates reach the view, for checks that nothing changed.
        function settle() {
            wait(0)
        }

        function test_height_follows_the_layout_data() {
            return [
                { tag: "aspect ratio", fields: { bannerLayoutMode: "ASPECT_RATIO", bannerAspectRatio: "16:9" },
                  height: 225 },
                { tag: "fixed height", fields: { bannerLayoutMode: "FIXED_HEIGHT", bannerFixedHeight: 180 },
                  height: 180 },
            ]
        }

        function test_height_follows_the_layout(data) {
            const view = show("height-" + data.tag.replace(/ /g, "_"), [banner(1, data.fields, imageSlides(1, "height"))])
            compare(view.implicitHeight, data.height)
            compare(findChild(view, "content").height, data.height)
            // A single slide has no indicator.
            verify(!findChild(view, "dotsIndicator").visible)
            verify(!findChild(view, "storyIndicator").visible)
        }

        function test_carousel_rotates_with_dots() {
            const view = show("carousel", [banner(1, {}, imageSlides(3, "carousel"))])
            const dots = findChild(view, "dotsIndicator")
            verify(dots.visible)
            verify(!findChild(view, "storyIndicator").visible)
            compare(dots.count, 3)
            compare(dots.activeIndex, 0)

            Fixture.advance(1000)
            tryCompare(placementOf(view), "itemId", "2")
            compare(dots.activeIndex, 1)
            compare(findChild(view, "slide").url, Fixture.imageUrl(32, 18, "carousel-2"))
        }

        function test_a_banner_under_a_full_screen_viewer_pauses_and_reloads_when_uncovered() {
            const view = show("covered", [banner(1, {}, imageSlides(3, "covered"))])
            const requests = Fixture.requestCount("placements/covered/banners")
            const viewer = createTemporaryObject(coverComponent, stage)
            WindowCovers.setCovering(viewer, stage.Window.window, true)
            Fixture.advance(3000)
            settle()
            compare(placementOf(view).itemId, "1")
            // Hidden altogether, the banner draws nothing.
            const content = findChild(view, "content")
            compare(content.opacity, 1)
            WindowCovers.setHiding(viewer, stage.Window.window, true)
            compare(content.opacity, 0)

            // A viewer that goes away uncovers the window, as closing it does.
            viewer.destroy()
            tryVerify(() => !WindowCovers.of(stage.Window.window).covered)
            verify(!WindowCovers.of(stage.Window.window).hidden)
            compare(content.opacity, 1)
            tryVerify(() => Fixture.requestCount("placements/covered/banners") > requests)
            tryCompare(findChild(view, "slide"), "status", StoryRemoteImage.Ready)
            tryVerify(() => { Fixture.advance(100); return placementOf(view).itemId === "2" }, 3000)
        }

        function test_failed_slide_is_skipped() {
            const slides = imageSlides(3, "skip")
            slides[1].mediaUrl = Fixture.brokenImageUrl("skip-2")
            const view = show("skip", [banner(1, {}, slides)])

            Fixture.advance(1000)
            tryCompare(placementOf(view), "itemId", "3")
            compare(placementOf(view).visibleCount, 2)
            compare(placementOf(view).activeItemIndex, 1)
            compare(findChild(view, "dotsIndicator").count, 2)
        }

        function test_story_banner_fills_its_bar() {
            const view = show("story", [banner(1, { type: "STORY" }, imageSlides(2, "story"))])
            const bars = findChild(view, "storyIndicator")
            verify(bars.visible)
            verify(!findChild(view, "dotsIndicator").visible)

            Fixture.advance(500)
            tryVerify(() => Math.abs(bars.activeProgress - 0.5) < 1e-9)
            compare(bars.activeIndex, 0)
            Fixture.advance(550)
            tryCompare(bars, "activeIndex", 1)
        }

        function test_tap_opens_the_link_and_drags_swipe() {
            const view = show("taps", [banner(1, { type: "STATIC" }, [
                slide(1, Fixture.imageUrl(32, 18, "taps-1"), { ctaType: "EXTERNAL_URL", ctaUrl: "https://example.com/offer" }),
                slide(2, Fixture.imageUrl(32, 18, "taps-2"), { ctaType: "DEEP_LINK", ctaUrl: "myapp://deal/2" }),
            ])])
            const content = findChild(view, "content")
            Fixture.clearOpenedUrls()

            // The rounded corners do not take taps.
            mouseClick(content, 1, 1)
            compare(Fixture.openedUrls(), [])
            mouseClick(content)
            compare(Fixture.openedUrls(), ["https://example.com/offer"])

            // Too short to swipe, too long to tap.
            mouseDrag(content, 300, 100, -30, 0)
            settle()
            compare(placementOf(view).itemId, "1")
            // A leftward swipe, even a slanted one, shows the next slide; neither drag is a tap.
            mouseDrag(content, 300, 100, -60, 5)
            tryCompare(placementOf(view), "itemId", "2")
            compare(Fixture.openedUrls(), ["https://example.com/offer"])
            mouseClick(content)
            compare(Fixture.openedUrls(), ["https://example.com/offer", "myapp://deal/2"])
        }

        function test_keyboard_reaches_taps_and_steps_through_slides() {
            const view = show("keys", [banner(1, { type: "STATIC" }, [
                slide(1, Fixture.imageUrl(32, 18, "keys-1"), { ctaType: "EXTERNAL_URL", ctaUrl: "https://example.com/offer" }),
                slide(2, Fixture.imageUrl(32, 18, "keys-2")),
            ])])
            const before = createTemporaryObject(focusComponent, stage)
            before.forceActiveFocus()
            Fixture.clearOpenedUrls()

            keyClick(Qt.Key_Tab)
            const gestures = findChild(view, "gestures")
            verify(gestures.activeFocus, "the banner takes the focus in the tab chain")
            verify(findChild(view, "focusRing").visible)
            keyClick(Qt.Key_Return)
            keyClick(Qt.Key_Space)
            compare(Fixture.openedUrls(), ["https://example.com/offer", "https://example.com/offer"])

            keyClick(Qt.Key_Right)
            tryCompare(placementOf(view), "itemId", "2")
            keyClick(Qt.Key_Left)
            tryCompare(placementOf(view), "itemId", "1")
            before.forceActiveFocus()
            verify(!findChild(view, "focusRing").visible)
        }

        // Right to left, the next slide lies to the left: swipes, arrow keys and the bars follow.
        function test_right_to_left_mirrors_swipes_keys_and_bars() {
            const view = show("mirrored", [banner(1, { type: "STORY" }, imageSlides(3, "mirrored"))],
                              { rightToLeft: true })
            const content = findChild(view, "content")
            mouseDrag(content, 100, 100, 60, 5)
            tryCompare(placementOf(view), "itemId", "2")
            mouseDrag(content, 300, 100, -60, 5)
            tryCompare(placementOf(view), "itemId", "1")
            findChild(view, "gestures").forceActiveFocus()
            keyClick(Qt.Key_Left)
            tryCompare(placementOf(view), "itemId", "2")

            Fixture.advance(500)
            const bars = Array.from(findChild(view, "bars").children).filter(child => child.objectName === "bar")
            compare(bars.length, 3)
            verify(bars[0].x > bars[1].x && bars[1].x > bars[2].x, "the first bar on the right")
            const fill = findChild(bars[1], "fill")
            tryVerify(() => fill.width > 0 && fill.width < bars[1].width)
            fuzzyCompare(fill.x + fill.width, bars[1].width, 0.5)
        }

        function test_status_reports_a_failed_load_and_reload_recovers() {
            Fixture.serveBanners("status", "{ not json")
            const view = createTemporaryObject(bannerComponent, stage, { placementKey: "status", width: 400 })
            const errors = createTemporaryQmlObject("import QtTest; SignalSpy { signalName: 'errorOccurred' }", stage)
            errors.target = view
            tryCompare(view, "status", BannerView.Error)
            compare(view.error, BannerView.FormatError)
            verify(view.errorString.length > 0)
            compare(view.implicitHeight, 0)
            compare(errors.count, 1)
            compare(errors.signalArguments[0][0], BannerView.FormatError)

            Fixture.serveBanners("status", JSON.stringify({ banners: [banner(1, {}, imageSlides(1, "status"))] }))
            view.reload()
            tryCompare(view, "status", BannerView.Ready)
            compare(view.error, BannerView.NoError)
            compare(view.errorString, "")
            compare(errors.count, 1)
            tryCompare(placementOf(view), "hasContent", true)
        }

        function test_slide_is_a_named_button_that_shows_its_press() {
            const view = show("accessible", [banner(1, {}, imageSlides(3, "accessible"))])
            const gestures = findChild(view, "gestures")
            compare(gestures.Accessible.role, Accessible.Button)
            compare(gestures.Accessible.name, "Banner, 1 of 3")
            Fixture.advance(1000)
            tryCompare(gestures.Accessible, "name", "Banner, 2 of 3")

            const slide = findChild(view, "slide")
            mousePress(gestures)
            const pressedOpacity = slide.opacity
            mouseRelease(gestures)
            verify(pressedOpacity < 1)
            compare(slide.opacity, 1)
        }
    }
}
