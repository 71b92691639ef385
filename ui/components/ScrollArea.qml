import QtQuick
import QtQuick.Controls.Basic
import Zurbo

// A vertical scroll area whose indicator shows at rest, and which scrolls whatever takes the
// keyboard's focus inside it into view.
Flickable {
    id: root

    property color indicatorColor: Theme.withAlpha(Theme.cream, 0.4)
    // What assistive technology calls the scroll bar.
    property string barName
    readonly property Item focusedItem: Window.activeFocusItem

    // Scrolls just enough to show `item`, one of the area's own items; its top when it is
    // taller than the area.
    function reveal(item) {
        const area = item.mapToItem(contentItem, 0, 0, item.width, item.height)
        const shown = Math.min(Math.max(contentY, area.y + area.height - height), area.y)
        contentY = Math.max(0, Math.min(shown, contentHeight - height))
    }

    clip: true
    boundsBehavior: Flickable.StopAtBounds
    onFocusedItemChanged: {
        for (let item = focusedItem; item; item = item.parent) {
            if (item === contentItem) {
                reveal(focusedItem)
                return
            }
        }
    }

    ScrollBar.vertical: ScrollBar {
        id: indicator

        policy: ScrollBar.AlwaysOn
        Accessible.name: root.barName
        Accessible.ignored: !visible
        contentItem: Rectangle {
            implicitWidth: 5
            radius: 2.5
            color: root.indicatorColor
            visible: indicator.size < 1
        }
    }
}
