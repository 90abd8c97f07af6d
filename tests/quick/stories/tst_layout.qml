import QtQuick
import QtTest
import OrvaneStories
import OrvaneStories.Internal

// Every view state at phone and desktop window sizes, with long and right-to-left texts: each
// text fits the box it is given, stays inside its container, the stage and the safe area, and
// no two texts overlap.
Item {
    id: root
    width: 1920
    height: 1080

    Rectangle {
        id: screen
        color: "#303040"
        clip: true
    }

    Component {
        id: viewerComponent
        StoryViewerView {
            anchors.fill: parent
            placementKey: "layout"
        }
    }

    // A host's page beneath the bar: the bar's labels take the palette's text colour.
    Component {
        id: hostPageComponent
        Rectangle {
            anchors.fill: parent
            color: palette.window
        }
    }

    Component {
        id: barComponent
        StoryBarView {
            width: parent.width
            placementKey: "home"
        }
    }

    Component {
        id: pollComponent
        PollWidgetView {
            anchors.fill: parent
        }
    }

    Component {
        id: quizComponent
        QuizWidgetView {
            anchors.fill: parent
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    Component {
        id: swipeComponent
        SwipeWidgetView {
            anchors.fill: parent
        }
    }

    TestCase {
        name: "Layout"
        when: windowShown

        readonly property var sizes: [[320, 568], [390, 844], [1280, 800], [1920, 1080]]
        property int nextId: 1

        readonly property var english: ({
            title: "An unexpectedly long page title that runs well past a single line on any phone",
            body: "The body of this page tells a long story. ".repeat(8)
                  + "Antidisestablishmentarianism_without_a_single_break_in_it_at_all.",
            cta: "Read the whole article with every last detail about this story right now",
            question: "Which of these rather long answers would you pick if you had to choose just one today?",
            option: "A fairly long answer that needs two lines on a phone screen, number ",
            group: "A group title that is far too long for the header of the viewer"
        })
        readonly property var arabic: ({
            title: "عنوان طويل جدا لصفحة القصة يمتد إلى ما بعد سطر واحد على أي هاتف محمول",
            body: "يروي نص هذه الصفحة قصة طويلة جدا عن موضوع مهم. ".repeat(8),
            cta: "اقرأ المقال كاملا مع كل التفاصيل حول هذه القصة الآن",
            question: "أي من هذه الإجابات الطويلة ستختار إذا كان عليك أن تختار واحدة فقط اليوم؟",
            option: "إجابة طويلة إلى حد ما تحتاج إلى سطرين على شاشة الهاتف، رقم ",
            group: "عنوان مجموعة طويل جدا على رأس العارض"
        })
        readonly property var longStrings: ({
            pollTitle: "Tell us what you think about it", quizTitle: "Test what you know about it",
            pollBadgeTitle: "COMMUNITY POLL", quizBadgeTitle: "KNOWLEDGE QUIZ", swipeBadgeTitle: "SWIPE",
            swipeUpHint: "Swipe up to open the full offer with all of its conditions and details",
            voteSingular: "vote from our readers", votePlural: "votes from our readers",
            answerSingular: "answer from our readers", answerPlural: "answers from our readers"
        })

        function uuid() {
            return "00000000-0000-4000-8000-" + String(nextId++).padStart(12, "0")
        }

        function insetsFor(width) {
            if (width < 360)
                return { top: 20, bottom: 16, left: 10, right: 6 }
            return width < 600 ? { top: 47, bottom: 34, left: 0, right: 0 } : { top: 0, bottom: 0, left: 0, right: 0 }
        }

        function resize(size) {
            screen.width = size[0]
            screen.height = size[1]
        }

        // One group of one page; `page` says what the page carries.
        function groups(page, texts) {
            const item = { id: uuid(), type: "IMAGE", durationSeconds: 30, title: texts.title, bodyText: texts.body }
            if (page.cta)
                Object.assign(item, { ctaText: texts.cta, ctaUrl: "https://example.com/cta" })
            if (page.media)
                item.media = { mediaType: "IMAGE", mediaUrl: page.mediaUrl ?? "https://cdn.example.test/page.png" }
            if (page.widget === "swipe")
                Object.assign(item, { type: "SWIPE", widgetType: "SWIPE", swipeCallbackUrl: "https://example.com/swipe" })
            if (page.widget === "poll" || page.widget === "quiz") {
                const options = []
                for (let i = 0; i < page.options; ++i)
                    options.push({ id: uuid(), text: texts.option + (i + 1), emojiPrefix: i % 2 ? "⭐️" : "🎬",
                                   orderIndex: i, voteCount: 29 + i, isCorrect: i === 0 })
                Object.assign(item, { type: page.widget.toUpperCase(), widgetType: page.widget.toUpperCase(),
                                      widgetQuestion: texts.question, widgetOptions: options })
            }
            // Further pages, as a story opened by a later page's id has.
            const items = [item]
            for (let i = 1; i < (page.pages ?? 1); ++i)
                items.push(Object.assign({}, item, { id: uuid() }))
            const group = { id: uuid(), title: texts.group, items: items,
                            theme: { primaryColor: "#FFD166", secondaryColor: "#3366FF", ctaStyle: "FILLED" } }
            return fixture.groupsFrom(JSON.stringify({ groups: [group] }))
        }

        // Geometry, in the window's coordinates.
        function sceneRect(item) {
            const p = item.mapToItem(null, 0, 0)
            return Qt.rect(p.x, p.y, item.width, item.height)
        }
        function intersect(a, b) {
            const x = Math.max(a.x, b.x), y = Math.max(a.y, b.y)
            return Qt.rect(x, y, Math.max(0, Math.min(a.x + a.width, b.x + b.width) - x),
                           Math.max(0, Math.min(a.y + a.height, b.y + b.height) - y))
        }
        // What of the item can be seen through the clipping items around it.
        function visibleRect(item) {
            let rect = sceneRect(item)
            for (let p = item.parent; p !== null; p = p.parent)
                if (p.clip)
                    rect = intersect(rect, sceneRect(p))
            return rect
        }
        function isEmpty(rect) { return rect.width < 0.5 || rect.height < 0.5 }
        function inside(inner, outer) {
            const slack = 0.5
            return inner.x >= outer.x - slack && inner.y >= outer.y - slack
                && inner.x + inner.width <= outer.x + outer.width + slack
                && inner.y + inner.height <= outer.y + outer.height + slack
        }
        function describe(item) {
            const rect = visibleRect(item)
            return `${item.objectName || item.text?.slice(0, 24) || item} at ${rect.x},${rect.y} ${rect.width}x${rect.height}`
        }

        function isText(item) { return item.elide !== undefined && item.contentWidth !== undefined }
        function shownTexts(item, found) {
            found = found ?? []
            for (let i = 0; i < item.children.length; ++i) {
                const child = item.children[i]
                if (!child.visible || child.opacity === 0)
                    continue
                if (isText(child) && child.text !== "" && !isEmpty(visibleRect(child)))
                    found.push(child)
                shownTexts(child, found)
            }
            return found
        }
        function shownItems(item, names, found) {
            found = found ?? []
            for (let i = 0; i < item.children.length; ++i) {
                const child = item.children[i]
                if (!child.visible)
                    continue
                if (names.some(name => child.objectName.startsWith(name)) && !isEmpty(visibleRect(child)))
                    found.push(child)
                shownItems(child, names, found)
            }
            return found
        }

        // `area`: the rect everything must keep to (the safe part of the stage or screen).
        function checkLayout(view, area, label) {
            const texts = shownTexts(view)
            verify(texts.length > 0, label + ": texts shown")
            for (const text of texts) {
                const what = `${label}: ${describe(text)}`
                if (text.width >= 1) {
                    verify(text.contentWidth <= text.width + 1, `${what} is ${text.contentWidth} wide in ${text.width}`)
                    if (!text.clip)
                        verify(text.contentHeight <= text.height + 1,
                               `${what} is ${text.contentHeight} tall in ${text.height}`)
                }
                verify(inside(visibleRect(text), sceneRect(text.parent)), `${what} leaves its container`)
                verify(inside(visibleRect(text), area), `${what} leaves ${area}`)
            }
            for (let i = 0; i < texts.length; ++i)
                for (let j = i + 1; j < texts.length; ++j)
                    verify(isEmpty(intersect(visibleRect(texts[i]), visibleRect(texts[j]))),
                           `${label}: ${describe(texts[i])} overlaps ${describe(texts[j])}`)
            const controls = shownItems(view, ["closeButton", "shareButton", "ctaButton", "card", "option", "badge", "arrow"])
            for (const control of controls)
                verify(inside(visibleRect(control), area), `${label}: ${describe(control)} leaves ${area}`)
            return { texts, controls }
        }

        function saveShot(label) {
            // The swipe arrow's bob held at its start, so both renderers draw the same moment.
            const arrow = findChild(screen, "arrow")
            if (arrow) {
                arrow.parent.parent.paused = true
                arrow.opacity = 0.7
                arrow.transform[0].y = 0
                wait(20)
            }
            const directory = fixture.shotsDirectory()
            if (directory !== "")
                grabImage(screen).save(`${directory}/${label.replace(/ /g, "-")}.png`)
        }

        function checkViewer(viewer, size, insets, label) {
            tryVerify(() => !isPolishScheduled(findChild(viewer, "pageTexts")), 1000, label + ": laid out")
            wait(20)  // rows and headers of layouts within layouts
            saveShot(label)
            const stage = sceneRect(findChild(viewer, "stage"))
            // As large as the window allows at the stories' shape, centred.
            fuzzyCompare(stage.width, Math.min(size[0], size[1] * 9 / 16), 1)
            fuzzyCompare(stage.x, (size[0] - stage.width) / 2, 1)
            compare(findChild(viewer, "backdrop").visible, stage.width < size[0] - 1)
            const safeArea = Qt.rect(insets.left, insets.top, size[0] - insets.left - insets.right,
                                     size[1] - insets.top - insets.bottom)
            checkLayout(viewer, intersect(stage, safeArea), label)

            // Widgets keep clear of the page's texts, and a card that is cut short scrolls.
            const pageTexts = ["pageTitle", "pageBody", "ctaButton"].map(name => findChild(viewer, name))
                .filter(item => item && item.visible && !isEmpty(visibleRect(item)))
            for (const name of ["card", "arrow", "hint"]) {
                const widget = findChild(viewer, name)
                if (!widget || !widget.visible)
                    continue
                for (const text of pageTexts)
                    verify(isEmpty(intersect(visibleRect(widget), visibleRect(text))),
                           `${label}: ${name} covers ${describe(text)}`)
                verify(visibleRect(widget).y >= sceneRect(findChild(viewer, "header")).y
                       + findChild(viewer, "header").height, `${label}: ${name} reaches the header`)
            }
            // The page's own signs (no picture, a failed one, one on its way) sit clear of the
            // header and the texts, or are not shown.
            for (const name of ["placeholderSymbol", "mediaFailed", "loadingSpinner"]) {
                const sign = findChild(viewer, name)
                if (!sign || !sign.visible)
                    continue
                for (const text of pageTexts.concat([findChild(viewer, "header")]))
                    verify(isEmpty(intersect(visibleRect(sign), visibleRect(text))),
                           `${label}: ${describe(sign)} covers ${describe(text)}`)
            }
            // The progress, drawn above the page, keeps the header's first row.
            const header = findChild(viewer, "header"), progress = findChild(viewer, "progress")
            if (progress.visible) {
                const bar = sceneRect(progress), row = sceneRect(header)
                verify(inside(bar, row), `${label}: progress ${bar} leaves the header ${row}`)
                fuzzyCompare(bar.y, row.y, 0.5)
                fuzzyCompare(bar.width, row.width, 0.5)
                verify(bar.y + bar.height <= sceneRect(findChild(viewer, "groupTitle")).y,
                       label + ": progress above the title")
            }
            // Scrims lie behind the header and the page's texts.
            verify(sceneRect(findChild(viewer, "topScrim")).y + findChild(viewer, "topScrim").height
                   >= sceneRect(header).y + header.height, label + ": top scrim behind the header")
            for (const text of pageTexts)
                verify(sceneRect(findChild(viewer, "bottomScrim")).y <= visibleRect(text).y,
                       `${label}: bottom scrim behind ${describe(text)}`)
            const scroller = findChild(viewer, "optionsScroller")
            if (scroller && scroller.visible)
                verify(scroller.contentHeight <= scroller.height + 1 || scroller.interactive, label + ": options scroll")
        }

        function openViewer(page, texts, size, rightToLeft, startPageIndex) {
            resize(size)
            const insets = insetsFor(size[0])
            const viewer = createTemporaryObject(viewerComponent, screen, {
                groups: groups(page, texts), startIndex: 0, startPageIndex: startPageIndex ?? 0,
                rightToLeft: rightToLeft })
            verify(viewer)
            viewer.safeAreaInsets.top = insets.top
            viewer.safeAreaInsets.bottom = insets.bottom
            viewer.safeAreaInsets.left = insets.left
            viewer.safeAreaInsets.right = insets.right
            compare(viewer.safeAreaInsets.top, insets.top)
            findChild(viewer, "viewerModel").pause()
            return { viewer, insets }
        }

        function viewerCases() {
            const pages = [
                { tag: "page", page: { media: true, cta: true } },
                { tag: "no media", page: { cta: true } },
                { tag: "swipe", page: { media: true, cta: true, widget: "swipe" } },
                { tag: "poll of 2", page: { media: true, cta: true, widget: "poll", options: 2 } },
                { tag: "poll of 6", page: { media: true, cta: true, widget: "poll", options: 6 } },
                { tag: "quiz of 2", page: { media: true, widget: "quiz", options: 2 } },
                { tag: "quiz of 6", page: { media: true, cta: true, widget: "quiz", options: 6 } },
            ]
            const cases = []
            for (const size of sizes)
                for (const entry of pages)
                    for (const rightToLeft of [false, true])
                        cases.push({ tag: `${entry.tag} ${size[0]}x${size[1]}${rightToLeft ? " rtl" : ""}`,
                                     page: entry.page, size, rightToLeft })
            return cases
        }

        function test_viewerPages_data() { return viewerCases() }

        // Poll and quiz pages before, while and after voting.
        function test_viewerPages(data) {
            fixture.reset()
            const { viewer, insets } = openViewer(data.page, data.rightToLeft ? arabic : english, data.size,
                                                  data.rightToLeft)
            checkViewer(viewer, data.size, insets, data.tag)

            const header = findChild(viewer, "groupTitle"), close = findChild(viewer, "closeButton")
            verify(data.rightToLeft ? close.mapToItem(null, 0, 0).x < header.mapToItem(null, 0, 0).x
                                    : close.mapToItem(null, 0, 0).x > header.mapToItem(null, 0, 0).x,
                   "the close button sits at the trailing end")
            const previous = findChild(viewer, "previousZone"), next = findChild(viewer, "nextZone")
            verify(data.rightToLeft ? previous.mapToItem(null, 0, 0).x > next.mapToItem(null, 0, 0).x
                                    : previous.mapToItem(null, 0, 0).x < next.mapToItem(null, 0, 0).x,
                   "back is on the leading side")
            // With the room of a tall window a plain page shows its texts whole.
            if (!data.page.widget && data.size[1] >= 800)
                for (const name of ["pageTitle", "pageBody"])
                    verify(!findChild(viewer, name).truncated, `${data.tag}: ${name} shown whole`)
            if (data.page.widget !== "poll" && data.page.widget !== "quiz")
                return

            const model = findChild(viewer, "viewerModel")
            model.vote(model.currentItem.widgetOptions[1].id)
            tryVerify(() => model.isVotingInProgress, 1000, "voting")
            checkViewer(viewer, data.size, insets, data.tag + " voting")
            fixture.releaseVotes()
            tryVerify(() => model.showResults, 2000, "results")
            checkViewer(viewer, data.size, insets, data.tag + " results")
        }

        function test_sharedPageOpenedById_data() {
            const cases = []
            for (const size of sizes)
                for (const rightToLeft of [false, true])
                    cases.push({ tag: `${size[0]}x${size[1]}${rightToLeft ? " rtl" : ""}`, size, rightToLeft })
            return cases
        }

        // A story opened at its third page by id, in an app that shares pages: the header holds
        // the title, the share button and the close button in reading order.
        function test_sharedPageOpenedById(data) {
            fixture.reset()
            StoryNavigation.linkScheme = "layout"
            StoryNavigation.shareEnabled = true
            const { viewer, insets } = openViewer({ media: true, cta: true, pages: 3 },
                                                  data.rightToLeft ? arabic : english, data.size,
                                                  data.rightToLeft, 2)
            const share = findChild(viewer, "shareButton")
            tryVerify(() => share.visible, 1000, "share button shown")
            compare(findChild(viewer, "viewerModel").currentItemIndex, 2)
            checkViewer(viewer, data.size, insets, "opened by id with share " + data.tag)
            const x = name => findChild(viewer, name).mapToItem(null, 0, 0).x
            if (data.rightToLeft)
                verify(x("closeButton") < x("shareButton") && x("shareButton") < x("groupTitle"), "reading order")
            else
                verify(x("groupTitle") < x("shareButton") && x("shareButton") < x("closeButton"), "reading order")
            StoryNavigation.shareEnabled = false
            StoryNavigation.linkScheme = ""
        }

        // On a small phone a card of many options scrolls and says so, Tab scrolls each option into
        // view, and dragging inside the card scrolls it, never closing the viewer.
        function test_smallPhoneCardReachesEveryOption_data() {
            return [{ tag: "poll", widget: "poll" }, { tag: "quiz", widget: "quiz" }]
        }

        function test_smallPhoneCardReachesEveryOption(data) {
            fixture.reset()
            const { viewer } = openViewer({ media: true, cta: true, widget: data.widget, options: 6 }, english,
                                          [320, 568], false)
            tryVerify(() => !isPolishScheduled(findChild(viewer, "pageTexts")), 1000, "laid out")
            wait(20)
            const scroller = findChild(viewer, "optionsScroller")
            verify(scroller.interactive, "six long options need more room than a small phone has")
            verify(findChild(viewer, "moreBelow").visible, "the card shows there is more below")
            // The page's texts yield to the card: a line of title and the call-to-action.
            verify(!findChild(viewer, "pageBody").visible, "the body gives its room to the card")
            compare(findChild(viewer, "pageTitle").lineCount, 1)
            const shown = sceneRect(scroller)
            viewer.forceActiveFocus()
            for (let i = 0; i < 6; ++i) {
                const option = findChild(viewer, "option" + i)
                for (let tries = 0; !option.activeFocus && tries < 12; ++tries)
                    keyClick(Qt.Key_Tab)
                verify(option.activeFocus, `option ${i} takes focus`)
                verify(inside(sceneRect(option), shown), `option ${i} at ${sceneRect(option)} shown in ${shown}`)
            }
            verify(!findChild(viewer, "moreBelow").visible, "nothing more below the last option")

            const dismissals = createTemporaryObject(spyComponent, viewer, { target: viewer, signalName: "dismissRequested" })
            const card = findChild(viewer, "card"), before = scroller.contentY
            mouseDrag(card, card.width / 2, 60, 0, 200, Qt.LeftButton, Qt.NoModifier, 10)
            wait(50)
            compare(dismissals.count, 0, "dragging down inside the card keeps the viewer open")
            verify(scroller.contentY < before, "and scrolls the card back up")
        }

        // White texts over a white picture, however long: what lies behind every line is dark
        // enough for a contrast of 4.5:1 with the body's white at 0.86.
        function test_pageTextsContrastWithABrightPicture_data() {
            return [{ tag: "phone", size: [390, 844] }, { tag: "small phone", size: [320, 568] },
                    { tag: "desktop", size: [1280, 800] }]
        }

        function test_pageTextsContrastWithABrightPicture(data) {
            fixture.reset()
            const { viewer } = openViewer({ media: true, cta: true, mediaUrl: "https://cdn.example.test/white.png" },
                                          english, data.size, false)
            const pageTexts = findChild(viewer, "pageTexts")
            tryVerify(() => !isPolishScheduled(pageTexts), 1000, "laid out")
            pageTexts.opacity = 0
            const stage = sceneRect(findChild(viewer, "stage"))
            let picture = null
            tryVerify(() => {
                picture = grabImage(screen)
                for (let y = 0; y < stage.height; y += 8)
                    if (picture.pixel(stage.x + stage.width / 2, y).b > 0.9)
                        return true
                return false
            }, 3000, "the white picture is shown")
            const linear = c => c <= 0.03928 ? c / 12.92 : Math.pow((c + 0.055) / 1.055, 2.4)
            const luminance = (r, g, b) => 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b)
            for (const name of ["pageTitle", "pageBody"]) {
                const text = findChild(viewer, name)
                if (!text.visible)
                    continue
                const rect = visibleRect(text)
                let brightest = 0
                for (let y = Math.ceil(rect.y); y < rect.y + rect.height; y += 2)
                    for (let x = Math.ceil(rect.x); x < rect.x + rect.width; x += 4) {
                        const c = picture.pixel(x, y)
                        brightest = Math.max(brightest, luminance(c.r, c.g, c.b))
                    }
                verify(brightest > 0, `${data.tag}: ${name} measured`)
                // The body's white at 0.86 over the brightest background behind it.
                const ground = brightest
                const textLuminance = 0.86 * 1 + 0.14 * ground
                const ratio = (textLuminance + 0.05) / (ground + 0.05)
                verify(ratio >= 4.5, `${data.tag}: ${name} ${rect} contrasts ${ratio.toFixed(2)}:1`)
            }
        }

        // Beside the stage and behind a poll card: the page's media blurred where shader effects
        // run, else only dimmed.
        function test_backdropBesideTheStage_data() {
            return [{ tag: "blurred", blurred: true }, { tag: "plain", blurred: false }]
        }

        function test_backdropBesideTheStage(data) {
            const { viewer } = openViewer({ media: true, widget: "poll", options: 2 }, english, [1280, 800], false)
            viewer.blurredBackdrop = data.blurred
            tryCompare(findChild(viewer, "cardMaterial"), "status", data.blurred ? Loader.Ready : Loader.Null)
            compare(findChild(viewer, "card").color, data.blurred ? Qt.rgba(0, 0, 0, 0) : Qt.rgba(0.08, 0.08, 0.1, 0.72))
            const backdrop = findChild(viewer, "backdrop")
            verify(backdrop.visible)
            tryCompare(findChild(backdrop, "backdropBlur"), "status", data.blurred ? Loader.Ready : Loader.Null)
            const copy = findChild(backdrop, "backdropCopy")
            compare(copy.visible, !data.blurred)
            compare(copy.sourceItem, findChild(viewer, "media"))
            verify(copy.width >= 1280 - 1 && copy.height >= 800 - 1, "the copy covers the window")
            verify(findChild(backdrop, "backdropDim").visible)
            wait(20)
            // Each renderer's own way only: the software scene graph runs no blur.
            if (data.blurred === viewer.drawnByGraphicsApi)
                saveShot("backdrop")

            resize([390, 844])
            tryCompare(backdrop, "visible", false)
        }

        // Beside a video the copy follows the frames a few times a second, not on every frame,
        // so the blur is not drawn again for each; beside a picture it follows every change.
        function test_backdropOfAVideoRefreshesSlowly() {
            fixture.reset()
            const { viewer } = openViewer({ media: true }, english, [1280, 800], false)
            const backdrop = findChild(viewer, "backdrop")
            verify(findChild(backdrop, "backdropCopy").live)
            verify(!findChild(backdrop, "backdropRefresh").running)
            const video = fixture.groupsFrom(JSON.stringify({ groups: [{ id: uuid(), title: "Video", items: [{
                id: uuid(), type: "VIDEO", durationSeconds: 30,
                media: { mediaType: "VIDEO", mediaUrl: "https://cdn.example.test/clip.avi" } }] }] }))
            const videoViewer = createTemporaryObject(viewerComponent, screen, { groups: video, startIndex: 0 })
            const videoBackdrop = findChild(videoViewer, "backdrop")
            verify(videoBackdrop.visible)
            verify(!findChild(videoBackdrop, "backdropCopy").live)
            verify(findChild(videoBackdrop, "backdropRefresh").running)
        }

        function test_bar_data() {
            const cases = []
            for (const size of sizes)
                for (const rightToLeft of [false, true])
                    cases.push({ tag: `${size[0]}x${size[1]}${rightToLeft ? " rtl" : ""}`, size, rightToLeft })
            return cases
        }

        function test_bar(data) {
            resize(data.size)
            createTemporaryObject(hostPageComponent, screen)
            const bar = createTemporaryObject(barComponent, screen, { rightToLeft: data.rightToLeft })
            tryVerify(() => bar.visible && findChild(bar, "title") !== null, 3000, "groups shown")
            wait(20)
            saveShot("bar " + data.tag)
            checkLayout(bar, sceneRect(screen), data.tag)
            // The first group sits at the leading end.
            const first = findChild(bar, "bubbles").itemAtIndex(0).mapToItem(null, 0, 0).x
            const second = findChild(bar, "bubbles").itemAtIndex(1).mapToItem(null, 0, 0).x
            verify(data.rightToLeft ? first > second : first < second, "bubbles in reading order")
        }

        // Long translated texts in the widgets, as a viewer lays them out over a phone page.
        function test_widgetsWithLongStrings_data() {
            const cases = []
            for (const size of sizes)
                for (const kind of ["poll", "quiz", "swipe"])
                    for (const phase of kind === "swipe" ? ["shown"] : ["before", "voting", "results"])
                        cases.push({ tag: `${kind} ${phase} ${size[0]}x${size[1]}`, kind, phase, size })
            return cases
        }

        function test_widgetsWithLongStrings(data) {
            resize(data.size)
            const component = { poll: pollComponent, quiz: quizComponent, swipe: swipeComponent }[data.kind]
            const options = []
            for (let i = 0; i < 6; ++i)
                options.push({ id: "o" + i, text: english.option + i, emojiPrefix: "🎬", orderIndex: i,
                               isCorrect: i === 0, voteCount: 1000000 + i })
            const inputs = { strings: longStrings }
            if (data.kind !== "swipe")
                Object.assign(inputs, { question: english.question, options, topMargin: 90,
                                        votedOptionId: data.phase === "before" ? null : "o2",
                                        isVotingInProgress: data.phase === "voting", showResults: data.phase === "results" })
            const view = createTemporaryObject(component, screen, inputs)
            wait(20)  // rows and headers of layouts within layouts
            saveShot(data.tag)
            checkLayout(view, sceneRect(screen), data.tag)
            // Millions of votes beside an answer still leave the answer whole words to show.
            for (let i = 0; data.kind !== "swipe" && i < options.length; ++i) {
                const answer = findChild(findChild(view, "option" + i), "optionText")
                verify(answer.width >= 80, `${data.tag}: answer ${i} squeezed to ${answer.width}`)
            }
        }
    }
}
