// Every size of the banner at once, in the canvas's place: each size drawn by the banner renderer
// at its final frame, all at one scale chosen so that they fit the area (never above 100 %), each
// labelled by a button with its size. A click on a size or its label edits that size on the
// canvas. Edits to the design show in every size as they are made.
package views;

import BannerDocument;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.MouseEvent;
import ui.Button;
import ui.Theme;
import ui.Widgets;

class AllSizesView extends Sprite {
    static inline var GAP = 14;
    static inline var MARGIN = 12;
    static inline var LABEL_H = 24;

    var session:EditorSession;
    var widgets:Widgets;
    var folder:Void->String;
    var choose:Int->Void;
    var areaW:Float = 100;
    var areaH:Float = 100;
    var shownDoc:BannerDocument = null;
    var shownShape = "";
    var renderers:Array<BannerRenderer> = [];
    var frames:Array<Shape> = [];
    /** The scale every size is shown at. */
    public var scale(default, null):Float = 1;

    /** choose: called with a size's index when it is clicked. */
    public function new(session:EditorSession, widgets:Widgets, folder:Void->String, choose:Int->Void) {
        super();
        this.session = session;
        this.widgets = widgets;
        this.folder = folder;
        this.choose = choose;
        visible = false;
        session.listen(sync);
    }

    public function setArea(w:Float, h:Float) {
        areaW = Math.max(10, w);
        areaH = Math.max(10, h);
        if (visible)
            build();
    }

    public function show(on:Bool) {
        visible = on;
        if (on)
            build();
        else
            clear();
    }

    function shapeOf():String {
        return [for (s in session.doc.sizes) s.width + "x" + s.height].join(",") + "|" + areaW + "x" + areaH;
    }

    function sync() {
        if (!visible)
            return;
        if (session.doc != shownDoc || shapeOf() != shownShape) {
            build();
            return;
        }
        for (r in renderers)
            r.render(Timeline.finalTime(session.doc));
        mark();
    }

    function clear() {
        removeChildren();
        renderers = [];
        frames = [];
        shownDoc = null;
    }

    // The largest scale (at most 1) at which the sizes, in rows from the left, fit the area.
    static function fitScale(sizes:Array<BannerSize>, w:Float, h:Float):Float {
        var fits = function(s:Float):Bool {
            var x = 0.0, rowH = 0.0, y = 0.0;
            for (size in sizes) {
                var cw = Math.max(size.width * s, 60), ch = size.height * s + LABEL_H;
                if (x > 0 && x + cw > w) {
                    y += rowH + GAP;
                    x = 0;
                    rowH = 0;
                }
                x += cw + GAP;
                rowH = Math.max(rowH, ch);
            }
            return y + rowH <= h;
        };
        if (fits(1))
            return 1;
        var low = 0.02, high = 1.0;
        for (i in 0...20) {
            var mid = (low + high) / 2;
            if (fits(mid))
                low = mid;
            else
                high = mid;
        }
        return low;
    }

    function build() {
        clear();
        var doc = session.doc;
        shownDoc = doc;
        shownShape = shapeOf();
        var g = graphics;
        g.clear();
        g.beginFill(Theme.BACKGROUND);
        g.drawRect(0, 0, areaW, areaH);
        g.endFill();
        var w = areaW - 2 * MARGIN, h = areaH - 2 * MARGIN;
        scale = fitScale(doc.sizes, w, h);
        widgets.beginGroup(2500);
        var x = 0.0, y = 0.0, rowH = 0.0;
        for (i in 0...doc.sizes.length) {
            var size = doc.sizes[i];
            var cw = Math.max(size.width * scale, 60), ch = size.height * scale + LABEL_H;
            if (x > 0 && x + cw > w) {
                y += rowH + GAP;
                x = 0;
                rowH = 0;
            }
            var index = i;
            var cell = new Sprite();
            cell.x = MARGIN + x;
            cell.y = MARGIN + y;
            addChild(cell);
            var banner = new Sprite();
            banner.scaleX = banner.scaleY = scale;
            banner.mouseChildren = false;
            banner.buttonMode = true;
            banner.addEventListener(MouseEvent.CLICK, function(_) choose(index));
            cell.addChild(banner);
            var frame = new Shape();
            cell.addChild(frame);
            frames.push(frame);
            var r = new BannerRenderer(doc, new EditorSurface(banner), i);
            renderers.push(r);
            r.load(folder(), function() r.render(Timeline.finalTime(doc)));
            // A hit area under the banner, so that a click anywhere on it counts.
            banner.graphics.beginFill(0, 0);
            banner.graphics.drawRect(0, 0, size.width, size.height);
            banner.graphics.endFill();
            var label = widgets.button(new Button("allSizes." + size.width + "x" + size.height, Commands.sizeName(size), function() choose(index),
                Math.max(60, Math.min(cw, 120)), 20));
            label.y = size.height * scale + 3;
            cell.addChild(label);
            x += cw + GAP;
            rowH = Math.max(rowH, ch);
        }
        mark();
    }

    // The size being edited has a coloured frame, the others a plain one.
    function mark() {
        var doc = session.doc;
        for (i in 0...frames.length) {
            var size = doc.sizes[i];
            var g = frames[i].graphics;
            g.clear();
            var on = i == session.sizeIndex;
            g.lineStyle(on ? 2 : 1, on ? Theme.ACCENT : Theme.PANEL_LINE);
            g.drawRect(-1, -1, size.width * scale + 1, size.height * scale + 1);
            widgets.setSelected("allSizes." + size.width + "x" + size.height, on);
        }
    }
}
