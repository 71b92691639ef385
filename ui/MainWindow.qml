import QtQuick
import QtQuick.Controls.Basic
import Zurbo

// The one window of the ordinary launch, with its menu commands.
ApplicationWindow {
    id: root

    required property CompressorModel model
    required property FileBrowserReveal fileBrowser

    title: "Zurbo"
    visible: true
    width: 1180
    height: 820
    minimumWidth: 860
    minimumHeight: 650
    color: Theme.ink

    menuBar: MenuBar {
        // The bar belongs to the dark canvas; the menus it opens keep their usual colours.
        palette.button: Theme.ink
        palette.buttonText: Theme.withAlpha(Theme.cream, 0.7)
        palette.dark: Theme.charcoal
        palette.midlight: Theme.charcoal

        Menu {
            title: "Archivo"

            Action {
                objectName: "chooseFilesCommand"
                text: "Elegir PDFs…"
                shortcut: "Ctrl+O"
                onTriggered: root.model.chooseFiles()
            }
        }
        Menu {
            title: "PDF"

            Action {
                objectName: "compressCommand"
                text: "Comprimir PDFs"
                shortcut: "Ctrl+Return"
                enabled: !root.model.isWorking && root.model.queue.count > 0
                onTriggered: content.compressAll()
            }
        }
    }

    ContentView {
        id: content
        anchors.fill: parent
        model: root.model
        fileBrowser: root.fileBrowser
    }
}
