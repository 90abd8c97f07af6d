import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal

TestCase {
    id: testCase
    name: "BannerIndicators"
    width: 400
    height: 200
    when: windowShown

    Component {
        id: dotsComponent
        BannerProgressIndicator {}
    }
    Component {
        id: barsComponent
        BannerStoryProgressIndicator {
            width: 304
        }
    }

    function parts(indicator, name) {
        const found = []
        const collect = item => {
            for (let i = 0; i < item.children.length; ++i) {
                const child = item.children[i]
                if (child.objectName === name)
                    found.push(child)
                collect(child)
            }
        }
        collect(indicator)
        return found
    }

    function test_dots() {
        const dots = createTemporaryObject(dotsComponent, testCase, { count: 3, activeIndex: 1 })
        const shown = parts(dots, "dot")
        compare(shown.map(dot => dot.width), [5, 12, 5])
        compare(shown.map(dot => dot.height), [5, 5, 5])
        fuzzyCompare(shown[0].color.a, 0.42, 0.01)
        fuzzyCompare(shown[1].color.a, 0.95, 0.01)
        // 22 points of dots and 2 gaps of 5, with 7 and 5 points of padding.
        compare(dots.implicitWidth, 22 + 10 + 14)
        compare(dots.implicitHeight, 5 + 10)

        dots.activeIndex = 2
        compare(parts(dots, "dot").map(dot => dot.width), [5, 5, 12])
    }

    function test_bars_share_the_width_and_fill_up_to_the_active_one() {
        const bars = createTemporaryObject(barsComponent, testCase,
                                           { count: 3, activeIndex: 1, activeProgress: 0.25 })
        const barWidth = (304 - 2 * 4) / 3
        compare(parts(bars, "bar").map(bar => bar.height), [3, 3, 3])
        const widths = parts(bars, "bar").map(bar => findChild(bar, "fill").width)
        fuzzyCompare(widths[0], barWidth, 0.001)
        fuzzyCompare(widths[1], barWidth * 0.25, 0.001)
        compare(widths[2], 0)
    }

    // Blurred shadows where the scene graph runs shader effects, plain offset shapes elsewhere.
    function test_shadows_data() {
        return [{ tag: "soft", soft: true }, { tag: "plain", soft: false }]
    }

    function test_shadows(data) {
        const dots = createTemporaryObject(dotsComponent, testCase, { count: 3, activeIndex: 1, softShadow: data.soft })
        compare(parts(dots, "capsule")[0].layer.enabled, data.soft)
        verify(parts(dots, "plainShadow").length > 0)
        const bars = createTemporaryObject(barsComponent, testCase, { count: 3, activeIndex: 1, softShadow: data.soft })
        compare(parts(bars, "softShadow").length, data.soft ? 1 : 0)
        verify(parts(bars, "plainShadow").length > 0)
        wait(0)  // the effects are built
    }

    // The moving bars are no layer of their own: a layer over them redrew its blur on every tick
    // of the progress, and the window drew twice as often.
    function test_movingBarsAreNoLayer() {
        const bars = createTemporaryObject(barsComponent, testCase, { count: 3, activeIndex: 1, softShadow: true })
        verify(!parts(bars, "bars")[0].layer.enabled)
        compare(parts(bars, "softShadow")[0].cached, true)
    }
}
