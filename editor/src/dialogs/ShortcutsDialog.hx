// The list of keyboard shortcuts: every command of the table that has one, with its keys as the
// language in use names them, then what the pointer does on the canvas; in two columns.
package dialogs;

import ui.Button;
import ui.Modal;
import ui.Theme;

class ShortcutsDialog {
    static inline var ROW_H = 17;
    static inline var SIZE = 11;

    public static function open(commands:Commands, close:Modal->Void):Modal {
        var rows:Array<{label:String, keys:String, heading:Bool}> = [];
        for (c in commands.list)
            if (c.shortcut != "")
                rows.push({label: Commands.labelOf(c), keys: [for (s in c.shortcut.split("|")) Commands.keysOf(s)].join(", "), heading: false});
        rows.push({label: Strings.SHORTCUTS_POINTER, keys: "", heading: true});
        for (p in [
            [Strings.KEY_SHIFT_CLICK, Strings.HINT_SHIFT_CLICK],
            [Strings.KEY_MEMBER, Strings.HINT_MEMBER],
            [Strings.KEY_FRAME, Strings.HINT_FRAME],
            [Strings.KEY_ARROWS, Strings.HINT_ARROWS],
            [Strings.KEY_WHEEL, Strings.HINT_WHEEL]
        ])
            rows.push({label: p[1], keys: p[0], heading: false});

        var half = Math.ceil(rows.length / 2);
        var columns = [rows.slice(0, half), rows.slice(half)];
        // Each column as wide as its longest label and keys.
        var widths = [
            for (col in columns) {
                var label = 0.0, keys = 0.0;
                for (r in col) {
                    label = Math.max(label, Theme.textWidth(r.label, SIZE, r.heading));
                    keys = Math.max(keys, Theme.textWidth(r.keys, SIZE));
                }
                {label: label, keys: keys};
            }
        ];
        var gap = 10.0, between = 24.0;
        var boxW = 24 + widths[0].label + gap + widths[0].keys + between + widths[1].label + gap + widths[1].keys;
        var boxH = 42 + half * ROW_H + 56;
        var m = new Modal(Strings.SHORTCUTS_TITLE, Math.ceil(boxW), boxH);
        m.name = "shortcuts";
        var x = 12.0;
        for (i in 0...2) {
            var y = 42.0;
            for (r in columns[i]) {
                var t = Theme.label(r.label, SIZE, r.heading ? Theme.CAPTION : Theme.TEXT, r.heading);
                t.x = x;
                t.y = y;
                m.box.addChild(t);
                if (r.keys != "") {
                    var k = Theme.label(r.keys, SIZE, Theme.MUTED);
                    k.x = x + widths[i].label + gap;
                    k.y = y;
                    m.box.addChild(k);
                }
                y += ROW_H;
            }
            x += widths[i].label + gap + widths[i].keys + between;
        }
        m.addButtonRow([new Button("shortcuts.close", Strings.CLOSE, function() close(m), Math.max(96, Theme.textWidth(Strings.CLOSE) + 20))]);
        m.onEscape = function() close(m);
        m.messageText = [for (r in rows) r.keys == "" ? r.label : r.label + ": " + r.keys].join("\n");
        return m;
    }
}
