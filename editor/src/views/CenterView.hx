// The middle of the editor: the banner at the size being edited.
package views;

import flash.display.Sprite;
import ui.Theme;
import ui.Widgets;

class CenterView extends Sprite {
    public var imageState(get, never):String;

    var session:EditorSession;
    var widgets:Widgets;
    var areaW:Float = 400;
    var areaH:Float = 400;
    var banner:Sprite;

    public function new(session:EditorSession, widgets:Widgets) {
        super();
        this.session = session;
        this.widgets = widgets;
        banner = new Sprite();
        session.listen(draw);
    }

    /** Builds the parts that carry texts again (after a language switch). */
    public function rebuild() {
        removeChildren();
        widgets.beginGroup(4000);
        addChild(banner);
        draw();
    }

    public function setArea(w:Float, h:Float) {
        areaW = w;
        areaH = h;
        draw();
    }

    function get_imageState():String {
        return "none";
    }

    function draw() {
        var doc = session.doc;
        var size = doc.sizes[session.sizeIndex];
        var scale = Math.min(1, Math.min((areaW - 28) / size.width, (areaH - 28) / size.height));
        var g = banner.graphics;
        g.clear();
        g.lineStyle(1, Theme.PANEL_LINE);
        g.beginFill(doc.background);
        g.drawRect(0, 0, size.width * scale, size.height * scale);
        g.endFill();
        for (e in doc.elements) {
            var b = doc.box(e, session.sizeIndex);
            g.lineStyle(1, e.id == session.selected ? Theme.ACCENT : 0x888888);
            g.drawRect(b.x * scale, b.y * scale, b.width * scale, b.height * scale);
        }
        banner.x = Math.round((areaW - size.width * scale) / 2);
        banner.y = 14;
    }
}
