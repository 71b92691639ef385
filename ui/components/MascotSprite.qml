import QtQuick
import Zurbo

// One cell of the mascot sheet, a 2 x 2 grid: idle, compressing / success, error.
Item {
    id: root

    enum MascotState { Idle, Compressing, Success, Error }

    // Item already has a `state`; the mood lives under its own name.
    property int mascotState: MascotSprite.Idle
    property real size: 64

    readonly property int column: root.mascotState % 2
    readonly property int row: root.mascotState >= MascotSprite.Success ? 1 : 0

    width: size
    height: size
    clip: true
    Accessible.role: Accessible.Graphic
    Accessible.ignored: !visible
    Accessible.name: ["Mascota de ZURBO esperando",
                      "Mascota de ZURBO comprimiendo",
                      "Mascota de ZURBO celebrando",
                      "Mascota de ZURBO agotada por un error"][root.mascotState]

    Image {
        objectName: "mascotSheet"
        x: -root.column * root.width
        y: -root.row * root.height
        width: 2 * root.width
        height: 2 * root.height
        source: ResourceFolder.fileUrl("MascotStates.png")
        cache: false
        smooth: true
        mipmap: true
    }
}
