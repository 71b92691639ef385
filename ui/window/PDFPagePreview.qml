import QtQuick
import Zurbo

// One labelled page of a PDF, rendered off the main thread.
Column {
    id: root

    // Local path of the PDF; empty when there is none.
    property string url
    property int pageIndex
    property string label
    property color ink: Theme.ink
    property color cream: Theme.cream

    spacing: 9

    StaticText {
        objectName: "previewLabel"
        text: root.label
        font: Theme.monospaced(10, Font.Black)
        color: Theme.withAlpha(root.cream, 0.62)
    }

    Rectangle {
        width: root.width
        height: root.height - y
        radius: 14
        color: Qt.rgba(1, 1, 1, 0.06)

        Image {
            id: thumbnail
            objectName: "thumbnail"
            anchors.fill: parent
            anchors.margins: 10
            source: root.url === "" ? ""
                    : "image://pdfpage/" + root.pageIndex + "/" + encodeURIComponent(root.url)
            asynchronous: true
            cache: false
            fillMode: Image.PreserveAspectFit
            smooth: true
        }

        StaticText {
            objectName: "previewFallback"
            anchors.centerIn: parent
            visible: root.url === "" || thumbnail.status === Image.Error
            text: "No se ha podido abrir esta página."
            font: Theme.system(12, Font.Bold)
            color: Theme.withAlpha(root.cream, 0.5)
        }
    }
}
