import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal

// A phone's window: the polls are drawn at 390 x 844 and saved for a person to look at.
Item {
    id: screen
    width: 390
    height: 844

    StoryViewerModel {
        id: configured
    }

    PollWidgetView {
        id: poll
        anchors.fill: parent
        question: "Which one?"
        theme: fixture.theme({ primaryColor: "#4361EE" })
        strings: configured.strings
        showResults: true
    }

    QuizWidgetView {
        id: quiz
        anchors.fill: parent
        visible: false
        question: "Which one?"
        theme: fixture.theme({ primaryColor: "#4361EE" })
        strings: configured.strings
        showResults: true
    }

    StoryBarView {
        id: bar
        width: parent.width
        placementKey: "home"
    }

    Component {
        id: viewerComponent
        StoryViewerView {
            anchors.fill: parent
            placementKey: "home"
        }
    }

    TestCase {
        name: "TranslatedViews"
        when: windowShown

        function cleanup() {
            verify(translations.load("en"))
            poll.visible = true
            quiz.visible = false
            tryCompare(findChild(poll, "badgeTitle"), "text", "Poll")
        }

        // Two options sharing `total` votes, results shown; the content in the language too.
        function showTotal(view, total, content) {
            const words = content ?? ["Which one?", "First", "Second"]
            view.question = words[0]
            view.options = [
                { id: "a", text: words[1], emojiPrefix: null, orderIndex: 0, isCorrect: true, voteCount: Math.ceil(total / 2) },
                { id: "b", text: words[2], emojiPrefix: null, orderIndex: 1, isCorrect: false, voteCount: Math.floor(total / 2) }
            ]
            tryVerify(() => findChild(view, "option1") !== null && !isPolishScheduled(findChild(view, "cardHeader")),
                      1000, "laid out")
            wait(20)
        }

        function saveShot(label) {
            const directory = translations.shotsDirectory()
            if (directory !== "")
                grabImage(screen).save(`${directory}/${label}.png`)
        }

        function sceneX(item) { return item.mapToItem(null, 0, 0).x }

        function bubble(index) { return findChild(bar, "bubbles").itemAtIndex(index) }
        function seen(index) { return findChild(bubble(index), "outline").parent.parent.seen }

        function test_pollResultsInPolish_data() {
            return [
                { tag: "1", total: 1, text: "1 głos" },
                { tag: "2", total: 2, text: "2 głosy" },
                { tag: "5", total: 5, text: "5 głosów" },
                { tag: "22", total: 22, text: "22 głosy" },
                { tag: "112", total: 112, text: "112 głosów" },
            ]
        }

        function test_pollResultsInPolish(data) {
            verify(translations.load("pl_PL"))
            showTotal(poll, data.total, ["Który film?", "Pierwszy", "Drugi"])
            tryCompare(findChild(poll, "total"), "text", data.text)
            compare(findChild(poll, "badgeTitle").text, "Ankieta")
            compare(findChild(poll, "heading").text, "Głosowanie")
            compare(findChild(findChild(poll, "option0"), "percent").text,
                    Math.floor(Math.ceil(data.total / 2) * 100 / data.total) + "%")
            verify(!poll.rightToLeft)
            verify(sceneX(findChild(poll, "badge")) < sceneX(findChild(poll, "total")), "badge at the left")
            saveShot("poll-pl-" + data.tag)
        }

        function test_pollResultsInArabic_data() {
            return [
                { tag: "0", total: 0, text: "0 صوت" },
                { tag: "1", total: 1, text: "صوت واحد" },
                { tag: "2", total: 2, text: "صوتان" },
                { tag: "3", total: 3, text: "3 أصوات" },
                { tag: "11", total: 11, text: "11 صوتًا" },
                { tag: "100", total: 100, text: "100 صوت" },
            ]
        }

        function test_pollResultsInArabic(data) {
            verify(translations.load("ar"))
            showTotal(poll, data.total, ["أي فيلم؟", "الأول", "الثاني"])
            tryCompare(findChild(poll, "total"), "text", data.text)
            compare(findChild(poll, "badgeTitle").text, "استطلاع")
            compare(findChild(poll, "heading").text, "تصويت")
            compare(findChild(findChild(poll, "option0"), "percent").text,
                    (data.total > 0 ? Math.floor(Math.ceil(data.total / 2) * 100 / data.total) : 0) + "٪")
            // Right to left: the badge opens the header at the right, the total closes it at the left,
            // and each option's text starts at the right with its share at the left.
            verify(poll.rightToLeft)
            const badge = findChild(poll, "badge"), total = findChild(poll, "total")
            verify(sceneX(badge) > sceneX(total), "badge right of the total")
            const row = findChild(poll, "option0")
            verify(sceneX(findChild(row, "optionText")) > sceneX(findChild(row, "percent")), "share left of the text")
            compare(findChild(poll, "question").effectiveHorizontalAlignment, Text.AlignRight)
            saveShot("poll-ar-" + data.tag)
        }

        function test_hostTextsWinOverTranslations() {
            poll.visible = false
            quiz.visible = true
            for (const language of [{ name: "pl", badge: "Quiz", total: "22 entries" },
                                    { name: "ar", badge: "اختبار", total: "22 entries" },
                                    { name: "en", badge: "Quiz", total: "22 entries" }]) {
                verify(translations.load(language.name))
                showTotal(quiz, 22)
                // The host's heading and words stand; the badge it left at the default is translated.
                tryCompare(findChild(quiz, "badgeTitle"), "text", language.badge)
                compare(findChild(quiz, "heading").text, "Quiz time")
                compare(findChild(quiz, "total").text, language.total)
            }
            showTotal(quiz, 1)
            compare(findChild(quiz, "total").text, "1 entry")
            saveShot("quiz-host-texts")
        }

        function test_languageChangesAtRunTimeInTheSameSession() {
            tryCompare(findChild(bar, "bubbles"), "count", 4)
            const session = translations.sessionId()
            verify(session !== "")
            const viewer = createTemporaryObject(viewerComponent, screen, { groups: fixture.homeGroups(), startIndex: 0 })
            const model = findChild(viewer, "viewerModel")
            tryCompare(model, "hasCurrentGroup", true)
            // The first group read to its end is seen; then a vote on the poll of the second.
            model.goToNext()
            model.goToNext()
            tryVerify(() => seen(0))
            model.goToNextGroup()
            tryCompare(model, "currentGroupIndex", 1)
            tryVerify(() => findChild(viewer, "widget").item !== null)
            const card = findChild(viewer, "widget").item
            model.vote("00000000-0000-4000-8000-0000000000a3")
            tryCompare(model, "isVotingInProgress", true)
            fixture.releaseVotes()
            tryCompare(model, "showResults", true)
            const voted = model.votedOptionId
            const englishTotal = findChild(card, "total").text
            compare(findChild(viewer, "closeButton").Accessible.name, "Close")

            verify(translations.load("de_DE"))
            tryCompare(findChild(viewer, "closeButton").Accessible, "name", "Schließen")
            compare(findChild(viewer, "progress").Accessible.name, "Seite 1 von 2")
            compare(findChild(card, "badgeTitle").text, "Umfrage")
            verify(findChild(card, "total").text !== englishTotal)
            verify(/^\d+ Stimmen$/.test(findChild(card, "total").text), findChild(card, "total").text)
            compare(bubble(0).Accessible.name, "Circle, Story, 3 Seiten")

            // Nothing started over: the session, what was seen, the page, the vote and its results.
            compare(translations.sessionId(), session)
            verify(seen(0) && !seen(1))
            compare(model.currentGroupIndex, 1)
            compare(model.currentItemIndex, 0)
            compare(model.votedOptionId, voted)
            verify(model.showResults)
            compare(findChild(viewer, "widget").item, card)

            // And into a right-to-left language, where the viewer mirrors as it stands.
            verify(!viewer.rightToLeft)
            verify(translations.load("ar"))
            tryCompare(viewer, "rightToLeft", true)
            tryCompare(findChild(viewer, "closeButton").Accessible, "name", "إغلاق")
            compare(translations.sessionId(), session)
            compare(model.votedOptionId, voted)
            tryVerify(() => Math.abs(sceneX(findChild(viewer, "stage"))) < 0.5, 3000, "the stage settled")
            saveShot("viewer-ar")
        }
    }
}
