import QtQuick
import Zurbo

// A text that assistive technology reads as it is shown, its line breaks as spaces; hidden or
// empty, it is not there. Texts that label a button are the button's name instead, and set
// `Accessible.ignored`.
Text {
    id: root

    // Read as a heading rather than as plain text.
    property bool heading: false

    Accessible.role: heading ? Accessible.Heading : Accessible.StaticText
    Accessible.name: text.replace(/\n/g, " ")
    Accessible.ignored: !visible || text === ""
}
