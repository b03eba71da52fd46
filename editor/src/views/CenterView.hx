// The middle of the editor: the banner at the size being edited (the canvas) over the timeline.
package views;

import flash.display.Sprite;
import ui.Widgets;

class CenterView extends Sprite {
    static inline var TIMELINE_MIN = 120;
    static inline var TIMELINE_MAX = 200;

    public var canvas(default, null):Canvas;
    public var timeline(default, null):TimelineStrip;
    /** Every size at once, shown in the canvas's place while allSizesShown. */
    public var allSizes(default, null):AllSizesView;
    public var allSizesShown(get, never):Bool;
    /** The background image as the editor reads it: none, loading, loaded or failed; its pixel size. */
    public var imageState(default, null):String = "none";
    public var imageSize(default, null):String = "";

    var session:EditorSession;
    var probed:String = "";

    public function new(session:EditorSession, widgets:Widgets) {
        super();
        this.session = session;
        canvas = new Canvas(session);
        timeline = new TimelineStrip(session, canvas.playback, widgets);
        allSizes = new AllSizesView(session, widgets, function() return canvas.folder, function(index) {
            session.selectSize(index);
            showAllSizes(false);
        });
        addChild(canvas);
        addChild(allSizes);
        addChild(timeline);
        session.listen(probeImage);
    }

    /** Builds the parts that carry texts again (after a language switch). */
    public function rebuild() {
        timeline.rebuild();
    }

    public function setArea(w:Float, h:Float) {
        var strip = Math.max(TIMELINE_MIN, Math.min(TIMELINE_MAX, Math.round(h * 0.3)));
        canvas.setArea(w, h - strip);
        allSizes.setArea(w, h - strip);
        timeline.y = h - strip;
        timeline.setArea(w, strip);
    }

    function get_allSizesShown():Bool {
        return allSizes.visible;
    }

    /** Shows every size at once in the canvas's place, or the canvas again. */
    public function showAllSizes(on:Bool) {
        allSizes.show(on);
        canvas.visible = !on;
    }

    /** Reads the background image as the canvas does, to tell whether it could be shown. */
    function probeImage() {
        var path = session.doc.image;
        if (path == probed)
            return;
        probed = path;
        imageSize = "";
        if (path == "") {
            imageState = "none";
            return;
        }
        imageState = "loading";
        LocalFiles.loadImage(path, function(loader) {
            if (probed != path)
                return;
            imageState = "loaded";
            imageSize = loader.contentLoaderInfo.width + "x" + loader.contentLoaderInfo.height;
        }, function(_) {
            if (probed == path)
                imageState = "failed";
        });
    }
}
