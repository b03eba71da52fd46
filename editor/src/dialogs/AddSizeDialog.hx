// Adding a size to the project: the standard sizes (those the project has are greyed) or any other.
package dialogs;

import ui.Button;
import ui.Modal;
import ui.TextInput;
import ui.Theme;
import ui.Widgets;

class AddSizeDialog extends Modal {
    static inline var BOX_W = 460;
    static inline var BOX_H = 360;

    public var focusFirst(default, null):Button;

    var widgets:Widgets;
    var session:EditorSession;
    var note:flash.text.TextField;

    public function new(session:EditorSession, widgets:Widgets, close:Modal->Void) {
        super(Strings.SIZE_DIALOG_TITLE, BOX_W, BOX_H);
        name = "addSize";
        this.session = session;
        this.widgets = widgets;
        widgets.beginGroup(9500);
        place(Theme.paragraph(Strings.SIZE_DIALOG_INTRO, BOX_W - 30, 12, Theme.MUTED), 15, 40);
        var y = 84.0;
        var x = 15.0;
        var col = 0;
        for (s in Edits.STANDARD_SIZES) {
            var w = s[0], h = s[1];
            var b = place(widgets.button(new Button("addSize." + w + "x" + h, w + " \u00d7 " + h, function() {
                if (Edits.addSize(session, w, h))
                    close(this);
            }, 102, 24)), x, y);
            b.enabled = session.doc.sizeIndexFor(w, h) < 0;
            if (focusFirst == null && b.enabled)
                focusFirst = b;
            col++;
            x += 106;
            if (col % 4 == 0) {
                x = 15;
                y += 28;
            }
        }
        y += 40;
        var caption = place(Theme.label(Strings.CUSTOM_SIZE, 12, Theme.TEXT, true), 15, y + 4);
        var x = Math.max(130, caption.x + caption.width + 8);
        var wf = place(widgets.input(new TextInput("addSize.width", 60, 1, "0-9", 4)), x, y);
        place(Theme.label("\u00d7", 12), x + 66, y + 4);
        var hf = place(widgets.input(new TextInput("addSize.height", 60, 1, "0-9", 4)), x + 82, y);
        var add = place(widgets.button(new Button("addSize.custom", Strings.ADD, function() {
            var w = Std.parseInt(wf.text), h = Std.parseInt(hf.text);
            if (w == null || h == null || w < 10 || h < 10 || w > 4096 || h > 4096) {
                note.text = Strings.format(Strings.SIZE_LIMITS, ["10", "4096"]);
                return;
            }
            if (session.doc.sizeIndexFor(w, h) >= 0) {
                note.text = Strings.format(Strings.SIZE_EXISTS, [w + " \u00d7 " + h]);
                return;
            }
            if (Edits.addSize(session, w, h))
                close(this);
        }, Math.max(80, Theme.textWidth(Strings.ADD) + 20))), x + 154, y);
        note = place(Theme.paragraph("", BOX_W - 30, 12, Theme.ERROR), 15, y + 30);
        addButtonRow([widgets.button(new Button("addSize.close", Strings.CLOSE, function() close(this), 90))]);
        // Return in the width or height field adds that size.
        buttons.unshift(add);
        onEscape = function() close(this);
    }

    function place<T:flash.display.DisplayObject>(item:T, x:Float, y:Float):T {
        item.x = x;
        item.y = y;
        box.addChild(item);
        return item;
    }
}
