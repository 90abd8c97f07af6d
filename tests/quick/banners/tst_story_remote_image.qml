import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal
import BannerFixture

// TestCase items are never visible; the images go on this stage so that they are drawn.
Item {
    id: stage
    width: 200
    height: 200

    TestCase {
        name: "StoryRemoteImage"
        when: windowShown

        Component {
            id: imageComponent
            StoryRemoteImage {
                width: 100
                height: 100
                placeholder: Rectangle {
                    objectName: "placeholder"
                    color: "gray"
                }
                property SignalSpy loadedSpy: SignalSpy { signalName: "loaded" }
                property SignalSpy failedSpy: SignalSpy { signalName: "failed" }
            }
        }

        function image(properties) {
            const item = createTemporaryObject(imageComponent, stage, properties)
            item.loadedSpy.target = item
            item.failedSpy.target = item
            return item
        }

        function placeholderOf(item) {
            return findChild(item, "placeholder")
        }

        // Whether the image's own blue is drawn at a point of the item.
        function drawsImageAt(grabbed, x, y) {
            return grabbed.red(x, y) < 100 && grabbed.blue(x, y) > 150
        }

        function test_placeholder_until_loaded_then_straight_from_the_cache() {
            const url = Fixture.imageUrl(40, 20, "loads")
            const item = image({})
            compare(placeholderOf(item).width, 100)
            compare(item.status, StoryRemoteImage.Null)
            item.url = url
            tryCompare(item.loadedSpy, "count", 1)
            compare(item.status, StoryRemoteImage.Ready)
            compare(item.sourceSize, Qt.size(40, 20))
            compare(placeholderOf(item), null)
            compare(item.failedSpy.count, 0)

            // Shown again: the cached image at once, and loaded() still follows.
            const again = image({ url: url })
            compare(again.sourceSize, Qt.size(40, 20))
            compare(placeholderOf(again), null)
            tryCompare(again.loadedSpy, "count", 1)
            compare(Fixture.requestCount(url), 1)
        }

        function test_failure_keeps_the_placeholder() {
            const item = image({ url: Fixture.brokenImageUrl("failure") })
            tryCompare(item.failedSpy, "count", 1)
            compare(item.status, StoryRemoteImage.Error)
            verify(placeholderOf(item) !== null)
            compare(item.loadedSpy.count, 0)
        }

        function test_result_for_a_replaced_url_is_dropped() {
            const slow = Fixture.imageUrl(30, 30, "slow")
            Fixture.hold(slow)
            const item = image({ url: slow })
            item.url = Fixture.imageUrl(60, 40, "replacement")
            tryCompare(item.loadedSpy, "count", 1)
            compare(item.sourceSize, Qt.size(60, 40))

            // The replaced download was withdrawn; a later view of the slow URL starts its own, and
            // the late answer of the first still changes nothing here.
            Fixture.release(slow)
            const witness = image({ url: slow })
            tryCompare(witness.loadedSpy, "count", 1)
            compare(item.loadedSpy.count, 1)
            compare(item.sourceSize, Qt.size(60, 40))
            compare(Fixture.requestCount(slow), 2)
        }

        // Pictures are the bulk of what the SDK downloads: one nobody will show stops downloading.
        function test_a_replaced_or_destroyed_image_withdraws_its_download() {
            const replaced = Fixture.imageUrl(31, 31, "withdrawn-by-replacement")
            const destroyed = Fixture.imageUrl(32, 32, "withdrawn-by-destruction")
            Fixture.hold(replaced)
            Fixture.hold(destroyed)
            const item = image({ url: replaced })
            const gone = image({ url: destroyed })
            tryVerify(() => Fixture.requestCount(replaced) === 1 && Fixture.requestCount(destroyed) === 1)
            verify(!Fixture.cancelled(replaced))
            item.url = Fixture.imageUrl(61, 41, "takes-its-place")
            tryVerify(() => Fixture.cancelled(replaced))
            verify(!Fixture.cancelled(destroyed))
            gone.destroy()
            tryVerify(() => Fixture.cancelled(destroyed))
            Fixture.release(replaced)
            Fixture.release(destroyed)
        }

        // A window made larger shows a sharper picture once its size settles, without a second
        // loaded() or a pause in Ready; an image smaller than its item has nothing more to give.
        function test_growing_decodes_again_larger_once() {
            const large = Fixture.imageUrl(400, 400, "grows")
            const item = image({ url: large, width: 50, height: 50 })
            tryCompare(item.loadedSpy, "count", 1)
            compare(item.sourceSize, Qt.size(50, 50))
            item.width = 120
            item.width = 160
            item.height = 160
            tryCompare(item, "sourceSize", Qt.size(160, 160))
            compare(item.status, StoryRemoteImage.Ready)
            compare(item.loadedSpy.count, 1)
            compare(Fixture.requestCount(large), 2)

            const small = Fixture.imageUrl(40, 20, "small")
            const smallItem = image({ url: small })
            tryCompare(smallItem.loadedSpy, "count", 1)
            smallItem.width = 180
            smallItem.height = 180
            wait(400)
            compare(smallItem.sourceSize, Qt.size(40, 20))
            compare(Fixture.requestCount(small), 1)
        }

        function test_painted_rect_and_opacity() {
            const item = image({ url: Fixture.imageUrl(40, 20, "painted") })
            tryCompare(item.loadedSpy, "count", 1)
            compare(item.paintedRect, Qt.rect(0, 25, 100, 50))
            verify(item.opaque)
            item.fillMode = Image.PreserveAspectCrop
            compare(item.paintedRect, Qt.rect(0, 0, 100, 100))
            item.radius = 8
            verify(!item.opaque)
            item.url = ""
            compare(item.paintedRect, Qt.rect(0, 0, 0, 0))
        }

        function test_fit_letterboxes_and_crop_covers() {
            // A 2:1 image in a square item.
            const fit = image({ url: Fixture.imageUrl(40, 20, "modes"), fillMode: Image.PreserveAspectFit })
            tryCompare(fit.loadedSpy, "count", 1)
            let grabbed = grabImage(fit)
            verify(!drawsImageAt(grabbed, 50, 10))
            verify(drawsImageAt(grabbed, 50, 50))

            const crop = image({ url: Fixture.imageUrl(40, 20, "modes"), fillMode: Image.PreserveAspectCrop,
                                 radius: 8 })
            tryCompare(crop.loadedSpy, "count", 1)
            grabbed = grabImage(crop)
            verify(drawsImageAt(grabbed, 50, 10))
            verify(drawsImageAt(grabbed, 8, 1))
            // The rounded corner is cut away.
            verify(!drawsImageAt(grabbed, 0, 0))
        }

        // Rounding corners composes a picture of the shown part, at the display's pixels: an item
        // far taller than any screen must not get one of its own size.
        function test_rounded_corners_of_an_item_larger_than_the_screen_cost_at_most_the_screen() {
            const screenPixels = Qt.size(Screen.width * Screen.devicePixelRatio, Screen.height * Screen.devicePixelRatio)
            for (const fillMode of [Image.PreserveAspectCrop, Image.PreserveAspectFit]) {
                const item = image({ url: Fixture.imageUrl(64, 32, "huge"), width: 1920, height: 38400, radius: 8,
                                     fillMode: fillMode })
                tryCompare(item.loadedSpy, "count", 1)
                wait(0)
                const texture = item.textureSize
                verify(texture.width > 0 && texture.height > 0)
                verify(texture.width <= Math.ceil(screenPixels.width) && texture.height <= Math.ceil(screenPixels.height),
                       `texture ${texture.width}x${texture.height} within ${screenPixels.width}x${screenPixels.height}`)
                item.destroy()
            }
        }
    }
}
