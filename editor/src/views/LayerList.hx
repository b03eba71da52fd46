// The left column below the sizes: the list of elements, the top one first, with the commands that
// add, remove, copy and reorder them.
package views;

import BannerDocument;
import flash.display.Sprite;
import flash.text.TextField;
import ui.Button;
import ui.Theme;
import ui.Widgets;

class LayerList extends Sprite {
    public static inline var WIDTH = 210;
    static inline var PAD = 10;
    static inline var ROW_H = 24;

    var session:EditorSession;
    var widgets:Widgets;
    var commandButton:(String, String, Float) -> Button;
    var columnHeight:Float = 500;
    var shownFor = "";

    public function new(session:EditorSession, widgets:Widgets, commandButton:(String, String, Float) -> Button) {
        super();
        this.session = session;
        this.widgets = widgets;
        this.commandButton = commandButton;
        build();
    }

    public function setHeight(h:Float) {
        columnHeight = h;
        build();
    }

    /** Built anew when the sizes or the elements' list changed, else only the selection shown. */
    public function update() {
        if (shape() != shownFor) {
            build();
            return;
        }
        for (e in session.doc.elements)
            widgets.setSelected("layer." + e.id, e.id == session.selected);
    }

    function shape():String {
        var doc = session.doc;
        return [for (e in doc.elements) e.id + ":" + rowText(e)].join(",") + "|" + Strings.language + "|" + columnHeight;
    }

    function build() {
        removeChildren();
        widgets.beginGroup(3000);
        var g = graphics;
        g.clear();
        g.beginFill(Theme.PANEL);
        g.drawRect(0, 0, WIDTH, columnHeight);
        g.endFill();
        g.lineStyle(1, Theme.PANEL_LINE);
        g.moveTo(WIDTH - 0.5, 0);
        g.lineTo(WIDTH - 0.5, columnHeight);

        var inner = WIDTH - 2 * PAD;
        var doc = session.doc;
        var y = 0.0;
        y = heading(Strings.LAYERS, y);
        y = addButtons(["addText", "addButton", "addImage", "addRect", "addEllipse"], y) + 6;
        var bottom = columnHeight - 70;
        if (doc.elements.length == 0) {
            place(Theme.paragraph(Strings.NO_ELEMENTS, inner, 11, Theme.MUTED), PAD, y);
        } else {
            // The top of the drawing order first; as many as fit.
            var i = doc.elements.length - 1;
            while (i >= 0 && y + ROW_H <= bottom) {
                var e = doc.elements[i];
                var id = e.id;
                var row = place(widgets.button(new Button("layer." + id, rowText(e), function() session.select(id), inner, ROW_H - 2)), PAD, y);
                row.elide();
                row.selected = id == session.selected;
                y += ROW_H;
                i--;
            }
        }
        var half2 = (inner - 4) / 2;
        place(commandButton("layers.delete", "delete", half2), PAD, columnHeight - 64);
        place(commandButton("layers.duplicate", "duplicate", half2), PAD + half2 + 4, columnHeight - 64);
        place(commandButton("layers.forward", "forward", half2), PAD, columnHeight - 34);
        place(commandButton("layers.backward", "backward", half2), PAD + half2 + 4, columnHeight - 34);
        shownFor = shape();
    }

    /**
     * The commands that add elements, up to three to a row, as many as their texts allow; each row's
     * buttons fill its width.
     */
    function addButtons(commands:Array<String>, y:Float):Float {
        var inner = WIDTH - 2 * PAD;
        var buttons = [for (c in commands) commandButton("layers." + c, c, 0)];
        for (b in buttons)
            b.setWidth(Math.ceil(Theme.textWidth(b.text) + 12));
        var i = 0;
        while (i < buttons.length) {
            var row = [buttons[i]];
            var used = buttons[i].buttonWidth;
            while (i + row.length < buttons.length && row.length < 3 && used + 4 + buttons[i + row.length].buttonWidth <= inner) {
                used += 4 + buttons[i + row.length].buttonWidth;
                row.push(buttons[i + row.length]);
            }
            // Equal widths when every text fits its share, else each text's width and a share of the rest.
            var share = (inner - 4 * (row.length - 1)) / row.length;
            var even = true;
            for (b in row)
                even = even && b.buttonWidth <= share;
            var x:Float = PAD;
            for (b in row) {
                var w = even ? share : b.buttonWidth + (inner - used) / row.length;
                b.setWidth(w);
                place(b, x, y);
                x += w + 4;
            }
            i += row.length;
            y += 28;
        }
        return y;
    }

    static function rowText(e:BannerElement):String {
        var text = switch (e.kind) {
            case Text | Button: StringTools.replace(e.label, "\n", " ");
            case Image: e.src.substr(Std.int(Math.max(e.src.lastIndexOf("/"), e.src.lastIndexOf("\\"))) + 1);
            case Shape: e.shapeKind == "ellipse" ? Strings.ADD_ELLIPSE : Strings.ADD_RECT;
        };
        if (text.length > 24)
            text = text.substr(0, 23) + "\u2026";
        return Edits.kindName(e.kind) + ": " + text;
    }

    function heading(text:String, y:Float):Float {
        place(Theme.label(text, 13, Theme.CAPTION, true), PAD, y);
        return y + 22;
    }

    function place<T:flash.display.DisplayObject>(item:T, x:Float, y:Float):T {
        item.x = x;
        item.y = y;
        addChild(item);
        return item;
    }
}
