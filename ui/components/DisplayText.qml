import QtQuick
import Zurbo

// Text in the display face at `size`. The face is capitals only: lines after the first close
// up, and the box holds the capitals with a tenth of the size above and below them instead of
// the ascent and descent the face reserves. Accents and the tail of a Ç reach just beyond it.
StaticText {
    id: root

    property int size

    height: implicitHeight - 0.2 * size
    topPadding: -0.1 * size
    font: Theme.sink(size)
    lineHeight: 0.8
}
