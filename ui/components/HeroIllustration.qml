import QtQuick
import Zurbo

// The hero picture fitted into a square.
Item {
    id: root

    property real size: 166

    width: size
    height: size
    Accessible.role: Accessible.Graphic
    Accessible.ignored: !visible
    Accessible.name: "Mascota de ZURBO aplastando un PDF"

    Image {
        anchors.fill: parent
        source: ResourceFolder.fileUrl("HeroIllustration.png")
        fillMode: Image.PreserveAspectFit
        cache: false
        smooth: true
        mipmap: true
    }
}
