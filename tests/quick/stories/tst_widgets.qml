import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal

Item {
    width: 400
    height: 800

    StoryViewerModel {
        id: configured
    }

    PollWidgetView {
        id: poll
        anchors.fill: parent
        strings: configured.strings
    }

    QuizWidgetView {
        id: quiz
        anchors.fill: parent
        visible: false
        strings: configured.strings
    }

    SwipeWidgetView {
        id: swipe
        anchors.fill: parent
        visible: false
        strings: configured.strings
    }

    StoryDragTracker {
        id: tracker
    }

    SignalSpy { id: drags; target: tracker; signalName: "ended" }
    SignalSpy { id: pollSelections; target: poll; signalName: "select" }
    SignalSpy { id: quizSelections; target: quiz; signalName: "select" }
    SignalSpy { id: swipes; target: swipe; signalName: "swipeUp" }

    TestCase {
        name: "Widgets"
        when: windowShown

        readonly property color white: "white"

        function option(id, count, order, extra) {
            return Object.assign({ id: id, text: "Option " + id, emojiPrefix: null, orderIndex: order ?? 0,
                                   isCorrect: null, voteCount: count }, extra ?? {})
        }

        function reveal(view) {
            for (const each of [poll, quiz, swipe])
                each.visible = each === view
        }

        function show(view, inputs) {
            reveal(view)
            Object.assign(view, Object.assign({ question: "Which?", options: [], votedOptionId: null, showResults: false,
                                                isVotingInProgress: false, updatedVoteCounts: {},
                                                theme: fixture.theme({ primaryColor: "#4361EE" }) }, inputs))
            wait(0)  // rows of the previous inputs go away
            tryVerify(() => !isPolishScheduled(findChild(view, "cardHeader"))
                             && rows(view).every(row => row.height > 26 && !isPolishScheduled(row.children[0])),
                      1000, "rows laid out")
            wait(0)
        }

        function rows(view) {
            const found = []
            for (let i = 0; findChild(view, "option" + i) !== null; ++i) found.push(findChild(view, "option" + i))
            return found
        }

        function texts(view, name) { return rows(view).map(row => findChild(row, name).text) }

        function faded(color, opacity) { return Qt.rgba(color.r, color.g, color.b, color.a * opacity) }

        function init() {
            pollSelections.clear()
            quizSelections.clear()
            swipes.clear()
        }

        function test_totalsAndTruncatedShares_data() {
            return [
                { tag: "thirds", options: [option("a", 1), option("b", 1), option("c", 1)], results: true,
                  percents: ["33%", "33%", "33%"], counts: ["1", "1", "1"], total: "3 votes" },
                { tag: "updated counts win", options: [option("a", 2), option("b", 1)], results: true, updated: { a: 5 },
                  percents: ["83%", "16%"], counts: ["5", "1"], total: "6 votes" },
                { tag: "no votes", options: [option("a", 0), option("b", 0)], results: true,
                  percents: ["0%", "0%"], counts: ["0", "0"], total: "0 votes" },
                { tag: "one vote, before results", options: [option("a", 1), option("b", 0)], total: "1 vote" },
                { tag: "no options", options: [], total: "0 votes" },
                { tag: "one answer", quiz: true, options: [option("a", 1)], total: "1 answer" },
                { tag: "no answers", quiz: true, options: [option("a", 0)], results: true, percents: ["0%"],
                  total: "0 answers" },
                // Whole-number shares: 29 / 100 * 100 is 28.999... in floating point.
                { tag: "29 of 100", options: [option("a", 29), option("b", 71)], results: true,
                  percents: ["29%", "71%"], counts: ["29", "71"], total: "100 votes" },
                { tag: "57 of 100", options: [option("a", 57), option("b", 43)], results: true,
                  percents: ["57%", "43%"], counts: ["57", "43"], total: "100 votes" },
            ]
        }

        function test_totalsAndTruncatedShares(data) {
            const view = data.quiz ? quiz : poll
            show(view, { options: data.options, showResults: !!data.results, updatedVoteCounts: data.updated ?? {} })
            compare(findChild(view, "total").text, data.total)
            compare(rows(view).length, data.options.length)
            compare(rows(view).filter(row => findChild(row, "percent").visible).length, data.percents?.length ?? 0)
            if (data.percents)
                compare(texts(view, "percent"), data.percents)
            compare(rows(view).filter(row => findChild(row, "count").visible).length, data.counts?.length ?? 0)
            if (data.counts)
                compare(texts(view, "count"), data.counts)
            // The configured texts, not built-in ones.
            compare(findChild(view, "heading").text, data.quiz ? "Quiz time" : "Poll time")
            compare(findChild(view, "badgeTitle").text, data.quiz ? "QUIZ" : "POLL")
        }

        // With the built-in texts the quiz's badge and heading are both "Quiz": it is said once.
        function test_headingThatRepeatsTheBadgeIsLeftOut() {
            show(quiz, { options: [option("a", 1)] })
            quiz.strings = Object.assign({}, configured.strings, { quizBadgeTitle: "Quiz", quizTitle: "Quiz" })
            verify(!findChild(quiz, "heading").visible)
            quiz.strings = Object.assign({}, configured.strings, { quizBadgeTitle: "Quiz", quizTitle: "Test yourself" })
            verify(findChild(quiz, "heading").visible)
            quiz.strings = configured.strings
        }

        // A heart with the emoji variation selector is also a plain glyph of the text fonts; the
        // emoji column draws it in colour all the same.
        function test_emojiDrawInColour() {
            show(poll, { options: [option("a", 0, 0, { emojiPrefix: "❤️" })] })
            const emoji = findChild(rows(poll)[0], "emoji")
            compare(emoji.font.family, "Noto Color Emoji")
            // Items inside the scrolling options grab blank on their own: grab the card's view.
            const image = grabImage(poll)
            const at = emoji.mapToItem(poll, 0, 0)
            let coloured = 0
            for (let x = Math.floor(at.x); x < at.x + emoji.width; ++x)
                for (let y = Math.floor(at.y); y < at.y + emoji.height; ++y) {
                    const pixel = image.pixel(x, y)
                    if (pixel.r - Math.max(pixel.g, pixel.b) > 0.3)
                        ++coloured
                }
            verify(coloured > 20, `${coloured} red pixels`)
        }

        function test_unansweredRowsAreOrderedAndOutlinedOnly() {
            show(poll, { options: [option("two", 0, 2), option("zero", 0, 0, { emojiPrefix: "🎬" }), option("one", 0, 1),
                                   option("zero-again", 0, 0, { emojiPrefix: "" })] })
            compare(texts(poll, "optionText"), ["Option zero", "Option zero-again", "Option one", "Option two"])
            compare(rows(poll).map(row => findChild(row, "emoji").visible), [true, false, false, false])
            const row = rows(poll)[0]
            compare(row.color, Qt.rgba(1, 1, 1, 0))
            const ring = findChild(row, "ring")
            verify(ring.visible)
            compare(ring.border.color, Qt.rgba(1, 1, 1, 0.4))
            compare(ring.border.width, 1.5)
        }

        function test_onlyAnUnansweredCardReportsATap_data() {
            return [
                { tag: "unanswered", inputs: {}, reported: true },
                { tag: "voting", inputs: { isVotingInProgress: true }, reported: false },
                { tag: "results", inputs: { showResults: true }, reported: false },
                { tag: "voted", inputs: { votedOptionId: "b" }, reported: false },
            ]
        }

        function test_onlyAnUnansweredCardReportsATap(data) {
            show(poll, Object.assign({ options: [option("a", 1), option("b", 1)] }, data.inputs))
            mouseClick(rows(poll)[0])
            compare(pollSelections.count, data.reported ? 1 : 0)
            if (data.reported)
                compare(pollSelections.signalArguments[0][0], "a")
        }

        function test_chosenPollRowContrastsWithThePrimaryColour_data() {
            return [
                { tag: "light primary", primary: "#FFFFFF", contrast: "black" },
                { tag: "dark primary", primary: "#1A1A40", contrast: "white" },
            ]
        }

        function test_chosenPollRowContrastsWithThePrimaryColour(data) {
            const primary = Qt.color(data.primary)
            show(poll, { options: [option("a", 1), option("b", 1)], votedOptionId: "a", showResults: true,
                         theme: fixture.theme({ primaryColor: data.primary }) })
            const [chosen, other] = rows(poll)
            compare(findChild(chosen, "optionText").color, Qt.color(data.contrast))
            compare(findChild(chosen, "percent").color, Qt.color(data.contrast))
            compare(chosen.color, faded(primary, 0.85))
            compare(chosen.border.color, primary)
            compare(chosen.border.width, 2)
            const check = findChild(chosen, "check")
            verify(check.visible)
            compare(check.color, primary)
            compare(check.children[0].color, Qt.color(data.contrast))
            compare(findChild(findChild(poll, "badge"), "badgeTitle").color, Qt.color(data.contrast))

            compare(other.color, Qt.rgba(1, 1, 1, 0.06))
            compare(other.border.color, Qt.rgba(1, 1, 1, 0.15))
            compare(other.border.width, 1)
            verify(findChild(other, "dot").visible)
            verify(!findChild(other, "check").visible)
        }

        function test_quizResultsMarkRightAndWrong() {
            const green = Qt.color("#34C759"), red = Qt.color("#FF3B30")
            show(quiz, { options: [option("right", 3, 0, { isCorrect: true }), option("wrong", 1, 1, { isCorrect: false }),
                                   option("other", 0, 2, { isCorrect: false })],
                         votedOptionId: "wrong", showResults: true })
            const [right, wrong, other] = rows(quiz)

            compare(wrong.color, faded(red, 0.28))
            compare(wrong.border.color, faded(red, 0.9))
            compare(wrong.border.width, 2)
            compare(findChild(wrong, "outcome").name, "xmark.circle.fill")
            compare(findChild(wrong, "outcome").color, red)
            // One mark per row: the cross alone, not a cross beside a check.
            verify(findChild(wrong, "outcome").visible)
            verify(!findChild(wrong, "check").visible)
            verify(!findChild(wrong, "ring").visible)
            compare(findChild(wrong, "optionText").color, white)

            compare(right.color, faded(green, 0.2))
            compare(right.border.color, faded(green, 0.7))
            compare(findChild(right, "outcome").name, "checkmark.circle.fill")
            compare(findChild(right, "outcome").color, green)
            verify(!findChild(right, "check").visible)
            verify(!findChild(right, "ring").visible)
            verify(!findChild(right, "dot").visible)

            compare(other.color, Qt.rgba(1, 1, 1, 0.05))
            verify(!findChild(other, "outcome").visible)
            // The shares line up whether or not a row is marked.
            compare(findChild(other, "percent").mapToItem(other, 0, 0).x + findChild(other, "percent").width,
                    findChild(right, "percent").mapToItem(right, 0, 0).x + findChild(right, "percent").width)
            compare(texts(quiz, "percent"), ["75%", "25%", "0%"])
            verify(!findChild(right, "count").visible)
        }

        function test_quizHighlightsNothingBeforeResults() {
            const primary = Qt.color("#4361EE")
            show(quiz, { options: [option("right", 3, 0, { isCorrect: true }), option("wrong", 1, 1)] })
            mouseClick(rows(quiz)[1])
            compare(quizSelections.signalArguments[0][0], "wrong")
            show(quiz, { options: [option("right", 3, 0, { isCorrect: true }), option("wrong", 1, 1)],
                         votedOptionId: "wrong", isVotingInProgress: true })
            const [right, wrong] = rows(quiz)
            compare(right.color, Qt.rgba(1, 1, 1, 0.05))
            compare(wrong.color, Qt.rgba(1, 1, 1, 0.05))
            compare(findChild(wrong, "ring").border.color, primary)
            compare(findChild(wrong, "ring").border.width, 2)
            // The spinner turns on the chosen row only.
            verify(findChild(wrong, "spinner").visible)
            verify(!findChild(right, "spinner").visible)
        }

        function test_swipeNeedsAnUpwardDragThatStaysUpright() {
            verify(swipe.isSwipeUp(Qt.point(159, -41), Qt.point(159, -41)))
            verify(!swipe.isSwipeUp(Qt.point(0, -39), Qt.point(0, -99)))
            verify(swipe.isSwipeUp(Qt.point(0, -39), Qt.point(0, -101)))
            verify(!swipe.isSwipeUp(Qt.point(160, -200), Qt.point(160, -300)))
            verify(!swipe.isSwipeUp(Qt.point(-160, -200), Qt.point(-160, -300)))
            verify(!swipe.isSwipeUp(Qt.point(0, 200), Qt.point(0, 300)))
        }

        function test_swipeLayerShowsItsHintAndCatchesTheDrag() {
            reveal(swipe)
            swipe.theme = fixture.theme({})
            compare(findChild(swipe, "hint").text, "Swipe up for more")
            compare(findChild(swipe, "arrow").width, 64)
            mouseDrag(swipe, 200, 500, 0, -150, Qt.LeftButton, Qt.NoModifier, 5)
            tryCompare(swipes, "count", 1)
            mouseDrag(swipe, 200, 300, 0, 150, Qt.LeftButton, Qt.NoModifier, 5)
            mouseClick(swipe, 200, 300)
            wait(20)
            compare(swipes.count, 1)

            swipe.strings = Object.assign({}, configured.strings, { swipeUpHint: "" })
            verify(!findChild(swipe, "hint").visible)
            verify(findChild(swipe, "arrow").visible)
        }

        function test_swipeArrowBobsOnlyWhileShown() {
            reveal(swipe)
            const bob = findChild(swipe, "bob")
            verify(bob.running)
            reveal(poll)
            verify(!bob.running)
        }

        function test_themeFontsFallBackToTheSystemFont() {
            const missing = fixture.theme({ fontFamily: "No Such Family" }).font(15, Font.Medium)
            compare(missing.pixelSize, 15)
            compare(missing.weight, Font.Medium)
            compare(fixture.theme({}).font(13, Font.Light).weight, Font.Normal, "the system font keeps four weights")

            const family = Qt.fontFamilies()[0]
            const installed = fixture.theme({ fontFamily: family }).font(22, Font.DemiBold)
            compare(installed.family, family)
            compare(installed.pixelSize, 22)
            compare(installed.weight, Font.Normal)
        }

        function test_dragsStartTwentyPointsAway() {
            tracker.press(Qt.point(100, 100))
            tracker.move(Qt.point(100, 119), Qt.vector2d(0, 500))
            tracker.release()
            compare(drags.count, 0, "a shorter move is no drag")

            tracker.press(Qt.point(100, 100))
            tracker.move(Qt.point(120, 100), Qt.vector2d(0, 0))
            tracker.move(Qt.point(90, 70), Qt.vector2d(-100, -200))
            tracker.release()
            compare(drags.count, 1, "once twenty away, a drag stays a drag wherever it ends")
            const [translation, predicted] = drags.signalArguments[0]
            compare(translation, Qt.point(-10, -30))
            fuzzyCompare(predicted.x, -10 - 100 * 0.499, 0.001)
            fuzzyCompare(predicted.y, -30 - 200 * 0.499, 0.001)

            tracker.release()
            compare(drags.count, 1)
        }
    }
}
