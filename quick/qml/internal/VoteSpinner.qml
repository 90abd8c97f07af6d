import QtQuick

// A small indeterminate spinner: eight ticks turning.
Item {
    implicitWidth: 20
    implicitHeight: 20
    scale: 0.8

    Repeater {
        model: 8

        Rectangle {
            required property int index
            x: 9
            width: 2
            height: 5
            radius: 1
            color: "white"
            opacity: 0.25 + 0.75 * index / 8
            transform: Rotation { origin.x: 1; origin.y: 10; angle: index * 45 }
        }
    }

    RotationAnimator on rotation {
        from: 0
        to: 360
        duration: 1000
        loops: Animation.Infinite
        running: visible
    }
}
