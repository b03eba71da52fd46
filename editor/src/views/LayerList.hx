// The left column below the sizes: the list of elements, the top one first, with the commands that
// add, remove, copy and reorder them. Each row has a switch that hides the element in the editor
// (only there: the banner still shows it) and one that locks it against the canvas; a row dragged
// up or down moves its element in the drawing order; Shift+click adds a row to the selection.
package views;

import BannerDocument;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.MouseEvent;
import flash.text.TextField;
import ui.Button;
import ui.Theme;
import ui.Widgets;

class LayerList extends Sprite {
    public static inline var WIDTH = 210;
    static inline var PAD = 10;
    static inline var ROW_H = 24;
    static inline var TOGGLE = 22;

    var session:EditorSession;
    var widgets:Widgets;
    var commandButton:(String, String, Float) -> Button;
    var columnHeight:Float = 500;
    var shownFor = "";
    // Each element's part of shownFor, in drawing order, and the rest of it.
    var shownRows:Null<Array<String>> = null;
    var shownHead = "";
    /** The rows shown, top first: the element's id and the row's top. */
    var rows:Array<{id:String, y:Float}> = [];
    var rowDrag:Null<{id:String, fromY:Float, active:Bool}> = null;
    var dropLine:Shape;
    // Whether Shift was held when the pointer went down on a row, and whether a drag ate the click.
    var shiftDown = false;
    var dragged = false;
    /** The element whose name is being typed in its row, or null. */
    var renaming:Null<String> = null;

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

    /**
        Built anew when the sizes or the elements' list changed, else only the selection shown.
        changed: only these elements changed since the last update (null: anything may have).
    **/
    public function update(?changed:Array<BannerElement>) {
        // Another element selected, or the renamed one gone: the renaming ends.
        if (renaming != null && (session.selected != renaming || session.doc.find(renaming) == null))
            renaming = null;
        if (!sameRows(changed) && shape() != shownFor) {
            build();
            return;
        }
        for (r in rows)
            widgets.setSelected("layer." + r.id, session.isSelected(r.id));
    }

    /** Whether the rows are known to be as shown: only these elements changed, and not their rows. */
    function sameRows(changed:Null<Array<BannerElement>>):Bool {
        var elements = session.doc.elements;
        if (changed == null || shownRows == null || shownRows.length != elements.length || headKey() != shownHead)
            return false;
        for (e in changed) {
            var i = elements.indexOf(e);
            if (i < 0 || shownRows[i] != rowKey(e))
                return false;
        }
        return true;
    }

    function shape():String {
        return [for (e in session.doc.elements) rowKey(e)].join(",") + "|" + headKey();
    }

    function rowKey(e:BannerElement):String {
        // The row being renamed keeps its field while the name changes under it.
        return e.id + ":" + (e.id == renaming ? "" : rowText(e)) + ":" + e.locked + ":" + e.editorHidden;
    }

    function headKey():String {
        return Strings.language + "|" + columnHeight + "|" + renaming;
    }

    /** Shows a field in the selected element's row that renames it as the user types; Return or leaving it ends. */
    public function rename() {
        var id = session.selected;
        if (id == null || session.doc.find(id) == null)
            return;
        renaming = id;
        build();
        if (stage != null && widgets.inputs.exists("layerName"))
            stage.focus = widgets.inputs.get("layerName").field;
    }

    function endRename() {
        if (renaming == null)
            return;
        renaming = null;
        build();
    }

    /** Where each row shown is on the stage, for the tests: id, x, y, width, height. */
    public function rowPlaces():Array<Dynamic> {
        return [
            for (r in rows) {
                var p = localToGlobal(new flash.geom.Point(PAD + 2 * (TOGGLE + 2), r.y));
                {id: r.id, x: p.x, y: p.y, width: WIDTH - 2 * PAD - 2 * (TOGGLE + 2), height: ROW_H - 2};
            }
        ];
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
        var anyHidden = Lambda.exists(doc.elements, function(e) return e.editorHidden);
        if (anyHidden) {
            // Hiding is the editor's alone: said under the list while something is hidden.
            var note = Theme.paragraph(Strings.HIDDEN_NOTE, inner, 10, Theme.MUTED);
            bottom -= note.height + 4;
            place(note, PAD, bottom + 2);
        }
        rows = [];
        if (doc.elements.length == 0) {
            place(Theme.paragraph(Strings.NO_ELEMENTS, inner, 11, Theme.MUTED), PAD, y);
        } else {
            // The top of the drawing order first; as many as fit.
            var i = doc.elements.length - 1;
            var nameW = inner - 2 * (TOGGLE + 2);
            while (i >= 0 && y + ROW_H <= bottom) {
                var e = doc.elements[i];
                var id = e.id;
                var hide = place(widgets.button(ui.Button.icon("layerHide." + id, TOGGLE, ROW_H - 2, e.editorHidden ? Icons.eyeShut : Icons.eye,
                    function() Edits.layer(session, id, Strings.HIDE, function(el) el.editorHidden = !el.editorHidden), false)), PAD, y);
                hide.selected = e.editorHidden;
                var lock = place(widgets.button(ui.Button.icon("layerLock." + id, TOGGLE, ROW_H - 2, e.locked ? Icons.lock : Icons.unlocked,
                    function() Edits.layer(session, id, Strings.LOCK, function(el) el.locked = !el.locked), false)), PAD + TOGGLE + 2, y);
                lock.selected = e.locked;
                if (id == renaming) {
                    var field = place(widgets.input(new ui.TextInput("layerName", nameW, 1, null, BannerDocument.MAX_NAME)), PAD + 2 * (TOGGLE + 2),
                        y);
                    field.text = e.name != "" ? e.name : rowText(e);
                    field.onChange = function() Edits.layer(session, id, Strings.LAYER_NAME, function(el) el.name = BannerDocument.layerName(field.text), "name");
                    field.onLeave = function() haxe.Timer.delay(endRename, 0);
                    field.field.addEventListener(flash.events.KeyboardEvent.KEY_DOWN, function(k:flash.events.KeyboardEvent) {
                        if (k.keyCode == 13 || k.keyCode == 27) {
                            k.stopImmediatePropagation();
                            endRename();
                            if (stage != null)
                                stage.focus = stage;
                        }
                    });
                } else {
                    var row = place(widgets.button(new Button("layer." + id, rowText(e), function() choose(id), nameW, ROW_H - 2)),
                        PAD + 2 * (TOGGLE + 2), y);
                    row.elide();
                    row.selected = session.isSelected(id);
                    row.alpha = e.editorHidden ? 0.6 : 1;
                    row.addEventListener(MouseEvent.MOUSE_DOWN, function(ev:MouseEvent) startRowDrag(id, ev));
                }
                rows.push({id: id, y: y});
                y += ROW_H;
                i--;
            }
        }
        dropLine = new Shape();
        addChild(dropLine);
        var half2 = (inner - 4) / 2;
        place(commandButton("layers.delete", "delete", half2), PAD, columnHeight - 64);
        place(commandButton("layers.duplicate", "duplicate", half2), PAD + half2 + 4, columnHeight - 64);
        place(commandButton("layers.forward", "forward", half2), PAD, columnHeight - 34);
        place(commandButton("layers.backward", "backward", half2), PAD + half2 + 4, columnHeight - 34);
        shownRows = [for (e in session.doc.elements) rowKey(e)];
        shownHead = headKey();
        shownFor = shownRows.join(",") + "|" + shownHead;
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

    /** A row's click: the element alone, or with Shift added to the selection (or taken out). */
    function choose(id:String) {
        if (dragged) {
            dragged = false;
            return;
        }
        if (shiftDown)
            session.toggleSelected(id);
        else
            session.select(id);
    }

    function startRowDrag(id:String, e:MouseEvent) {
        shiftDown = e.shiftKey;
        dragged = false;
        if (stage == null)
            return;
        rowDrag = {id: id, fromY: mouseY, active: false};
        stage.addEventListener(MouseEvent.MOUSE_MOVE, followRowDrag);
        stage.addEventListener(MouseEvent.MOUSE_UP, endRowDrag);
    }

    function followRowDrag(_:MouseEvent) {
        var d = rowDrag;
        if (d == null)
            return;
        if (!d.active && Math.abs(mouseY - d.fromY) < 5)
            return;
        d.active = true;
        var slot = slotAt(mouseY);
        var g = dropLine.graphics;
        g.clear();
        g.lineStyle(2, Theme.ACCENT);
        var lineY = slot < rows.length ? rows[slot].y - 1 : rows[rows.length - 1].y + ROW_H - 1;
        g.moveTo(PAD, lineY);
        g.lineTo(WIDTH - PAD, lineY);
    }

    function endRowDrag(e:MouseEvent) {
        stage.removeEventListener(MouseEvent.MOUSE_MOVE, followRowDrag);
        stage.removeEventListener(MouseEvent.MOUSE_UP, endRowDrag);
        var d = rowDrag;
        rowDrag = null;
        dropLine.graphics.clear();
        if (d == null || !d.active)
            return;
        // Let go over the row it started on, the row still takes a click, which the drag has used.
        dragged = e.target == widgets.buttons.get("layer." + d.id);
        var from = -1;
        for (i in 0...rows.length)
            if (rows[i].id == d.id)
                from = i;
        var slot = slotAt(mouseY);
        // Rows are listed top first: the row's place in the list after the drop, as a drawing index.
        var at = slot > from ? slot - 1 : slot;
        Edits.reorder(session, d.id, session.doc.elements.length - 1 - at);
    }

    /** The gap between rows nearest to a height in the column: 0 above the first row. */
    function slotAt(localY:Float):Int {
        var slot = rows.length;
        for (i in 0...rows.length)
            if (localY < rows[i].y + ROW_H / 2) {
                slot = i;
                break;
            }
        return slot;
    }

    static function rowText(e:BannerElement):String {
        if (e.name != "")
            return e.name;
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
