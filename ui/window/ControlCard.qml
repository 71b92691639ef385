import QtQuick
import QtQuick.Controls.Basic
import Zurbo

// The white card: how hard to squeeze, where the result goes, the console and the button.
Rectangle {
    id: root

    required property CompressorModel compressor

    readonly property bool queueEmpty: compressor.queue.count === 0

    radius: 34
    color: Theme.butter

    // One fraction digit at most, in the user's locale: "10", "2,5".
    function megabytesText(value) {
        return Number(value).toLocaleString(Qt.locale(), "f", Number.isInteger(value) ? 0 : 1)
    }

    // The target field's text becomes the model's target; text that is not a
    // number leaves the target as it was and the field shows it again.
    function commitTarget() {
        let value = NaN
        try {
            value = Number.fromLocaleString(Qt.locale(), targetField.text)
        } catch (notANumber) {
            // Some texts throw instead of giving NaN; either way the last value stands.
        }
        if (!isNaN(value))
            compressor.targetMegabytes = value
        targetField.text = megabytesText(compressor.targetMegabytes)
    }

    // What the button and the menu command do: the batch runs with the value on screen,
    // even when the field still has the focus.
    function compressAll() {
        commitTarget()
        compressor.compressAll()
    }

    // The settings on top, the console and the button at the bottom, laid out once for every
    // state: the console keeps room for its mascot and file name even while they are hidden.
    Item {
        id: content

        anchors.fill: parent
        anchors.margins: 22

        Column {
            id: stack
            width: parent.width
            spacing: 10

            DisplayText {
                width: parent.width
                wrapMode: Text.Wrap
                text: "¿CUÁNTO LO\nADELGAZAMOS?"
                size: 44
                color: Theme.ink
            }
            Text {
                width: parent.width
                wrapMode: Text.Wrap
                text: "Textos y vectores se quedan intactos, que los creadores también son diseñadores..."
                font: Theme.condensed(12)
                color: Theme.withAlpha(Theme.ink, 0.62)
            }

            Row {
                objectName: "targetModePills"
                width: parent.width
                spacing: 7
                enabled: !root.compressor.isWorking

                ModePill {
                    objectName: "qualityPill"
                    width: (parent.width - parent.spacing) / 2
                    title: "POR CALIDAD"
                    selected: !root.compressor.targetEnabled
                    onActivated: root.compressor.targetEnabled = false
                }
                ModePill {
                    objectName: "targetPill"
                    width: (parent.width - parent.spacing) / 2
                    title: "PESO OBJETIVO"
                    selected: root.compressor.targetEnabled
                    onActivated: root.compressor.targetEnabled = true
                }
            }

            Rectangle {
                objectName: "targetBox"
                visible: root.compressor.targetEnabled
                width: parent.width
                height: targetRow.implicitHeight + 26
                radius: 20
                color: Theme.ink

                Row {
                    id: targetRow
                    anchors.fill: parent
                    anchors.margins: 13
                    spacing: 12

                    Column {
                        anchors.verticalCenter: parent.verticalCenter
                        width: parent.width - 65 - megabytes.width - 2 * parent.spacing
                        spacing: 3

                        Text {
                            text: "QUE PESE MENOS DE"
                            font: Theme.monospaced(9, Font.Black)
                            color: Theme.withAlpha(Theme.cream, 0.5)
                        }
                        Text {
                            width: parent.width
                            wrapMode: Text.Wrap
                            text: "Buscaremos la mejor calidad que entre. Sin hachazos gratuitos."
                            font: Theme.system(9, Font.Medium)
                            color: Theme.withAlpha(Theme.cream, 0.62)
                        }
                    }
                    TextField {
                        id: targetField
                        objectName: "targetField"
                        anchors.verticalCenter: parent.verticalCenter
                        width: 65
                        horizontalAlignment: TextInput.AlignRight
                        placeholderText: "10"
                        placeholderTextColor: Theme.withAlpha(Theme.cream, 0.3)
                        text: root.megabytesText(root.compressor.targetMegabytes)
                        font: Theme.monospaced(22, Font.Black)
                        color: Theme.cream
                        background: FocusRing {
                            visible: targetField.activeFocus
                            cornerRadius: 6
                        }
                        Accessible.role: Accessible.EditableText
                        Accessible.name: "QUE PESE MENOS DE"
                        validator: DoubleValidator {
                            bottom: 0
                            decimals: 1
                            notation: DoubleValidator.StandardNotation
                        }
                        onEditingFinished: root.commitTarget()
                    }
                    Text {
                        id: megabytes
                        anchors.verticalCenter: parent.verticalCenter
                        text: "MB"
                        font: Theme.monospaced(11, Font.Black)
                        color: Theme.cream
                    }
                }
            }

            Column {
                objectName: "profileKeys"
                visible: !root.compressor.targetEnabled
                width: parent.width
                spacing: 7

                Repeater {
                    model: ["respectful", "balanced", "demolition"]

                    ProfileKey {
                        required property string modelData

                        objectName: "profileKey_" + modelData
                        width: parent.width
                        profile: modelData
                        selected: root.compressor.profile === modelData
                        estimate: root.queueEmpty ? ""
                                  : "≈ " + ByteText.format(root.compressor.estimates[modelData])
                        onActivated: root.compressor.profile = modelData
                    }
                }
            }

            Item {
                objectName: "metadataRow"
                width: parent.width
                height: Math.max(metadataLabels.implicitHeight, metadataSwitch.implicitHeight)
                enabled: !root.compressor.isWorking

                Column {
                    id: metadataLabels
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 2

                    DisplayText {
                        text: "BORRAR METADATOS Y RASTROS"
                        size: 15
                        color: Theme.ink
                    }
                    Text {
                        text: "Autor, programa de origen y demás cotilleos invisibles."
                        font: Theme.condensed(9)
                        color: Theme.withAlpha(Theme.ink, 0.52)
                    }
                }
                Switch {
                    id: metadataSwitch
                    objectName: "metadataSwitch"
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    checked: root.compressor.cleanMetadata
                    onToggled: root.compressor.cleanMetadata = checked
                    Keys.onReturnPressed: root.compressor.cleanMetadata = !checked
                    Keys.onEnterPressed: root.compressor.cleanMetadata = !checked
                    padding: 0
                    Accessible.role: Accessible.CheckBox
                    Accessible.name: "BORRAR METADATOS Y RASTROS"
                    background: FocusRing {
                        visible: metadataSwitch.visualFocus
                        cornerRadius: 12
                    }
                    indicator: Rectangle {
                        implicitWidth: 44
                        implicitHeight: 24
                        radius: 12
                        color: metadataSwitch.checked ? Theme.orange : Theme.pillGray
                        border.color: Theme.withAlpha(Theme.ink, 0.2)
                        opacity: metadataSwitch.enabled ? 1 : 0.5

                        Rectangle {
                            x: metadataSwitch.checked ? parent.width - width - 2 : 2
                            anchors.verticalCenter: parent.verticalCenter
                            width: 20
                            height: 20
                            radius: 10
                            color: Theme.cream
                            border.color: Theme.withAlpha(Theme.ink, 0.3)
                        }
                    }
                }
            }

            Column {
                objectName: "exportBlock"
                width: parent.width
                spacing: 6
                enabled: !root.compressor.isWorking

                DisplayText {
                    text: "¿CÓMO SALE?"
                    size: 14
                    color: Theme.ink
                }
                Row {
                    width: parent.width
                    spacing: 7

                    ModePill {
                        objectName: "replacePill"
                        width: (parent.width - parent.spacing) / 2
                        title: "SUSTITUIR ORIGINAL"
                        selected: root.compressor.exportMode === "replaceOriginal"
                        onActivated: root.compressor.exportMode = "replaceOriginal"
                    }
                    ModePill {
                        objectName: "chooseNamePill"
                        width: (parent.width - parent.spacing) / 2
                        title: "OTRO NOMBRE"
                        selected: root.compressor.exportMode === "chooseName"
                        onActivated: root.compressor.exportMode = "chooseName"
                    }
                }
                Text {
                    objectName: "exportNote"
                    text: root.compressor.exportMode === "chooseName"
                          ? "Te preguntaremos el nombre antes de empezar."
                          : "El original será reemplazado. Sin copia fantasma."
                    font: Theme.condensed(9)
                    color: Theme.withAlpha(Theme.ink, 0.52)
                }
            }
        }

        Column {
            id: bottom
            width: parent.width
            anchors.bottom: parent.bottom
            spacing: 10

            ConsoleView {
                objectName: "console"
                width: parent.width
                compressor: root.compressor
            }
            PhysicalActionButton {
                objectName: "actionButton"
                width: parent.width
                title: root.compressor.isWorking ? "APRETANDO TU PDF" : "ZURBO THIS PDF"
                subtitle: root.compressor.isWorking ? "ahora no toques nada, artista"
                                                    : "CTRL  ENTER  ·  empezar la escabechina"
                disabled: root.compressor.isWorking || root.queueEmpty
                onActivated: root.compressAll()
            }
        }
    }
}
