// The canvas: the banner at the size being edited, scaled to fit, drawn by the same renderer as
// the component movie, at the moment the timeline shows (the final frame unless scrubbed or
// playing). A click picks the topmost element under the pointer (or the background), the
// selection has an outline and eight handles, dragging moves or resizes it with snapping guides,
// and the arrow keys nudge it. Every drag is one undoable step.
package views;

import BannerDocument;
import EditGeometry.EditRect;
import flash.Lib;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.Event;
import flash.events.KeyboardEvent;
import flash.events.MouseEvent;
import flash.text.TextField;
import ui.Theme;

class Canvas extends Sprite {
    /** Half the side of a handle, and how near the pointer must come to one, in screen pixels. */
    static inline var HANDLE = 4;
    static inline var HANDLE_REACH = 6;
    /** Snapping reach in screen pixels. */
    static inline var SNAP = 5;
    /** How far the pointer must move before a press becomes a drag, in screen pixels. */
    static inline var DRAG_START = 3;
    static inline var MARGIN = 12;
    static inline var LABEL_H = 22;
    static inline var OUTLINE = 0x2F6FD6;
    static inline var GUIDE = 0xE0218A;
    /** The component movie, from the editor movie's folder. */
    static inline var COMPONENT_MOVIE = "templateEditor/res/template.swf";
    static var fontsAsked = false;
    /** Whether the borrowed faces are in (or could not be had). */
    static var fontsSettled = false;

    public var session(default, null):EditorSession;
    public var playback(default, null):Playback;
    /** Screen pixels per banner pixel. */
    public var scale(default, null):Float = 1;
    /** Milliseconds from the last input (pointer release, key, property change) to the preview redrawn after it. */
    public var lastUpdateMs(default, null):Float = 0;
    /** How many times the whole banner was built again, and how many times it was only re-posed. */
    public var rebuilds(default, null) = 0;
    public var renders(default, null) = 0;
    /**
     * Actual size: the banner at 100 % whatever room there is (what does not fit is cut off at the
     * canvas's edges), and as it will be seen: without the outlines of elements hidden at the moment.
     */
    public var actualSize(default, set):Bool = false;
    /** Where relative image names of the project are resolved (the project's folder as a URL). */
    public var folder(default, set):String = "";

    var areaW:Float = 100;
    var areaH:Float = 100;
    var backdrop:Shape;
    var holder:Sprite;
    var layer:Sprite;
    var pending:Sprite;
    var frame:Shape;
    var overlay:Shape;
    var sizeLabel:TextField;
    var renderer:BannerRenderer;
    var shownDoc:BannerDocument;
    var shownSize = -1;
    var bannerW = 1;
    var bannerH = 1;
    // The moment of the last input, for lastUpdateMs.
    var inputAt:Float = -1;
    var drag:Null<Drag> = null;
    var guidesX:Array<Float> = [];
    var guidesY:Array<Float> = [];

    public function new(session:EditorSession) {
        super();
        this.session = session;
        backdrop = new Shape();
        addChild(backdrop);
        holder = new Sprite();
        holder.mouseEnabled = false;
        holder.mouseChildren = false;
        addChild(holder);
        frame = new Shape();
        addChild(frame);
        overlay = new Shape();
        addChild(overlay);
        sizeLabel = Theme.label("", 11, Theme.MUTED);
        addChild(sizeLabel);
        playback = new Playback(session, this);
        playback.listen(function() {
            pose();
            drawOverlay();
        });
        session.listen(sync);
        focusRect = false;
        addEventListener(MouseEvent.MOUSE_DOWN, onDown);
        addEventListener(KeyboardEvent.KEY_DOWN, onKey);
        addEventListener(Event.ADDED_TO_STAGE, function(_) {
            borrowFonts();
            // Any input starts the clock of lastUpdateMs; the redraw after it stops it.
            for (type in [MouseEvent.MOUSE_UP, KeyboardEvent.KEY_DOWN, Event.CHANGE])
                stage.addEventListener(type, function(_) inputAt = Lib.getTimer(), true);
        });
        // An input and the redraw it causes come in one turn; an input that redrew nothing is forgotten.
        addEventListener(Event.ENTER_FRAME, function(_) inputAt = -1);
        sync();
    }

    /**
     * The shipped faces come from the component movie beside the editor (the editor does not embed
     * them); once they are in, the banner is built again with them. Until then, or without them,
     * texts show in the player's device fonts.
     */
    function borrowFonts() {
        if (fontsAsked)
            return;
        fontsAsked = true;
        Pace.hold();
        BannerFonts.load(MovieUrls.folderOf(Lib.current.loaderInfo.url) + COMPONENT_MOVIE, function(count) {
            Pace.release();
            fontsSettled = true;
            if (count > 0 && shownDoc != null)
                rebuild();
        });
    }

    /** The canvas's area in the editor: the banner is scaled (never up) to fit inside it. */
    public function setArea(w:Float, h:Float) {
        areaW = Math.max(10, w);
        areaH = Math.max(10, h);
        layout();
        drawOverlay();
    }

    // ---- Test driver: positions in banner pixels of the size being edited.

    /** A click at a point of the banner: selects what is under it. */
    public function clickAt(x:Float, y:Float) {
        Pace.moving();
        inputAt = Lib.getTimer();
        press(x, y, false);
        release();
    }

    /** A drag from one point of the banner to another (moving or resizing as the pointer would). */
    public function dragFromTo(x1:Float, y1:Float, x2:Float, y2:Float, shift:Bool = false) {
        Pace.moving();
        press(x1, y1, shift);
        var steps = 4;
        for (i in 1...steps + 1)
            follow(x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps, shift);
        inputAt = Lib.getTimer();
        release();
    }

    /** The element id the canvas would pick at a point, or null for the background. */
    public function elementAt(x:Float, y:Float):Null<String> {
        var doc = session.doc;
        var i = pick(x, y);
        return i < 0 ? null : doc.elements[i].id;
    }

    /**
     * What the tests read: where the banner's top-left corner is on the stage and its scale, the
     * moment shown, whether it plays, the last update time, the selected element's box, and whether
     * the banner on screen is the one built last with the fonts settled (nothing left to load).
     */
    public function testState():Dynamic {
        var origin = localToGlobal(new flash.geom.Point(holder.x, holder.y));
        var e = session.selectedElement();
        return {
            x: origin.x,
            y: origin.y,
            scale: scale,
            actualSize: actualSize,
            time: playback.time,
            playing: playback.playing,
            updateMs: lastUpdateMs,
            box: e == null ? null : session.doc.box(e, session.sizeIndex),
            settled: fontsSettled && renderer != null && pending == null
        };
    }

    // ---- Commands.

    /** Moves the selected element by dx, dy banner pixels (the arrow keys: 1, with Shift 10). */
    public function nudge(dx:Float, dy:Float) {
        var e = session.selectedElement();
        if (e == null)
            return;
        var id = e.id;
        var b = session.doc.box(e, session.sizeIndex);
        var r = EditGeometry.nudge(b, dx, dy);
        session.change(Strings.STEP_NUDGE, function() {
            var el = session.doc.find(id);
            if (el != null)
                session.doc.setBox(el, session.sizeIndex, {x: r.x, y: r.y, width: r.width, height: r.height, fontSize: b.fontSize});
        });
    }

    /**
     * Follows the session. The renderer takes the document as it is now each time it renders (it
     * redraws only what changed, and sets the banner up again when its size, background or link
     * changed), so edits only re-pose the built banner; another document (undo swaps it) or another
     * size builds it anew.
     */
    function sync() {
        var doc = session.doc;
        if (drag != null && (doc != drag.doc || session.doc.find(drag.id) == null))
            drag = null; // undone under the pointer
        if (doc != shownDoc || session.sizeIndex != shownSize) {
            rebuild();
        } else {
            var size = doc.sizes[shownSize];
            if (size.width != bannerW || size.height != bannerH) {
                bannerW = size.width;
                bannerH = size.height;
                layout();
            }
            pose();
        }
        drawOverlay();
    }

    function rebuild() {
        var doc = session.doc;
        shownDoc = doc;
        shownSize = session.sizeIndex < doc.sizes.length ? session.sizeIndex : 0;
        bannerW = doc.sizes[shownSize].width;
        bannerH = doc.sizes[shownSize].height;
        layout();
        rebuilds++;
        // The new banner is built beside the shown one and takes its place once its images are in,
        // so that an edit never flashes an empty banner.
        if (pending != null && pending.parent != null)
            pending.parent.removeChild(pending);
        var next = new Sprite();
        next.visible = false;
        holder.addChild(next);
        pending = next;
        var r = new BannerRenderer(doc, new EditorSurface(next), shownSize);
        Pace.hold();
        r.load(folder, function() {
            Pace.release();
            if (pending != next)
                return;
            pending = null;
            if (layer != null && layer.parent != null)
                layer.parent.removeChild(layer);
            layer = next;
            layer.visible = true;
            renderer = r;
            pose();
        });
    }

    /** Shows the built banner at the moment the timeline shows. */
    function pose() {
        if (renderer == null)
            return;
        renderer.render(playback.time);
        renders++;
        if (inputAt >= 0) {
            lastUpdateMs = Lib.getTimer() - inputAt;
            inputAt = -1;
        }
    }

    function layout() {
        scale = actualSize ? 1 : Math.min(1, Math.min((areaW - 2 * MARGIN) / bannerW, (areaH - 2 * MARGIN - LABEL_H) / bannerH));
        if (scale <= 0.01)
            scale = 0.01;
        scrollRect = actualSize ? new flash.geom.Rectangle(0, 0, areaW, areaH) : null;
        holder.scaleX = holder.scaleY = scale;
        holder.x = Math.round((areaW - bannerW * scale) / 2);
        holder.y = Math.round(Math.max(MARGIN, (areaH - LABEL_H - bannerH * scale) / 2));
        var g = backdrop.graphics;
        g.clear();
        g.beginFill(Theme.BACKGROUND);
        g.drawRect(0, 0, areaW, areaH);
        g.endFill();
        g = frame.graphics;
        g.clear();
        g.lineStyle(1, Theme.PANEL_LINE);
        g.drawRect(holder.x - 1, holder.y - 1, bannerW * scale + 1, bannerH * scale + 1);
        sizeLabel.text = Strings.format(Strings.CANVAS_SIZE, [Std.string(bannerW), Std.string(bannerH), Std.string(Math.round(scale * 100))]);
        sizeLabel.x = Math.round((areaW - sizeLabel.width) / 2);
        sizeLabel.y = holder.y + bannerH * scale + 4;
    }

    function set_actualSize(on:Bool):Bool {
        if (on != actualSize) {
            actualSize = on;
            layout();
            drawOverlay();
        }
        return on;
    }

    function set_folder(f:String):String {
        if (f != folder) {
            folder = f;
            if (shownDoc != null)
                rebuild();
        }
        return f;
    }

    // ---- Geometry.

    /**
     * The element to pick at a banner point: the topmost one shown there at the moment on screen,
     * else the topmost hidden one whose place is there (an element that has not entered yet or has
     * left stays reachable through its outline).
     */
    function pick(x:Float, y:Float):Int {
        var i = EditGeometry.hitTest(shownRects(), x, y);
        return i >= 0 ? i : EditGeometry.hitTest(hiddenRects(), x, y);
    }

    /** The places of the elements hidden at the moment on screen; null for those shown. */
    function hiddenRects():Array<Null<EditRect>> {
        var doc = session.doc;
        var size = session.sizeIndex;
        var t = playback.time;
        var w = doc.sizes[size].width, h = doc.sizes[size].height;
        return [
            for (e in doc.elements) {
                var b = doc.box(e, size);
                Timeline.stateAt(doc, e, b, w, h, t).visible ? null : (b : EditRect);
            }
        ];
    }

    /** Each element's rectangle as shown at the moment on screen; null where it is hidden then. */
    function shownRects():Array<Null<EditRect>> {
        var doc = session.doc;
        var size = session.sizeIndex;
        var t = playback.time;
        var w = doc.sizes[size].width, h = doc.sizes[size].height;
        return [
            for (e in doc.elements) {
                var b = doc.box(e, size);
                var s = Timeline.stateAt(doc, e, b, w, h, t);
                if (!s.visible) null else {
                    x: b.x + s.dx + b.width * (1 - s.scale) / 2,
                    y: b.y + s.dy + b.height * (1 - s.scale) / 2,
                    width: b.width * s.scale,
                    height: b.height * s.scale
                };
            }
        ];
    }

    function toBannerX(localX:Float):Float {
        return (localX - holder.x) / scale;
    }

    function toBannerY(localY:Float):Float {
        return (localY - holder.y) / scale;
    }

    // ---- Pointer.

    function onDown(e:MouseEvent) {
        // Editing holds the banner still on the moment shown.
        playback.pause();
        if (stage != null) {
            stage.focus = this;
            stage.addEventListener(MouseEvent.MOUSE_MOVE, onMove);
            stage.addEventListener(MouseEvent.MOUSE_UP, onUp);
        }
        press(toBannerX(mouseX), toBannerY(mouseY), e.shiftKey);
    }

    function onMove(e:MouseEvent) {
        follow(toBannerX(mouseX), toBannerY(mouseY), e.shiftKey);
    }

    function onUp(_:MouseEvent) {
        stage.removeEventListener(MouseEvent.MOUSE_MOVE, onMove);
        stage.removeEventListener(MouseEvent.MOUSE_UP, onUp);
        release();
    }

    /** The pointer goes down at banner point x, y: a handle of the selection, or an element to pick. */
    function press(x:Float, y:Float, shift:Bool) {
        // A drag whose release never came (let go outside the player) ends here.
        if (drag != null)
            release();
        var doc = session.doc;
        var size = session.sizeIndex;
        var selected = session.selectedElement();
        if (selected != null) {
            var h = EditGeometry.handleAt(doc.box(selected, size), x, y, HANDLE_REACH / scale);
            if (h != EditGeometry.NONE) {
                beginDrag(selected, h, x, y);
                return;
            }
        }
        var i = pick(x, y);
        var picked = i < 0 ? null : doc.elements[i];
        session.select(picked == null ? null : picked.id);
        if (picked != null)
            beginDrag(picked, EditGeometry.NONE, x, y);
    }

    function beginDrag(e:BannerElement, handle:Int, x:Float, y:Float) {
        var doc = session.doc;
        var size = session.sizeIndex;
        var others = [for (o in doc.elements) if (o != e) (doc.box(o, size) : EditRect)];
        drag = {
            doc: doc,
            id: e.id,
            handle: handle,
            fromX: x,
            fromY: y,
            start: doc.box(e, size),
            lines: EditGeometry.snapLines(doc.sizes[size].width, doc.sizes[size].height, others),
            active: false
        };
    }

    function follow(x:Float, y:Float, shift:Bool) {
        var d = drag;
        if (d == null)
            return;
        var dx = x - d.fromX, dy = y - d.fromY;
        if (!d.active) {
            if (Math.abs(dx) * scale < DRAG_START && Math.abs(dy) * scale < DRAG_START)
                return;
            d.active = true;
            session.beginGesture(d.handle == EditGeometry.NONE ? Strings.STEP_MOVE : Strings.STEP_RESIZE);
        }
        var reach = SNAP / scale;
        var snapped = if (d.handle == EditGeometry.NONE)
            EditGeometry.snapMove(EditGeometry.move(d.start, dx, dy), d.lines, reach)
        else
            EditGeometry.snapResize(d.start, d.handle, EditGeometry.resize(d.start, d.handle, dx, dy, shift), d.lines, reach, shift);
        guidesX = snapped.guidesX;
        guidesY = snapped.guidesY;
        var r = snapped.rect;
        var font = d.start.fontSize;
        session.change(d.handle == EditGeometry.NONE ? Strings.STEP_MOVE : Strings.STEP_RESIZE, function() {
            var el = session.doc.find(d.id);
            if (el != null)
                session.doc.setBox(el, session.sizeIndex, {x: r.x, y: r.y, width: r.width, height: r.height, fontSize: font});
        });
    }

    function release() {
        var d = drag;
        drag = null;
        guidesX = [];
        guidesY = [];
        if (d != null && d.active) {
            session.endGesture();
        }
        drawOverlay();
    }

    // ---- Keys (while the canvas has the focus).

    function onKey(e:KeyboardEvent) {
        var step = e.shiftKey ? 10 : 1;
        var moved = switch (e.keyCode) {
            case 37: {dx: -step, dy: 0};
            case 38: {dx: 0, dy: -step};
            case 39: {dx: step, dy: 0};
            case 40: {dx: 0, dy: step};
            default: null;
        };
        if (moved == null || e.ctrlKey || e.altKey)
            return;
        nudge(moved.dx, moved.dy);
        e.stopImmediatePropagation();
    }

    // ---- Selection, handles and guides, drawn in screen pixels over the banner.

    function drawOverlay() {
        var g = overlay.graphics;
        g.clear();
        var e = session.selectedElement();
        var size = session.sizeIndex;
        if (shownDoc == null || size >= session.doc.sizes.length)
            return;
        var ox = holder.x, oy = holder.y;
        g.lineStyle(1, GUIDE);
        for (x in guidesX) {
            g.moveTo(ox + x * scale, oy);
            g.lineTo(ox + x * scale, oy + bannerH * scale);
        }
        for (y in guidesY) {
            g.moveTo(ox, oy + y * scale);
            g.lineTo(ox + bannerW * scale, oy + y * scale);
        }
        if (!playback.playing && !actualSize) {
            // Elements hidden at this moment: a faint outline where they will be.
            g.lineStyle(1, Theme.MUTED, 0.7);
            for (r in hiddenRects())
                if (r != null)
                    dashedRect(g, ox + r.x * scale, oy + r.y * scale, r.width * scale, r.height * scale);
        }
        if (e == null)
            return;
        var b = session.doc.box(e, size);
        var sx = ox + b.x * scale, sy = oy + b.y * scale;
        g.lineStyle(1, OUTLINE);
        g.drawRect(sx, sy, b.width * scale, b.height * scale);
        for (h in 0...8) {
            var p = EditGeometry.handlePoint(b, h);
            g.beginFill(0xFFFFFF);
            g.drawRect(ox + p.x * scale - HANDLE, oy + p.y * scale - HANDLE, 2 * HANDLE, 2 * HANDLE);
            g.endFill();
        }
    }

    static function dashedRect(g:flash.display.Graphics, x:Float, y:Float, w:Float, h:Float) {
        dashedLine(g, x, y, x + w, y);
        dashedLine(g, x + w, y, x + w, y + h);
        dashedLine(g, x + w, y + h, x, y + h);
        dashedLine(g, x, y + h, x, y);
    }

    static function dashedLine(g:flash.display.Graphics, x1:Float, y1:Float, x2:Float, y2:Float) {
        var length = Math.sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
        var dashes = Math.max(1, Math.floor(length / 4));
        for (i in 0...Std.int(dashes)) {
            if (i % 2 == 1)
                continue;
            var a = i / dashes, b = Math.min(1, (i + 1) / dashes);
            g.moveTo(x1 + (x2 - x1) * a, y1 + (y2 - y1) * a);
            g.lineTo(x1 + (x2 - x1) * b, y1 + (y2 - y1) * b);
        }
    }
}

private typedef Drag = {
    doc:BannerDocument,
    id:String,
    handle:Int,
    fromX:Float,
    fromY:Float,
    start:Box,
    lines:EditGeometry.SnapLines,
    active:Bool
}
