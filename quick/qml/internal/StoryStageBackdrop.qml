import QtQuick
import Qt5Compat.GraphicalEffects

// What a story viewer shows beside its stage on a wide window: the page's media once more,
// scaled to cover the window and dimmed, so the stage does not float in black. Blurred when
// `blurred` (the scene graph must run shader effects); otherwise only dimmed.
Item {
    id: root

    // The item to copy: the stage's media.
    property Item source
    property bool blurred: false
    // A source that changes on every frame (a video) is copied, and so blurred, a few times a
    // second only: on a wide window the blur of every frame cost a whole core under llvmpipe.
    property bool sourceMoves: false

    clip: true

    ShaderEffectSource {
        id: copy
        objectName: "backdropCopy"
        readonly property real coverScale: root.source && root.source.width > 0 && root.source.height > 0
                                           ? Math.max(root.width / root.source.width, root.height / root.source.height)
                                           : 1
        anchors.centerIn: parent
        width: (root.source?.width ?? 0) * coverScale
        height: (root.source?.height ?? 0) * coverScale
        sourceItem: root.source
        visible: !root.blurred
        live: !root.sourceMoves
        // A small texture is enough for a copy that is blurred or dimmed anyway.
        textureSize: Qt.size(Math.max(1, Math.ceil((root.source?.width ?? 0) / 4)),
                             Math.max(1, Math.ceil((root.source?.height ?? 0) / 4)))
        smooth: true
    }
    // The software scene graph misses a page swapped in under a Loader until something in it
    // draws; a new page is a new picture whatever it draws.
    Connections {
        target: root.source
        ignoreUnknownSignals: true
        function onItemChanged() { copy.scheduleUpdate() }
    }

    Timer {
        objectName: "backdropRefresh"
        interval: 250
        repeat: true
        running: root.sourceMoves && root.visible
        onTriggered: copy.scheduleUpdate()
    }

    Loader {
        objectName: "backdropBlur"
        anchors.fill: copy
        active: root.blurred && root.visible
        sourceComponent: FastBlur {
            source: copy
            radius: 48
            // Drawn from a texture on every frame rather than blurred again.
            cached: true
        }
    }

    Rectangle {
        objectName: "backdropDim"
        anchors.fill: parent
        color: Qt.rgba(0, 0, 0, 0.55)
    }
}
