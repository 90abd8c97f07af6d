import QtQuick

// Eight dots turning while a page's media is on its way; shown only once the wait is longer
// than a glance, and turning only while shown.
Item {
    id: root

    property bool loading: false

    width: 36
    height: 36
    visible: loading && !delay.running

    Timer {
        id: delay
        interval: 300
        running: root.loading
    }
    Repeater {
        model: 8
        Rectangle {
            required property int index
            x: root.width / 2 - width / 2 + Math.sin(index * Math.PI / 4) * 13
            y: root.height / 2 - height / 2 - Math.cos(index * Math.PI / 4) * 13
            width: 5
            height: 5
            radius: 2.5
            color: "white"
            opacity: 0.25 + index * 0.1
        }
    }
    RotationAnimator on rotation {
        from: 0
        to: 360
        duration: 1000
        loops: Animation.Infinite
        running: root.visible
    }
}
