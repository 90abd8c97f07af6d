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

    SignalSpy { id: dismissals; signalName: "dismissRequested" }

    TestCase {
        name: "StoryViewerView"
        when: windowShown

        readonly property int circleGroup: 0
        readonly property int pollGroup: 1
        readonly property int swipeGroup: 2
        readonly property int bareGroup: 3

        property var viewer: null

        function open(group, groups) {
            viewer = createTemporaryObject(viewerComponent, screen, { groups: groups ?? fixture.homeGroups(), startIndex: group })
            dismissals.target = viewer
            dismissals.clear()
            fixture.reset()
            tryCompare(findChild(viewer, "nextZone"), "x", 260)  // laid out
            return viewer
        }

        function model() { return findChild(viewer, "viewerModel") }
        function part(name) { return findChild(viewer, name) }

        function test_sideZonesStepBackAndForth() {
            open(circleGroup)
            tryCompare(model(), "groupTitle", "Circle")
            compare(part("previousZone").width, 140)
            compare(part("middleZone").width, 120)
            compare(part("nextZone").width, 140)

            mouseClick(part("nextZone"))
            tryCompare(model(), "currentItemIndex", 1)
            mouseClick(part("middleZone"))
            wait(20)
            compare(model().currentItemIndex, 1)
            mouseClick(part("previousZone"))
            tryCompare(model(), "currentItemIndex", 0)
        }

        function test_holdingASidePausesUntilLetGo() {
            open(circleGroup)
            const indicator = part("pauseIndicator")
            tryVerify(() => model().progress > 0)
            mousePress(part("previousZone"))
            tryCompare(indicator, "opacity", 1)
            const frozen = model().progress
            wait(120)
            compare(model().progress, frozen)
            mouseRelease(part("previousZone"))
            tryCompare(indicator, "opacity", 0)
            tryVerify(() => model().progress > frozen)
            compare(model().currentItemIndex, 0, "a long press is no tap")
        }

        function test_closing_data() {
            return [
                { tag: "drag down on a plain page", group: circleGroup, button: false, id: "00000000-0000-4000-8000-000000000001" },
                { tag: "drag down on a swipe page", group: swipeGroup, button: false, id: "00000000-0000-4000-8000-000000000003" },
                { tag: "close button on a swipe page", group: swipeGroup, button: true, id: "00000000-0000-4000-8000-000000000003" },
            ]
        }

        function test_closing(data) {
            open(data.group)
            tryCompare(model(), "hasCurrentGroup", true)
            if (data.button)
                mouseClick(part("closeButton"))
            else
                mouseDrag(viewer, 200, 200, 0, 200, Qt.LeftButton, Qt.NoModifier, 5)
            tryCompare(dismissals, "count", 1)
            compare(fixture.events, ["close:" + data.id])
        }

        function test_dragThresholds_data() {
            return [
                { tag: "down 121, drift 79", group: circleGroup, moved: [79, 121], flick: [79, 121], closes: true, swipes: false },
                { tag: "down 121, drift 80", group: circleGroup, moved: [80, 121], flick: [80, 121], closes: false, swipes: false },
                { tag: "down 120", group: circleGroup, moved: [0, 120], flick: [0, 400], closes: false, swipes: false },
                { tag: "up 51 on a swipe page", group: swipeGroup, moved: [159, -51], flick: [159, -51], closes: false, swipes: true },
                { tag: "flick up on a swipe page", group: swipeGroup, moved: [0, -30], flick: [0, -121], closes: false, swipes: true },
                { tag: "up 50 on a swipe page", group: swipeGroup, moved: [0, -50], flick: [0, -120], closes: false, swipes: false },
                { tag: "drift 160 on a swipe page", group: swipeGroup, moved: [160, -200], flick: [160, -300], closes: false, swipes: false },
                { tag: "up on a poll page", group: pollGroup, moved: [0, -200], flick: [0, -300], closes: false, swipes: false },
            ]
        }

        function test_dragThresholds(data) {
            open(data.group)
            tryCompare(model(), "hasCurrentGroup", true)
            viewer.finishDrag(Qt.point(data.moved[0], data.moved[1]), Qt.point(data.flick[0], data.flick[1]))
            wait(20)
            compare(dismissals.count, data.closes ? 1 : 0)
            compare(fixture.openedUrls, data.swipes ? ["https://example.com/offer"] : [])
        }

        function test_swipePageTakesTapsAndSwipesOnce() {
            open(swipeGroup)
            tryCompare(model(), "groupTitle", "Square")
            mouseClick(viewer, 360, 400)
            wait(20)
            compare(model().currentItemIndex, 0)

            mouseDrag(viewer, 200, 600, 0, -200, Qt.LeftButton, Qt.NoModifier, 5)
            tryCompare(fixture.openedUrls, "length", 1)
            wait(20)
            compare(fixture.openedUrls, ["https://example.com/offer"], "both drag handlers swipe, the page acts once")
            compare(fixture.events.filter(event => event.startsWith("swipeUp:")).length, 1)
        }

        // A held page changes nothing on screen once its pause indicator is in.
        function test_aHeldSwipePageStopsItsArrow() {
            open(swipeGroup)
            tryCompare(model(), "groupTitle", "Square")
            tryVerify(() => part("bob") !== null && part("bob").running)
            keyClick(Qt.Key_Space)
            tryVerify(() => !part("bob").running, 1000)
            keyClick(Qt.Key_Space)
            tryVerify(() => part("bob").running, 1000)
        }

        function test_callToActionStyles_data() {
            return [
                { tag: "filled on white", words: { ctaStyle: "filled", primaryColor: "#FFFFFF" },
                  text: "black", background: "#FFFFFF", border: "transparent", width: 0 },
                { tag: "filled on dark", words: { ctaStyle: "filled", primaryColor: "#1A1A40" },
                  text: "white", background: "#1A1A40", border: "transparent", width: 0 },
                { tag: "outlined on dark", words: { ctaStyle: "outlined", primaryColor: "#1A1A40" },
                  text: "white", background: "transparent", border: "white", width: 1 },
                { tag: "outlined on light", words: { ctaStyle: "outlined", primaryColor: "#FFD166" },
                  text: "#FFD166", background: "transparent", border: "#FFD166", width: 1 },
                { tag: "text on light", words: { ctaStyle: "text", primaryColor: "#FFD166" },
                  text: "#FFD166", background: "transparent", border: "transparent", width: 0 },
                { tag: "text on dark", words: { ctaStyle: "text", primaryColor: "#1A1A40" },
                  text: "white", background: "transparent", border: "transparent", width: 0 },
            ]
        }

        function test_callToActionStyles(data) {
            open(circleGroup)
            const colors = part("pageTexts").ctaColors(fixture.theme(data.words))
            compare(colors.text, Qt.color(data.text))
            compare(colors.background, Qt.color(data.background))
            compare(colors.border, Qt.color(data.border))
            compare(colors.borderWidth, data.width)
        }

        function test_callToActionButton() {
            open(circleGroup)
            tryCompare(model(), "groupTitle", "Circle")
            const button = part("ctaButton")
            verify(button.visible)
            compare(part("ctaLabel").text, "Open")
            compare(part("ctaLabel").color, Qt.color("black"))
            compare(button.color, Qt.color("white"))
            compare(button.radius, button.height / 2)
            compare(button.width, 376)
            mouseClick(button)
            tryCompare(fixture.openedUrls, "length", 1)
            compare(fixture.openedUrls, ["https://example.com/first"])
            compare(model().currentItemIndex, 0)

            model().goToNext()
            tryCompare(model(), "currentItemIndex", 1)
            verify(!button.visible, "a title without a link shows no button")
            model().goToNext()
            tryCompare(model(), "currentItemIndex", 2)
            verify(button.visible, "a link with an empty title shows an empty button")
            compare(part("ctaLabel").text, "")
            verify(!part("textBlock").visible)
        }

        function test_pageTextsAndHeader() {
            open(circleGroup)
            tryCompare(model(), "groupTitle", "Circle")
            compare(part("groupTitle").text, "Circle")
            compare(part("groupTitle").font.pixelSize, 17)
            compare(part("pageTitle").text, "First page")
            compare(part("pageTitle").font.pixelSize, 22)
            compare(part("pageBody").text, "What the first page says.")
            compare(part("progress").segmentCount, 3)
            compare(part("progress").width, 376)
            const close = part("closeButton")
            compare(close.width, close.height)
            compare(close.radius, close.width / 2)
        }

        function test_pageWithoutMediaShowsThePlaceholder() {
            open(bareGroup)
            tryCompare(model(), "groupTitle", "A group title far too long for one bubble")
            tryVerify(() => part("mediaPlaceholder") !== null)
            compare(part("pageTitle").text, "No media here")
            verify(!part("ctaButton").visible)
            compare(part("widget").item, null)
        }

        function test_pollVoteRunsThroughTheCard() {
            open(pollGroup)
            tryVerify(() => part("widget").item !== null)
            const card = part("widget").item
            tryVerify(() => !isPolishScheduled(findChild(card, "cardContent")), 1000, "rows laid out")
            compare(findChild(card, "question").text, "Which one?")
            compare(findChild(findChild(card, "option1"), "optionText").text, "Second")

            mouseClick(findChild(card, "option1"))
            tryCompare(model(), "isVotingInProgress", true)
            verify(findChild(findChild(card, "option1"), "spinner").visible)
            compare(model().votedOptionId, "00000000-0000-4000-8000-0000000000a3")

            fixture.releaseVotes()
            tryCompare(model(), "showResults", true)
            tryVerify(() => fixture.events.indexOf("pollVoted:00000000-0000-4000-8000-000000000002") >= 0)
            // The refreshed placement still counts one vote each.
            tryCompare(findChild(findChild(card, "option1"), "percent"), "text", "33%")
            compare(model().currentItemIndex, 0)

            // The quiz page after it has no question: it asks the configured title.
            model().goToNext()
            tryCompare(model(), "currentItemIndex", 1)
            tryVerify(() => part("widget").item !== null && findChild(part("widget").item, "question") !== null)
            compare(findChild(part("widget").item, "question").text, "Quiz time")
        }

        // The page is drawn once and reused while only the progress moves (where the scene graph
        // would otherwise redraw it all): what is drawn must still follow both.
        function test_theProgressAndThePageBothShowTheirChanges() {
            const page = (id, title) => ({ id, type: "IMAGE", title, durationSeconds: 30,
                                           media: { mediaType: "IMAGE", mediaUrl: "https://cdn.example.test/" + id + ".png" } })
            open(0, fixture.groupsFrom(JSON.stringify({ groups: [{
                id: "00000000-0000-4000-8000-000000000009", title: "Two pages",
                items: [page("00000000-0000-4000-8000-000000000091", "First"),
                        page("00000000-0000-4000-8000-000000000092", "Second")] }] })))
            tryCompare(part("pageImage"), "status", StoryRemoteImage.Ready)
            model().goToNext()
            tryCompare(part("pageTitle"), "text", "Second")
            tryCompare(part("pageImage"), "status", StoryRemoteImage.Ready)
            wait(50)

            const progress = part("progress"), title = part("pageTitle")
            const barAt = fraction => progress.mapToItem(viewer, progress.width * fraction, 1)
            const titleArea = title.mapToItem(viewer, 0, 0)
            const primary = model().theme.primaryColor
            const isPrimary = colour => Math.abs(colour.r - primary.r) < 0.05 && Math.abs(colour.g - primary.g) < 0.05
                                        && Math.abs(colour.b - primary.b) < 0.05
            const whiteIn = grabbed => {
                let count = 0
                for (let x = 0; x < Math.min(title.contentWidth, title.width); x += 2)
                    for (let y = 0; y < title.height; y += 2) {
                        const colour = grabbed.pixel(titleArea.x + x, titleArea.y + y)
                        if (colour.r > 0.9 && colour.g > 0.9 && colour.b > 0.9)
                            ++count
                    }
                return count
            }
            let grabbed = grabImage(viewer)
            const seen = barAt(0.25)
            verify(isPrimary(grabbed.pixel(seen.x, seen.y)), "the page seen is full: " + grabbed.pixel(seen.x, seen.y))
            const toCome = barAt(0.95)
            verify(!isPrimary(grabbed.pixel(toCome.x, toCome.y)), "the page on screen has only begun")
            verify(whiteIn(grabbed) > 10, "the title shows")

            // Held, the page's texts and the progress step aside.
            keyClick(Qt.Key_Space)
            tryCompare(part("header"), "opacity", 0)
            tryCompare(progress, "opacity", 0)
            wait(50)
            grabbed = grabImage(viewer)
            verify(!isPrimary(grabbed.pixel(seen.x, seen.y)), "the progress has faded")
            compare(whiteIn(grabbed), 0, "the title has faded")
            keyClick(Qt.Key_Space)
        }

        function test_noGroupsDismissAtOnce() {
            open(0, fixture.noGroups())
            tryCompare(dismissals, "count", 1)
        }
    }
}
