import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Controls.impl
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
    // The menus in the dark of the canvas: the controls' style keeps a light palette of its
    // own, which the application's palette (for the file dialogs) does not reach.
    palette.window: Theme.menuSurface
    palette.windowText: Theme.cream
    palette.light: Theme.charcoal
    palette.midlight: Theme.ink
    palette.mid: Theme.charcoal
    palette.dark: Theme.ink
    palette.highlight: Theme.mint
    palette.highlightedText: Theme.ink

    menuBar: MenuBar {
        id: menuBar

        // The bar belongs to the canvas.
        palette.button: Theme.ink
        palette.buttonText: Theme.withAlpha(Theme.cream, 0.7)

        // Each title opens its menu, from its mnemonic too (Alt+A, Alt+P). Assistive technology
        // hears a title as an item that opens a menu, without the mnemonic's mark: the
        // controls' own item calls itself a whole menu bar, and cannot be told otherwise.
        delegate: MenuBarItem {
            id: menuTitle

            Accessible.ignored: true
            contentItem: AccessibleItem {
                implicitWidth: titleLabel.implicitWidth
                implicitHeight: titleLabel.implicitHeight
                Accessible.role: Accessible.MenuItem
                Accessible.name: menuTitle.text.replace("&", "")
                Accessible.onPressAction: menuTitle.triggered()

                MnemonicLabel {
                    id: titleLabel
                    anchors.verticalCenter: parent.verticalCenter
                    text: menuTitle.text
                    font: menuTitle.font
                    color: menuTitle.palette.buttonText
                }
            }
        }

        CommandMenu {
            objectName: "fileMenu"
            title: "&Archivo"

            Action {
                objectName: "chooseFilesCommand"
                text: "Elegir PDFs…"
                shortcut: "Ctrl+O"
                onTriggered: root.model.chooseFiles()
            }
            // As closing the window: a running batch stops and its file is left as it was.
            Action {
                objectName: "quitCommand"
                text: "Salir"
                shortcut: "Ctrl+Q"
                onTriggered: root.close()
            }
        }
        CommandMenu {
            title: "&PDF"

            Action {
                objectName: "compressCommand"
                text: "Comprimir PDFs"
                shortcut: "Ctrl+Return"
                enabled: !root.model.isWorking && root.model.queue.count > 0
                onTriggered: content.compressAll()
            }
        }
    }

    // F10 opens the first menu, as on the rest of the desktop.
    Shortcut {
        sequence: "F10"
        onActivated: menuBar.itemAt(0).triggered()
    }

    // A menu of commands, which assistive technology hears by its title.
    component CommandMenu: Menu {
        delegate: Component { CommandItem {} }
        Component.onCompleted: contentItem.parent.Accessible.name = title.replace("&", "")
    }

    // A menu command with its shortcut at the right, as menus here show them.
    component CommandItem: MenuItem {
        id: command

        Accessible.name: text

        contentItem: Item {
            implicitWidth: title.implicitWidth + 48 + keys.implicitWidth
            implicitHeight: title.implicitHeight
            opacity: command.enabled ? 1 : 0.4

            Text {
                id: title
                anchors.verticalCenter: parent.verticalCenter
                text: command.text
                font: command.font
                color: command.palette.windowText
            }
            Text {
                id: keys
                objectName: command.action ? command.action.objectName + "Keys" : ""
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: command.action ? command.action.shortcut : ""
                font: command.font
                color: command.palette.windowText
                opacity: 0.6
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
