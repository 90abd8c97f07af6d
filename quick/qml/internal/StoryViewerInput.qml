import QtQuick
import OrvaneStories.Internal

// How a story viewer answers the user's hands: the end of a drag, the keys, and Tab moving focus
// through the viewer's controls. The viewer hands over its model and the parts it reads.
QtObject {
    id: input

    required property StoryViewerModel viewerModel
    // Holds the pause while Space or K is down.
    required property QtObject pauseState
    // The parts Tab visits, in reading order, and the texts whose call-to-action Enter follows.
    required property var focusParts
    required property Item texts
    required property bool mirrored
    readonly property storyPage item: viewerModel.currentItem

    // Ends of drags, in points with y growing downwards; the flick of the finger carries the
    // predicted translation beyond the actual one.
    function finishDrag(translation, predictedTranslation) {
        if (translation.y > 120 && Math.abs(translation.x) < 80) {
            viewerModel.close()
            return
        }
        if ((predictedTranslation.y < -120 || translation.y < -50) && Math.abs(translation.x) < 160
                && item.widgetType === "swipe") {
            viewerModel.handleSwipeUp()
            return
        }
        // Sideways, towards the reading direction's end: the next group.
        if (Math.abs(translation.x) > 100 && Math.abs(translation.y) < 80) {
            const towardsEnd = mirrored ? translation.x > 0 : translation.x < 0
            towardsEnd ? viewerModel.goToNextGroup() : viewerModel.goToPreviousGroup()
        }
    }

    // The controls Tab visits, in reading order: the header's, the widget's, the page's.
    function tabStops() {
        const stops = []
        const collect = item => {
            if (!item.visible || !item.enabled)
                return
            if (item.activeFocusOnTab)
                stops.push(item)
            for (let i = 0; i < item.children.length; ++i)
                collect(item.children[i])
        }
        for (const part of focusParts)
            collect(part)
        return stops
    }

    // Focus stays inside the viewer, which covers the window.
    function moveFocus(forward) {
        const stops = tabStops()
        if (stops.length === 0)
            return
        const current = stops.findIndex(stop => stop.activeFocus)
        const next = current < 0 ? (forward ? 0 : stops.length - 1)
                                 : (current + (forward ? 1 : stops.length - 1)) % stops.length
        stops[next].forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
    }

    function handleKey(event) {
        const forward = mirrored ? Qt.Key_Left : Qt.Key_Right
        const backward = mirrored ? Qt.Key_Right : Qt.Key_Left
        const shifted = (event.modifiers & Qt.ShiftModifier) !== 0
        switch (event.key) {
        case forward:
            shifted ? viewerModel.goToNextGroup() : viewerModel.goToNext()
            break
        case backward:
            shifted ? viewerModel.goToPreviousGroup() : viewerModel.goToPrevious()
            break
        case Qt.Key_PageDown:
            viewerModel.goToNextGroup()
            break
        case Qt.Key_PageUp:
            viewerModel.goToPreviousGroup()
            break
        case Qt.Key_Space:
        case Qt.Key_K:
            if (!event.isAutoRepeat)
                pauseState.setPaused(!pauseState.isPaused)
            break
        case Qt.Key_Escape:
        case Qt.Key_Back:
            viewerModel.close()
            break
        case Qt.Key_Return:
        case Qt.Key_Enter:
            if (texts.ctaShown)
                texts.activateCta()
            break
        default:
            event.accepted = false
            return
        }
        event.accepted = true
    }
}
