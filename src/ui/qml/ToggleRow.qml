import QtQuick
import QtQuick.Layouts

// A settings row with a switch; `toggled(on)` reports the user's change.
FormRow {
    id: row

    property bool checked: false
    property string switchName
    signal toggled(bool on)

    Toggle {
        objectName: row.switchName
        text: row.title
        checked: row.checked
        // The model decides: the switch shows what it holds afterwards, also when a
        // change could not be made.
        onToggled: {
            row.toggled(checked)
            checked = Qt.binding(function () { return row.checked })
        }
    }
}
