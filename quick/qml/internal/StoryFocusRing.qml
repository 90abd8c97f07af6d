import QtQuick

// The ring around the control that has the keyboard focus: fills its parent with a little room
// around it, rounded as the control is.
Rectangle {
    objectName: "focusRing"
    property Item control: parent
    property real gap: 3

    anchors.fill: parent
    anchors.margins: -gap
    radius: (control && control.radius !== undefined ? control.radius : 0) + gap
    color: "transparent"
    border.color: "white"
    border.width: 2
    visible: control !== null && control.activeFocus
}
