import QtQuick
import Zurbo

// Tells assistive technology what just happened, wherever its focus is: a notification that
// appears with the news as its name, which is how screen readers on this desktop hear one.
// What is said within one turn of the event loop is said together, so that the end of a batch
// does not cut off the news of its last file.
Item {
    id: root

    property var pending: []

    // `news` is a text or a list of texts, each said as a sentence; empty ones are left out.
    function say(news) {
        const pieces = (Array.isArray(news) ? news : [news]).filter(piece => piece !== "")
        if (pieces.length === 0)
            return
        if (pending.length === 0)
            Qt.callLater(flush)
        pending.push(...pieces)
    }

    function flush() {
        visible = false
        // Each piece ends as a sentence, so that the voice pauses between them.
        Accessible.name = pending.map(piece => /[.!?…]$/.test(piece) ? piece : piece + ".")
                                 .join(" ")
        pending = []
        visible = true
    }

    width: 1
    height: 1
    visible: false
    Accessible.role: Accessible.Notification
}
