import QtQuick
import Zurbo

// The same page of the source and of the result side by side.
Rectangle {
    id: root

    // The job's fields by role name; only a finished job has an output.
    property var job
    property color ink: Theme.ink
    property color cream: Theme.cream
    property color mint: Theme.mint
    property color orange: Theme.orange
    property int pageIndex: 0

    readonly property int pageCount: Math.max(1, Math.min(
        PdfPageCounter.pageCount(job.source),
        job.output ? PdfPageCounter.pageCount(job.output) : 1))

    signal dismiss()

    implicitWidth: 900
    implicitHeight: 650
    color: ink

    Rectangle {
        id: header
        width: parent.width
        height: headerRow.implicitHeight + 40
        color: root.mint

        Row {
            id: headerRow
            anchors.left: parent.left
            anchors.leftMargin: 20
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2

            Column {
                spacing: 2

                StaticText {
                    heading: true
                    text: "BUSCA EL DESTROZO"
                    font: Theme.system(25, Font.Black)
                    color: root.ink
                }
                StaticText {
                    objectName: "pageLine"
                    text: "Si no lo encuentras, hemos ganado. Página " + (root.pageIndex + 1)
                          + " de " + root.pageCount
                    font: Theme.system(11, Font.DemiBold)
                    color: Theme.withAlpha(root.ink, 0.58)
                }
            }
        }

        Row {
            anchors.right: parent.right
            anchors.rightMargin: 20
            anchors.verticalCenter: parent.verticalCenter
            spacing: 18

            SymbolButton {
                objectName: "previousPage"
                symbol: "chevronLeft"
                Accessible.name: "Página anterior"
                enabled: root.pageIndex > 0
                onClicked: root.pageIndex = Math.max(root.pageIndex - 1, 0)
            }
            SymbolButton {
                objectName: "nextPage"
                symbol: "chevronRight"
                Accessible.name: "Página siguiente"
                enabled: root.pageIndex < root.pageCount - 1
                onClicked: root.pageIndex = Math.min(root.pageIndex + 1, root.pageCount - 1)
            }
            Text {
                objectName: "closeComparison"
                anchors.verticalCenter: parent.verticalCenter
                text: "CERRAR"
                font: Theme.system(11, Font.Black)
                color: root.ink

                Pressable {
                    text: parent.text
                    cornerRadius: 4
                    onClicked: root.dismiss()
                }
            }
        }
    }

    Row {
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 18
        spacing: 14

        PDFPagePreview {
            objectName: "beforePreview"
            width: (parent.width - parent.spacing) / 2
            height: parent.height
            url: root.job.source
            pageIndex: root.pageIndex
            label: "ANTES · " + ByteText.format(root.job.originalBytes)
            ink: root.ink
            cream: root.cream
        }
        PDFPagePreview {
            objectName: "afterPreview"
            width: (parent.width - parent.spacing) / 2
            height: parent.height
            url: root.job.output ?? ""
            pageIndex: root.pageIndex
            label: "DESPUÉS · " + ByteText.format(root.job.outputBytes ?? 0)
            ink: root.ink
            cream: root.cream
        }
    }

    component SymbolButton: Pressable {
        property string symbol

        anchors.fill: undefined
        anchors.verticalCenter: parent.verticalCenter
        implicitWidth: 22
        implicitHeight: 22
        cornerRadius: 4
        opacity: enabled ? 1 : 0.3

        Glyph {
            anchors.centerIn: parent
            name: parent.symbol
            size: 20
            color: root.ink
        }
    }
}
