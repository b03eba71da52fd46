// The top of the left column: the project's sizes (the one being edited is chosen), and the
// commands that add and remove sizes.
package views;

import BannerDocument;
import flash.display.Sprite;
import ui.Button;
import ui.Theme;
import ui.Widgets;

class SizesPanel extends Sprite {
    static inline var PAD = 10;

    /** The height the sizes take; the layer list starts below it. */
    public var panelHeight(default, null):Float = 0;

    var session:EditorSession;
    var widgets:Widgets;
    var commandButton:(String, String, Float) -> Button;
    var shownFor = "";
    // The sizes marked as not fitting a text, as shape has them.
    var shownOverflowing:Null<String> = null;

    public function new(session:EditorSession, widgets:Widgets, commandButton:(String, String, Float) -> Button) {
        super();
        this.session = session;
        this.widgets = widgets;
        this.commandButton = commandButton;
        build();
    }

    /** Built anew when the sizes changed (true: its height may have changed), else the choice shown. */
    /** changed: only these elements changed since the last update (null: anything may have). */
    public function update(?changed:Array<BannerElement>):Bool {
        // Only texts and buttons can stop fitting their boxes.
        var fitting = changed != null && shownOverflowing != null;
        if (fitting)
            for (e in changed)
                if (e.kind == Text || e.kind == Button)
                    fitting = false;
        if (!fitting)
            shownOverflowing = overflowing().join(",");
        if (shape() != shownFor) {
            build();
            return true;
        }
        for (i in 0...session.doc.sizes.length)
            widgets.setSelected(sizeId(i), i == session.sizeIndex);
        return false;
    }

    function shape():String {
        if (shownOverflowing == null)
            shownOverflowing = overflowing().join(",");
        return [for (s in session.doc.sizes) s.width + "x" + s.height].join(",") + "|" + Strings.language + "|" + shownOverflowing;
    }

    // The sizes at which a text does not fit its box: marked with "!" (the element's properties say
    // which sizes are its).
    function overflowing():Array<String> {
        var out = [];
        for (n in SizeLayout.overflows(session.doc)) {
            var name = n.width + "x" + n.height;
            if (out.indexOf(name) < 0)
                out.push(name);
        }
        return out;
    }

    function sizeId(i:Int):String {
        var s = session.doc.sizes[i];
        return "size." + s.width + "x" + s.height;
    }

    function build() {
        removeChildren();
        widgets.beginGroup(2000);
        var inner = LayerList.WIDTH - 2 * PAD;
        var half = (inner - 4) / 2;
        place(Theme.label(Strings.SIZES, 13, Theme.CAPTION, true), PAD, 8);
        // Every size at once, in the canvas's place.
        place(commandButton("sizes.all", "allSizes", half), PAD + half + 4, 3);
        var y = 30.0;
        var doc = session.doc;
        var marked = overflowing();
        for (i in 0...doc.sizes.length) {
            var s = doc.sizes[i];
            var index = i;
            var mark = marked.indexOf(s.width + "x" + s.height) >= 0 ? " !" : "";
            var b = place(widgets.button(new Button(sizeId(i), s.width + " \u00d7 " + s.height + mark, function() session.selectSize(index), half, 24)),
                PAD + (i % 2) * (half + 4), y);
            b.selected = i == session.sizeIndex;
            if (i % 2 == 1 || i == doc.sizes.length - 1)
                y += 28;
        }
        place(commandButton("sizes.add", "addSize", half), PAD, y);
        place(commandButton("sizes.remove", "removeSize", half), PAD + half + 4, y);
        panelHeight = y + 36;
        var g = graphics;
        g.clear();
        g.beginFill(Theme.PANEL);
        g.drawRect(0, 0, LayerList.WIDTH, panelHeight);
        g.endFill();
        g.lineStyle(1, Theme.PANEL_LINE);
        g.moveTo(LayerList.WIDTH - 0.5, 0);
        g.lineTo(LayerList.WIDTH - 0.5, panelHeight);
        shownFor = shape();
    }

    function place<T:flash.display.DisplayObject>(item:T, x:Float, y:Float):T {
        item.x = x;
        item.y = y;
        addChild(item);
        return item;
    }
}
