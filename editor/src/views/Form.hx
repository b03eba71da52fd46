// Rows of labelled fields, choices, colours and switches for the panels. Each field knows how to
// show its value again (sync), so a panel follows undo and redo without being built anew.
package views;

import flash.display.DisplayObject;
import flash.display.Sprite;
import flash.text.TextField;
import ui.Button;
import ui.Swatch;
import ui.TextInput;
import ui.Theme;
import ui.Widgets;

class Form extends Sprite {
    /** Where the fields of a row start, unless its label is longer. */
    public static inline var LABEL_W = 78;
    /** A label keeps this much room before its field. */
    static inline var LABEL_GAP = 8;
    static inline var NUMBER_W = 56;
    static inline var NUMBER_MIN_W = 44;
    static inline var HEX_MIN_W = 56;

    /** Opens the colour picker for a colour row: its caption, the colour now, and what to do with the one chosen. */
    public static var picker:(String, Null<Int>, Int->Void)->Void = null;

    public var y0:Float = 0;
    public var formWidth(default, null):Float;

    var widgets:Widgets;
    var syncs:Array<Void->Void> = [];
    /** Reports a refused value (out of range, not a colour) on the status line. */
    var complain:String->Void;
    /** Takes a report back from the status line, if it is still there. */
    var withdraw:String->Void;
    var complaint:Null<String> = null;

    public function new(widgets:Widgets, width:Float, complain:String->Void, ?withdraw:String->Void) {
        super();
        this.widgets = widgets;
        this.formWidth = width;
        this.complain = complain;
        this.withdraw = withdraw;
    }

    /** A value was refused: the status line says why until a value is taken. */
    public function refuse(text:String) {
        complaint = text;
        complain(text);
    }

    /** A value was taken: a refusal still on the status line no longer holds. */
    public function accept() {
        if (complaint != null && withdraw != null)
            withdraw(complaint);
        complaint = null;
    }

    /** Shows every field's value again, except in the field being typed into. */
    public function sync() {
        for (s in syncs)
            s();
    }

    /** Adds a way of showing a value again to the form's sync. */
    public function syncsAdd(show:Void->Void) {
        syncs.push(show);
        show();
    }

    public function place<T:DisplayObject>(item:T, x:Float, y:Float):T {
        item.x = x;
        item.y = y;
        addChild(item);
        return item;
    }

    public function heading(text:String) {
        place(Theme.label(text, 13, Theme.CAPTION, true), 0, y0);
        y0 += 22;
    }

    public function note(text:String, color:Int = Theme.MUTED):TextField {
        var t = place(Theme.paragraph(text, formWidth, 11, color), 0, y0);
        y0 += t.height + 4;
        return t;
    }

    public function label(text:String, x:Float = 0):TextField {
        return place(Theme.label(text, 12), x, y0 + 4);
    }

    /** Where the field after a label starts: at the form's column, or after a longer label. */
    function after(caption:TextField, column:Float):Float {
        return Math.max(column, caption.x + caption.width + LABEL_GAP);
    }

    public function gap(h:Float) {
        y0 += h;
    }

    /** A button at least as wide as asked and as its text needs. */
    public function button(id:String, text:String, action:Void->Void, x:Float, width:Float = 0):Button {
        return place(widgets.button(new Button(id, text, action, Math.max(width, Theme.textWidth(text) + 16))), x, y0);
    }

    /**
     * A number field; apply gets values inside low..high, others are explained and not applied. Two
     * fit in a row, the second at x = the form's middle; each keeps to its half of the row.
     */
    public function number(id:String, text:String, x:Float, read:Void->Float, low:Float, high:Float, apply:Float->Void, decimals:Int = 0,
            unit:String = ""):TextInput {
        var caption = label(text, x);
        var end = x == 0 ? formWidth / 2 - 4 : formWidth;
        var fieldX = after(caption, x == 0 ? LABEL_W - 6 : x + 52);
        var unitW = unit == "" ? 0 : Theme.textWidth(unit, 11) + 2;
        var width = Math.max(NUMBER_MIN_W, Math.min(NUMBER_W, end - unitW - fieldX));
        var field = place(widgets.input(new TextInput(id, width, 1, decimals > 0 ? "0-9.\\-" : "0-9\\-", 7)), fieldX, y0);
        if (unit != "")
            place(Theme.label(unit, 11, Theme.MUTED), fieldX + width + 2, y0 + 4);
        var show = function() if (!focused(field)) field.text = numberText(read(), decimals);
        syncs.push(show);
        show();
        field.onChange = function() {
            var v = Std.parseFloat(StringTools.trim(field.text));
            if (Math.isNaN(v) || v < low || v > high) {
                refuse(Strings.format(Strings.NUMBER_LIMITS, [text, numberText(low, decimals), numberText(high, decimals)]));
                return;
            }
            accept();
            apply(v);
        };
        // A refused value gives way to the value in effect when the field is left.
        field.onLeave = function() field.text = numberText(read(), decimals);
        return field;
    }

    /** A text field; maxChars > 0 keeps what is typed or pasted to that many characters. */
    public function text(id:String, caption:String, read:Void->String, apply:String->Void, lines:Int = 1, maxChars:Int = 0):TextInput {
        var x = caption != "" ? after(label(caption), LABEL_W) : 0.0;
        var field = place(widgets.input(new TextInput(id, formWidth - x, lines, null, maxChars)), x, y0);
        var show = function() if (!focused(field)) field.text = read();
        syncs.push(show);
        show();
        field.onChange = function() apply(field.text);
        y0 += 10 + 16 * lines;
        return field;
    }

    /**
     * A row of buttons choosing one value; ids are prefix + value. The buttons share the row evenly
     * when their texts allow it; otherwise as many as fit share each row, on as many rows as needed.
     */
    public function choices(prefix:String, caption:String, values:Array<String>, labels:Array<String>, read:Void->String, choose:String->Void) {
        var left = caption != "" ? after(label(caption), LABEL_W) : 0.0;
        var room = formWidth - left;
        var needs = [for (l in labels) Math.ceil(Theme.textWidth(l) + 12)];
        var even = Math.floor((room - 4 * (values.length - 1)) / values.length);
        var widest = 0.0;
        for (n in needs)
            widest = Math.max(widest, n);
        // Rows of as many as fit; the room a row leaves is shared among its buttons.
        var rows:Array<Array<Int>> = [[]];
        var used = 0.0;
        for (i in 0...values.length) {
            var row = rows[rows.length - 1];
            if (row.length > 0 && used + 4 + needs[i] > room) {
                rows.push([]);
                row = rows[rows.length - 1];
                used = 0;
            }
            used += (row.length > 0 ? 4 : 0) + needs[i];
            row.push(i);
        }
        for (r in 0...rows.length) {
            var row = rows[r];
            var taken = -4.0;
            for (i in row)
                taken += needs[i] + 4;
            var x = left;
            for (i in row) {
                var value = values[i];
                var w = widest <= even ? even : Math.floor(needs[i] + (room - taken) / row.length);
                place(widgets.button(new Button(prefix + value, labels[i], function() choose(value), w)), x, y0);
                x += w + 4;
            }
            if (r < rows.length - 1)
                y0 += 30;
        }
        var show = function() {
            var chosen = read();
            for (v in values)
                widgets.setSelected(prefix + v, v == chosen);
        };
        syncs.push(show);
        show();
        y0 += 32;
    }

    /** A switch button (selected when on), at least as wide as its text needs. */
    public function toggle(id:String, text:String, x:Float, width:Float, read:Void->Bool, set:Bool->Void):Button {
        var b = place(widgets.button(new Button(id, text, function() set(!read()), Math.max(width, Theme.textWidth(text) + 12))), x, y0);
        var show = function() b.selected = read();
        syncs.push(show);
        show();
        return b;
    }

    /** Swatches of common colours and a field for any other; with allowNone a swatch for no colour first. */
    public function colour(id:String, caption:String, read:Void->Null<Int>, choose:Null<Int>->Void, palette:Array<Int>, allowNone:Bool = false) {
        var x:Float = after(label(caption), LABEL_W);
        var swatches:Array<Swatch> = [];
        if (allowNone) {
            place(widgets.button(Swatch.none(id + ".none", function() choose(null))), x, y0 + 2);
            x += 23;
        }
        // As many of the palette's swatches as leave room for the picker and the hex field.
        var room = Std.int((formWidth - x - 23 - 3 - HEX_MIN_W) / 23);
        for (c in palette.slice(0, Std.int(Math.max(0, room)))) {
            var colour = c;
            var s = place(cast widgets.button(new Swatch(id + "." + BannerDocument.colourText(c), c, function() choose(colour))), x, y0 + 2);
            swatches.push(cast s);
            x += 23;
        }
        place(widgets.button(Swatch.picker(id + ".pick", function() if (picker != null) picker(caption, read(), function(c) choose(c)))), x, y0 + 2);
        x += 23;
        place(widgets.input(new TextInput(id, Math.min(64, formWidth - x - 3), 1, "#0-9a-fA-F", 7)), x + 3, y0);
        var field = widgets.inputs.get(id);
        var show = function() {
            var v = read();
            for (s in swatches)
                s.selected = v != null && s.colour == v;
            widgets.setSelected(id + ".none", v == null);
            if (!focused(field))
                field.text = v == null ? "" : BannerDocument.colourText(v);
        };
        syncs.push(show);
        show();
        field.onChange = function() {
            var t = StringTools.trim(field.text);
            if (t.length != 7 || t.charAt(0) != "#" || BannerDocument.colour(t, -1) < 0) {
                refuse(Strings.BAD_COLOUR);
                return;
            }
            accept();
            choose(BannerDocument.colour(t, 0));
        };
        field.onLeave = show;
        y0 += 30;
    }

    static function focused(t:TextInput):Bool {
        return t.stage != null && t.stage.focus == t.field;
    }

    public static function numberText(v:Float, decimals:Int):String {
        if (decimals <= 0)
            return Std.string(Math.round(v));
        var f = Math.pow(10, decimals);
        return Std.string(Math.round(v * f) / f);
    }
}
