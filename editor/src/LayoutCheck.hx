// For the tests: measures every text on screen against the box it must fit in and against the other
// texts and widgets, and names what is cut off or overlaps. A text's extent is what the player
// measured for it (textWidth, textHeight), placed where the field shows it.
import flash.display.DisplayObject;
import flash.display.DisplayObjectContainer;
import flash.geom.Point;
import flash.geom.Rectangle;
import flash.text.TextField;
import flash.text.TextFieldAutoSize;
import flash.text.TextFormatAlign;
import ui.Button;
import ui.Modal;
import ui.TextInput;

typedef Inked = {
    /** The text (or the widget's id) as the report names it. */
    name:String,
    rect:Rectangle,
    /** The widget the text belongs to (a button's caption, a field's text), if any. */
    owner:DisplayObject
}

class LayoutCheck {
    /** Texts and widgets may touch by this much (anti-aliased edges, rounding). */
    static inline var SLACK = 1.0;

    var texts:Array<Inked> = [];
    var boxes:Array<Inked> = [];
    var problems:Array<String> = [];
    var skip:Array<DisplayObject>;
    var stageRect:Rectangle;

    /**
     * Checks the part of the screen that can be reached now: the top dialog, or the editor without
     * its dialogs. skip: parts whose texts are not the editor's own (the banner being edited).
     */
    public static function check(top:DisplayObjectContainer, stageW:Float, stageH:Float, skip:Array<DisplayObject>):Dynamic {
        var c = new LayoutCheck(new Rectangle(0, 0, stageW, stageH), skip);
        c.walk(top, c.stageRect, c.stageRect, null);
        c.compare();
        return {texts: c.texts.length, widgets: c.boxes.length, problems: c.problems};
    }

    function new(stageRect:Rectangle, skip:Array<DisplayObject>) {
        this.stageRect = stageRect;
        this.skip = skip;
    }

    /** clip: what can show (the stage, scroll rectangles); area: the box texts must stay in. */
    function walk(o:DisplayObject, clip:Rectangle, area:Rectangle, owner:DisplayObject) {
        if (!o.visible || o.alpha <= 0 || skip.indexOf(o) >= 0)
            return;
        if (o.scrollRect != null)
            clip = clip.intersection(global(o, o.scrollRect));
        var own = areaOf(o);
        if (own != null)
            area = area.intersection(global(o, own));
        if (Std.isOfType(o, TextInput)) {
            var t:TextInput = cast o;
            boxes.push({name: "field " + t.id, rect: global(t.field, new Rectangle(0, 0, t.field.width, t.field.height)), owner: o});
            return;
        }
        if (Std.isOfType(o, Button)) {
            var b:Button = cast o;
            var r = global(b, new Rectangle(0, 0, b.buttonWidth, @:privateAccess b.h));
            boxes.push({name: "button " + b.id, rect: r, owner: o});
            owner = o;
            // The caption may use the button less a margin on each side.
            area = area.intersection(new Rectangle(r.x + 2, r.y, r.width - 4, r.height));
        }
        if (Std.isOfType(o, TextField)) {
            text(cast o, clip, area, owner);
            return;
        }
        if (Std.isOfType(o, DisplayObjectContainer)) {
            var c:DisplayObjectContainer = cast o;
            for (i in 0...c.numChildren)
                walk(c.getChildAt(i), clip, area, owner);
        }
    }

    /** The box a part of the screen keeps its texts in, in its own coordinates (null: its parent's). */
    function areaOf(o:DisplayObject):Rectangle {
        if (Std.isOfType(o.parent, Modal) && (cast o.parent : Modal).box == o) {
            var m:Modal = cast o.parent;
            return new Rectangle(0, 0, m.boxWidth, m.boxHeight);
        }
        if (Std.isOfType(o, views.PropertiesPanel))
            return new Rectangle(0, 0, views.PropertiesPanel.WIDTH, @:privateAccess (cast o : views.PropertiesPanel).panelHeight);
        if (Std.isOfType(o, views.LayerList))
            return new Rectangle(0, 0, views.LayerList.WIDTH, @:privateAccess (cast o : views.LayerList).columnHeight);
        if (Std.isOfType(o, views.SizesPanel))
            return new Rectangle(0, 0, views.LayerList.WIDTH, (cast o : views.SizesPanel).panelHeight);
        if (Std.isOfType(o, views.Toolbar))
            return new Rectangle(0, 0, @:privateAccess (cast o : views.Toolbar).barWidth, views.Toolbar.HEIGHT);
        if (Std.isOfType(o, views.TimelineStrip)) {
            var t:views.TimelineStrip = cast o;
            return new Rectangle(0, 0, @:privateAccess t.w, @:privateAccess t.h);
        }
        return null;
    }

    function text(t:TextField, clip:Rectangle, area:Rectangle, owner:DisplayObject) {
        if (t.text == "" || t.type == flash.text.TextFieldType.INPUT)
            return;
        var name = "\"" + StringTools.replace(t.text, "\r", " ") + "\"";
        // Where the player puts the measured text inside the field: 2 pixels in, then as aligned.
        var w = t.textWidth;
        var h = t.textHeight;
        var x = 2.0;
        if (!t.wordWrap || t.autoSize != TextFieldAutoSize.NONE) {
            var align = t.getTextFormat().align;
            if (t.autoSize == TextFieldAutoSize.NONE && align == TextFormatAlign.CENTER)
                x = (t.width - w) / 2;
            else if (t.autoSize == TextFieldAutoSize.NONE && align == TextFormatAlign.RIGHT)
                x = t.width - 2 - w;
        }
        var r = global(t, new Rectangle(x, 2, w, h));
        texts.push({name: name, rect: r, owner: owner == null ? t : owner});
        if (t.autoSize == TextFieldAutoSize.NONE && (w + 4 > t.width + SLACK || (h + 4 > t.height + SLACK && !t.multiline)))
            problems.push(name + " is cut off by its own field (" + Math.round(w) + " wide in " + Math.round(t.width) + ")");
        var shown = r.intersection(clip).intersection(area);
        if (shown.width < r.width - SLACK || shown.height < r.height - SLACK) {
            var where = owner != null ? "its button" : "its panel";
            problems.push(name + " is cut off by " + where + " (" + describe(r) + " in " + describe(area.intersection(clip)) + ")");
        }
    }

    function compare() {
        for (i in 0...texts.length) {
            var a = texts[i];
            for (j in i + 1...texts.length) {
                var b = texts[j];
                if (a.owner != b.owner && overlap(a.rect, b.rect))
                    problems.push(a.name + " overlaps " + b.name);
            }
            for (b in boxes)
                if (a.owner != b.owner && overlap(a.rect, b.rect))
                    problems.push(a.name + " overlaps " + b.name);
        }
    }

    static function overlap(a:Rectangle, b:Rectangle):Bool {
        var i = a.intersection(b);
        return i.width > SLACK && i.height > SLACK;
    }

    static function global(o:DisplayObject, r:Rectangle):Rectangle {
        var a = o.localToGlobal(new Point(r.x, r.y));
        var b = o.localToGlobal(new Point(r.right, r.bottom));
        return new Rectangle(Math.min(a.x, b.x), Math.min(a.y, b.y), Math.abs(b.x - a.x), Math.abs(b.y - a.y));
    }

    static function describe(r:Rectangle):String {
        return Math.round(r.x) + "," + Math.round(r.y) + " " + Math.round(r.width) + "x" + Math.round(r.height);
    }
}
