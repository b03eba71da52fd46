// The canvas: the banner at the size being edited, scaled to fit or zoomed (25 to 800 %, Ctrl+wheel
// about the pointer, the wheel scrolls), drawn by the same renderer as the component movie, at the
// moment the timeline shows (the final frame unless scrubbed or playing), with rulers in banner
// pixels and an optional grid. A click picks the topmost element under the pointer (or the
// background), Shift+click adds to the selection or takes out of it, a drag on the background
// selects what its frame touches. Each selected element has an outline, a lone one eight handles;
// dragging moves the selection or resizes the lone one with snapping guides (and to the grid when
// it shows), and the arrow keys nudge it. Every drag is one undoable step. Locked elements are
// neither picked nor moved; elements hidden in the editor are not drawn.
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
    // Two presses on one element this close (ms) are a double click.
    static inline var DOUBLE_CLICK_MS = 400;
    static inline var MARGIN = 12;
    static inline var LABEL_H = 22;
    /** The rulers' breadth along the top and down the left side. */
    static inline var RULER_H = 16;
    static inline var RULER_W = 26;
    /** The grid's spacing in banner pixels. */
    public static inline var GRID_STEP = 10;
    public static inline var MIN_ZOOM = 0.25;
    public static inline var MAX_ZOOM = 8.0;
    /** The zoom steps of Zoom in and Zoom out. */
    static var ZOOMS = [0.25, 0.33, 0.5, 0.67, 0.75, 1, 1.5, 2, 3, 4, 6, 8];
    static inline var OUTLINE = 0x2F6FD6;
    static inline var GUIDE = 0xE0218A;
    /** Where the face movies are, from the editor movie's folder. */
    static inline var FACE_FOLDER = "templateEditor/res/";
    /** The component movie with every shipped face embedded, which the editor borrows them from (one movie: the player answered the page with nothing after loading the twelve face movies). */
    static inline var EVERY_FACE = "Faces";
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
    /** The zoom chosen (screen pixels per banner pixel); 0 fits the banner in. */
    public var zoom(default, null):Float = 0;
    /** Whether the grid shows; moves and resizes then snap to it. */
    public var grid(default, set):Bool = false;

    var areaW:Float = 100;
    var areaH:Float = 100;
    var backdrop:Shape;
    var holder:Sprite;
    var layer:Sprite;
    var pending:Sprite;
    var frame:Shape;
    var overlay:Shape;
    var gridShape:Shape;
    var rulers:Sprite;
    var sizeLabel:TextField;
    // The banner's offset from where it sits centred, when zoomed beyond the room there is.
    var panX:Float = 0;
    var panY:Float = 0;
    // The frame dragged on the background, in banner pixels (null when none).
    var band:Null<EditRect> = null;
    // The element pressed last, and the one of the last click (a press and release without a
    // drag) with its time: a second click on it soon after is a double click.
    var pressed:Null<String> = null;
    var lastClicked:Null<String> = null;
    var lastClickAt = -10000;
    var pixelsReadable:Null<Bool> = null;
    /** Asks the host for a face of the user's as a face movie (family, file, characters), base64; set by the editor. */
    public var userFaceMovie:Null<String->String->String->Null<String>> = null;
    var userFacesKey = "";
    var userFaceLoaders:Array<flash.display.Loader> = [];
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
        // The banner is shown as the face of a switched-off button: the player takes every pointer
        // move through each sprite on the display list, and a button that is off keeps
        // those of its face to itself, so a step costs the same with 10 elements as with 500.
        var shield = new flash.display.SimpleButton(holder);
        shield.enabled = false;
        shield.mouseEnabled = false;
        shield.tabEnabled = false;
        shield.useHandCursor = false;
        addChild(shield);
        frame = new Shape();
        addChild(frame);
        gridShape = new Shape();
        addChild(gridShape);
        overlay = new Shape();
        addChild(overlay);
        rulers = new Sprite();
        rulers.mouseEnabled = false;
        rulers.mouseChildren = false;
        addChild(rulers);
        sizeLabel = Theme.label("", 11, Theme.MUTED);
        addChild(sizeLabel);
        playback = new Playback(session, this);
        playback.listen(function() {
            pose();
            drawOverlay();
        });
        session.listen(function() sync(session.changed));
        focusRect = false;
        addEventListener(MouseEvent.MOUSE_DOWN, onDown);
        addEventListener(MouseEvent.MOUSE_WHEEL, onWheel);
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
     * The shipped faces come from the component movie with every face, beside the published one (the
     * editor does not embed them); once they are in, the banner is built again with them. Until then, or without them,
     * texts show in the player's device fonts.
     */
    function borrowFonts() {
        if (fontsAsked)
            return;
        fontsAsked = true;
        Pace.hold();
        BannerFonts.load(MovieUrls.folderOf(Lib.current.loaderInfo.url) + FACE_FOLDER, [EVERY_FACE], function(count) {
            Pace.release();
            fontsSettled = true;
            if (count > 0 && shownDoc != null)
                rebuild();
        });
    }

    /**
        The user's own faces come from the host as small face movies (base64) holding Latin-1 and
        the characters the document sets in them; asked again when the faces or those characters
        change, and the banner is built again with them once each is in.
    **/
    function askUserFaces(doc:BannerDocument) {
        if (userFaceMovie == null)
            return;
        var texts = new Map<String, String>();
        for (e in doc.elements)
            if ((e.kind == Text || e.kind == Button) && doc.fontNamed(e.font) != null) {
                var more = "";
                for (i in 0...e.label.length)
                    if (e.label.charCodeAt(i) > 0xFF)
                        more += e.label.charAt(i);
                texts.set(e.font, (texts.exists(e.font) ? texts.get(e.font) : "") + more);
            }
        var key = [for (f in doc.fonts) f.family + "=" + f.src + "=" + (texts.exists(f.family) ? texts.get(f.family) : "")].join("\x01");
        if (key == userFacesKey)
            return;
        userFacesKey = key;
        var latin = new StringBuf();
        for (c in 0x20...0x100)
            if (c < 0x7F || c >= 0xA0)
                latin.addChar(c);
        for (f in doc.fonts) {
            var data = userFaceMovie(f.family, f.src, latin.toString() + (texts.exists(f.family) ? texts.get(f.family) : ""));
            if (data == null)
                continue;
            var loader = new flash.display.Loader();
            userFaceLoaders.push(loader);
            var info = loader.contentLoaderInfo;
            info.addEventListener(Event.INIT, function(_) {
                userFaceLoaders.remove(loader);
                BannerFonts.registerFrom(info.applicationDomain);
                if (shownDoc != null)
                    rebuild();
            });
            try {
                loader.loadBytes(haxe.crypto.Base64.decode(data).getData(),
                    new flash.system.LoaderContext(false, new flash.system.ApplicationDomain(null)));
            } catch (_:Dynamic) {
                userFaceLoaders.remove(loader);
            }
        }
    }

    /** The canvas's area in the editor: the banner is scaled (never up) to fit inside it. */
    public function setArea(w:Float, h:Float) {
        areaW = Math.max(10, w);
        areaH = Math.max(10, h);
        layout();
        drawOverlay();
    }

    // ---- Test driver: positions in banner pixels of the size being edited.

    /** A click at a point of the banner: selects what is under it (with member, Ctrl held). */
    public function clickAt(x:Float, y:Float, member:Bool = false) {
        Pace.moving();
        inputAt = Lib.getTimer();
        press(x, y, false, member);
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

    /** Whether the player draws display objects into bitmaps, which the eyedropper needs. */
    public function canReadPixels():Bool {
        if (pixelsReadable == null) {
            try {
                var b = new flash.display.BitmapData(1, 1, false, 0);
                var s = new Shape();
                s.graphics.beginFill(0x3366CC);
                s.graphics.drawRect(0, 0, 2, 2);
                b.draw(s);
                pixelsReadable = b.getPixel(0, 0) == 0x3366CC;
                b.dispose();
            } catch (_:Dynamic) {
                pixelsReadable = false;
            }
        }
        return pixelsReadable;
    }

    /** The banner's colour at a point of the stage, as drawn at the moment shown; null off the banner. */
    public function colourAt(stageX:Float, stageY:Float):Null<Int> {
        // Through the canvas's own place: the banner holder is a button's face, outside the display list's parents.
        var local = globalToLocal(new flash.geom.Point(stageX, stageY));
        var size = session.doc.sizes[session.sizeIndex];
        var px = toBannerX(local.x), py = toBannerY(local.y);
        if (px < 0 || py < 0 || px >= size.width || py >= size.height)
            return null;
        var m = holder.transform.matrix;
        m.concat(transform.concatenatedMatrix);
        m.translate(-Math.floor(stageX), -Math.floor(stageY));
        // The banner's own background under whatever is drawn there.
        var b = new flash.display.BitmapData(1, 1, false, session.doc.background);
        try {
            b.draw(holder, m);
        } catch (_:Dynamic) {
            b.dispose();
            return null;
        }
        var c = b.getPixel(0, 0);
        b.dispose();
        return c;
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
        var boxes:Dynamic = {};
        for (el in session.selectedElements())
            Reflect.setField(boxes, el.id, session.doc.box(el, session.sizeIndex));
        var view = localToGlobal(new flash.geom.Point(RULER_W, RULER_H));
        return {
            boxes: boxes,
            zoom: zoom,
            grid: grid,
            view: {x: view.x, y: view.y, width: areaW - RULER_W, height: areaH - RULER_H},
            rulerMarks: [for (i in 0...rulers.numChildren) (cast rulers.getChildAt(i) : TextField).text],
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

    /** Moves the selected elements by dx, dy banner pixels (the arrow keys: 1, with Shift 10); locked ones stay. */
    public function nudge(dx:Float, dy:Float) {
        var moving = Edits.movableSelection(session);
        if (moving.length == 0)
            return;
        var doc = session.doc;
        var size = session.sizeIndex;
        var ids = [for (e in moving) e.id];
        var boxes = [for (e in moving) doc.box(e, size)];
        session.change(Strings.STEP_NUDGE, function() {
            for (i in 0...ids.length) {
                var el = session.doc.find(ids[i]);
                var b = boxes[i];
                var r = EditGeometry.nudge(b, dx, dy);
                if (el != null)
                    session.doc.setBox(el, size, {x: r.x, y: r.y, width: r.width, height: r.height, fontSize: b.fontSize, hidden: b.hidden});
            }
        }, moving);
    }

    /** Zooms a step in (1) or out (-1) about the middle of the view, or fits the banner in (0). */
    public function zoomStep(step:Int) {
        if (step == 0) {
            zoomTo(0, areaW / 2, areaH / 2);
            return;
        }
        var next = scale;
        if (step > 0) {
            for (z in ZOOMS)
                if (z > scale + 1e-6) {
                    next = z;
                    break;
                }
        } else {
            var i = ZOOMS.length;
            while (--i >= 0)
                if (ZOOMS[i] < scale - 1e-6) {
                    next = ZOOMS[i];
                    break;
                }
        }
        zoomTo(next, RULER_W + (areaW - RULER_W) / 2, RULER_H + (areaH - RULER_H) / 2);
    }

    /**
     * Shows the banner at this zoom (0 fits it in), keeping the banner point under the canvas point
     * (localX, localY) where it is.
     */
    public function zoomTo(z:Float, localX:Float, localY:Float) {
        var bx = toBannerX(localX), by = toBannerY(localY);
        zoom = z <= 0 ? 0 : Math.max(MIN_ZOOM, Math.min(MAX_ZOOM, z));
        actualSize = false;
        panX = panY = 0;
        layout();
        if (zoom > 0) {
            panX = localX - bx * scale - holder.x;
            panY = localY - by * scale - holder.y;
            layout();
        }
        drawOverlay();
    }

    /**
     * Follows the session. The renderer takes the document as it is now each time it renders (it
     * redraws only what changed, and sets the banner up again when its size, background or link
     * changed), so edits only re-pose the built banner; another document (undo swaps it) or another
     * size builds it anew.
     */
    function sync(?changed:Array<BannerElement>) {
        var doc = session.doc;
        if (doc.fonts.length > 0)
            askUserFaces(doc);
        if (drag != null && (doc != drag.doc || Lambda.exists(drag.ids, function(id) return doc.find(id) == null)))
            drag = null; // undone under the pointer
        if (doc != shownDoc || session.sizeIndex != shownSize) {
            rebuild();
            changed = null;
        } else {
            var size = doc.sizes[shownSize];
            if (size.width != bannerW || size.height != bannerH) {
                bannerW = size.width;
                bannerH = size.height;
                layout();
                changed = null;
            }
            pose(changed);
        }
        if (changed == null)
            hiddenKept = null;
        else if (hiddenKept != null)
            for (e in changed) {
                var i = doc.elements.indexOf(e);
                if (i >= 0 && i < hiddenKept.length)
                    hiddenKept[i] = hiddenRectOf(e);
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
        r.editing = true;
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

    /** Shows the built banner at the moment the timeline shows; changed: only these elements changed (null: anything). */
    function pose(?changed:Array<BannerElement>) {
        if (renderer == null)
            return;
        if (changed != null)
            renderer.renderOnly(playback.time, changed);
        else
            renderer.render(playback.time);
        renders++;
        if (inputAt >= 0) {
            lastUpdateMs = Lib.getTimer() - inputAt;
            inputAt = -1;
        }
    }

    function layout() {
        var viewW = areaW - RULER_W, viewH = areaH - RULER_H;
        var fit = Math.min(1, Math.min((viewW - 2 * MARGIN) / bannerW, (viewH - 2 * MARGIN - LABEL_H) / bannerH));
        scale = actualSize ? 1 : (zoom > 0 ? zoom : fit);
        if (scale <= 0.01)
            scale = 0.01;
        scrollRect = new flash.geom.Rectangle(0, 0, areaW, areaH);
        holder.scaleX = holder.scaleY = scale;
        // Centred while it fits; beyond that it may be scrolled until its far edge shows.
        var w = bannerW * scale, h = bannerH * scale;
        var cx = RULER_W + Math.round((viewW - w) / 2);
        var cy = RULER_H + Math.round(Math.max(MARGIN, (viewH - LABEL_H - h) / 2));
        if (w + 2 * MARGIN > viewW)
            panX = Math.max(viewW - MARGIN - w - cx + RULER_W, Math.min(RULER_W + MARGIN - cx, panX));
        else
            panX = 0;
        if (h + 2 * MARGIN + LABEL_H > viewH)
            panY = Math.max(viewH - MARGIN - LABEL_H - h - cy + RULER_H, Math.min(RULER_H + MARGIN - cy, panY));
        else
            panY = 0;
        holder.x = Math.round(cx + panX);
        holder.y = Math.round(cy + panY);
        var g = backdrop.graphics;
        g.clear();
        g.beginFill(Theme.BACKGROUND);
        g.drawRect(0, 0, areaW, areaH);
        g.endFill();
        g = frame.graphics;
        g.clear();
        g.lineStyle(1, Theme.PANEL_LINE);
        g.drawRect(holder.x - 1, holder.y - 1, w + 1, h + 1);
        sizeLabel.text = Strings.format(Strings.CANVAS_SIZE, [Std.string(bannerW), Std.string(bannerH), Std.string(Math.round(scale * 100))]);
        sizeLabel.x = Math.round(RULER_W + (viewW - sizeLabel.width) / 2);
        sizeLabel.y = Math.min(holder.y + h + 4, areaH - LABEL_H + 2);
        drawGrid();
        drawRulers();
    }

    function drawGrid() {
        var g = gridShape.graphics;
        g.clear();
        if (!grid)
            return;
        // Every grid line while they stand 6 screen pixels apart, else every fifth.
        var step = GRID_STEP * (GRID_STEP * scale >= 6 ? 1 : 5);
        g.lineStyle(1, OUTLINE, 0.25);
        var ox = holder.x, oy = holder.y;
        var v = 0.0;
        while (v <= bannerW) {
            g.moveTo(ox + v * scale, oy);
            g.lineTo(ox + v * scale, oy + bannerH * scale);
            v += step;
        }
        v = 0;
        while (v <= bannerH) {
            g.moveTo(ox, oy + v * scale);
            g.lineTo(ox + bannerW * scale, oy + v * scale);
            v += step;
        }
    }

    /** The rulers: a mark every `step` banner pixels, numbered where the number has room. */
    function drawRulers() {
        rulers.removeChildren();
        var g = rulers.graphics;
        g.clear();
        g.beginFill(Theme.PANEL);
        g.drawRect(0, 0, areaW, RULER_H);
        g.drawRect(0, RULER_H, RULER_W, areaH - RULER_H);
        g.endFill();
        g.lineStyle(1, Theme.PANEL_LINE);
        g.moveTo(RULER_W - 0.5, RULER_H);
        g.lineTo(RULER_W - 0.5, areaH);
        g.moveTo(RULER_W, RULER_H - 0.5);
        g.lineTo(areaW, RULER_H - 0.5);
        var step = 1;
        for (s in [1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000])
            if (s * scale >= 50) {
                step = s;
                break;
            } else
                step = s;
        g.lineStyle(1, Theme.MUTED);
        // Along the top: marks from the banner's left edge both ways, within the view.
        var first = Math.ceil(-(holder.x - RULER_W) / scale / step) * step;
        var v:Float = first;
        while (holder.x + v * scale <= areaW) {
            var sx = Math.round(holder.x + v * scale) + 0.5;
            g.moveTo(sx, RULER_H - 6);
            g.lineTo(sx, RULER_H - 1);
            var t = Theme.label(Std.string(Std.int(v)), 9, Theme.MUTED);
            t.x = sx + 1;
            t.y = 0;
            if (t.x + t.width <= areaW)
                rulers.addChild(t);
            v += step;
        }
        first = Math.ceil(-(holder.y - RULER_H) / scale / step) * step;
        v = first;
        while (holder.y + v * scale <= areaH) {
            var sy = Math.round(holder.y + v * scale) + 0.5;
            g.moveTo(RULER_W - 6, sy);
            g.lineTo(RULER_W - 1, sy);
            var t = Theme.label(Std.string(Std.int(v)), 9, Theme.MUTED);
            t.x = 1;
            t.y = sy;
            if (t.y + t.height <= areaH && t.width <= RULER_W - 1)
                rulers.addChild(t);
            v += step;
        }
    }

    function set_grid(on:Bool):Bool {
        grid = on;
        drawGrid();
        return on;
    }

    function set_actualSize(on:Bool):Bool {
        if (on != actualSize) {
            actualSize = on;
            if (on)
                zoom = 0;
            panX = panY = 0;
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
     * left stays reachable through its outline). Locked elements and those hidden in the editor
     * are passed over.
     */
    function pick(x:Float, y:Float):Int {
        var i = EditGeometry.hitTest(pickable(shownRects()), x, y);
        return i >= 0 ? i : EditGeometry.hitTest(pickable(hiddenRects()), x, y);
    }

    function pickable(rects:Array<Null<EditRect>>):Array<Null<EditRect>> {
        var elements = session.doc.elements;
        return [for (i in 0...rects.length) elements[i].locked || elements[i].editorHidden ? null : rects[i]];
    }

    /** The places of the elements hidden at the moment on screen; null for those shown and those hidden in the editor. */
    function hiddenRects():Array<Null<EditRect>> {
        return [for (e in session.doc.elements) hiddenRectOf(e)];
    }

    function hiddenRectOf(e:BannerElement):Null<EditRect> {
        var doc = session.doc;
        var size = session.sizeIndex;
        var b = doc.box(e, size);
        return e.editorHidden || Timeline.stateAt(doc, e, b, doc.sizes[size].width, doc.sizes[size].height, playback.time).visible ? null : (b : EditRect);
    }

    /**
        The hidden elements' places for the overlay, kept between edits: sync puts in those of the
        elements an edit changed; another document, size, moment or list makes them anew.
    **/
    function keptHiddenRects():Array<Null<EditRect>> {
        var doc = session.doc;
        var key = session.sizeIndex + "|" + playback.time + "|" + doc.elements.length;
        if (hiddenKept == null || key != hiddenKey || doc != hiddenDoc) {
            hiddenKept = hiddenRects();
            hiddenKey = key;
            hiddenDoc = doc;
        }
        return hiddenKept;
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
                if (!s.visible || e.editorHidden) null else {
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
        press(toBannerX(mouseX), toBannerY(mouseY), e.shiftKey, e.ctrlKey);
    }

    function onMove(e:MouseEvent) {
        follow(toBannerX(mouseX), toBannerY(mouseY), e.shiftKey);
    }

    function onUp(_:MouseEvent) {
        stage.removeEventListener(MouseEvent.MOUSE_MOVE, onMove);
        stage.removeEventListener(MouseEvent.MOUSE_UP, onUp);
        release();
    }

    /** The wheel scrolls the banner (with Shift sideways); with Ctrl it zooms about the pointer. */
    function onWheel(e:MouseEvent) {
        if (e.delta == 0)
            return;
        if (e.ctrlKey) {
            var current = scale;
            zoomTo(e.delta > 0 ? current * 1.25 : current / 1.25, mouseX, mouseY);
        } else {
            if (e.shiftKey)
                panX += e.delta * 20;
            else
                panY += e.delta * 20;
            layout();
            drawOverlay();
        }
        e.stopPropagation();
    }

    /**
     * The pointer goes down at banner point x, y: a handle of a lone selected element, an element
     * to pick (with Shift: to add or take out), or the background, where a frame starts.
     */
    function press(x:Float, y:Float, shift:Bool, member:Bool = false) {
        // A drag whose release never came (let go outside the player) ends here.
        if (drag != null)
            release();
        var doc = session.doc;
        var size = session.sizeIndex;
        var chosen = session.selectedElements();
        pressed = null;
        if (!shift && chosen.length == 1 && !chosen[0].locked && !chosen[0].editorHidden) {
            var h = EditGeometry.handleAt(doc.box(chosen[0], size), x, y, HANDLE_REACH / scale);
            if (h != EditGeometry.NONE) {
                beginDrag([chosen[0]], h, x, y, null);
                return;
            }
        }
        var i = pick(x, y);
        var picked = i < 0 ? null : doc.elements[i];
        pressed = shift || picked == null ? null : picked.id;
        if (picked == null) {
            if (!shift)
                session.select(null);
            beginBand(x, y, shift ? session.selection.copy() : []);
            return;
        }
        if (shift) {
            session.toggleSelected(picked.id);
            return;
        }
        // Ctrl or a double click takes one member of a group alone.
        if (member && picked.group != "")
            session.selectMember(picked.id);
        var collapse:Null<String> = null;
        if (!session.isSelected(picked.id))
            session.select(picked.id);
        else if (session.selection.length > 1)
            collapse = picked.id; // a click without a drag then selects it alone
        beginDrag(Edits.movableSelection(session), EditGeometry.NONE, x, y, collapse);
    }

    function beginDrag(moving:Array<BannerElement>, handle:Int, x:Float, y:Float, collapse:Null<String>) {
        var doc = session.doc;
        var size = session.sizeIndex;
        var starts = [for (e in moving) doc.box(e, size)];
        var others = [for (o in doc.elements) if (moving.indexOf(o) < 0 && !o.editorHidden) (doc.box(o, size) : EditRect)];
        var w = doc.sizes[size].width, h = doc.sizes[size].height;
        var lines = EditGeometry.snapLines(w, h, others);
        if (grid) {
            var g = EditGeometry.gridLines(w, h, GRID_STEP);
            lines = {xs: lines.xs.concat(g.xs), ys: lines.ys.concat(g.ys)};
        }
        drag = {
            doc: doc,
            ids: [for (e in moving) e.id],
            handle: handle,
            fromX: x,
            fromY: y,
            starts: starts,
            group: EditGeometry.bounds([for (b in starts) (b : EditRect)]),
            lines: lines,
            active: false,
            band: false,
            base: [],
            collapse: collapse
        };
    }

    function beginBand(x:Float, y:Float, base:Array<String>) {
        drag = {
            doc: session.doc,
            ids: [],
            handle: EditGeometry.NONE,
            fromX: x,
            fromY: y,
            starts: [],
            group: null,
            lines: null,
            active: false,
            band: true,
            base: base,
            collapse: null
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
            if (!d.band) {
                if (d.ids.length == 0)
                    return;
                session.beginGesture(d.handle == EditGeometry.NONE ? Strings.STEP_MOVE : Strings.STEP_RESIZE);
            }
        }
        if (d.band) {
            band = {
                x: Math.min(d.fromX, x),
                y: Math.min(d.fromY, y),
                width: Math.abs(dx),
                height: Math.abs(dy)
            };
            drawOverlay();
            return;
        }
        if (d.ids.length == 0)
            return;
        var reach = SNAP / scale;
        var placed:Array<EditRect>;
        if (d.handle == EditGeometry.NONE) {
            // The selection moves as one: the box around it snaps, every element follows it.
            var snapped = EditGeometry.snapMove(EditGeometry.move(d.group, dx, dy), d.lines, reach);
            guidesX = snapped.guidesX;
            guidesY = snapped.guidesY;
            var mx = snapped.rect.x - d.group.x, my = snapped.rect.y - d.group.y;
            placed = [for (b in d.starts) EditGeometry.move(b, mx, my)];
        } else {
            var start = d.starts[0];
            var snapped = EditGeometry.snapResize(start, d.handle, EditGeometry.resize(start, d.handle, dx, dy, shift), d.lines, reach, shift);
            guidesX = snapped.guidesX;
            guidesY = snapped.guidesY;
            placed = [snapped.rect];
        }
        var moved = [];
        for (id in d.ids) {
            var el = session.doc.find(id);
            if (el != null)
                moved.push(el);
        }
        session.change(d.handle == EditGeometry.NONE ? Strings.STEP_MOVE : Strings.STEP_RESIZE, function() {
            for (i in 0...d.ids.length) {
                var el = session.doc.find(d.ids[i]);
                var r = placed[i];
                if (el != null)
                    session.doc.setBox(el, session.sizeIndex, {
                        x: r.x,
                        y: r.y,
                        width: r.width,
                        height: r.height,
                        fontSize: d.starts[i].fontSize,
                        hidden: d.starts[i].hidden
                    });
            }
        }, moved);
    }

    function release() {
        var d = drag;
        drag = null;
        guidesX = [];
        guidesY = [];
        var frame = band;
        band = null;
        if (d != null && d.band && d.active && frame != null) {
            // What the frame touches joins the selection (with Shift, the one there was).
            var ids = d.base.copy();
            var rects = pickable(shownRects());
            var hidden = pickable(hiddenRects());
            for (i in 0...rects.length) {
                var r = rects[i] != null ? rects[i] : hidden[i];
                var id = session.doc.elements[i].id;
                if (r != null && EditGeometry.touches(r, frame) && ids.indexOf(id) < 0)
                    ids.push(id);
            }
            session.selectAll(ids);
        } else if (d != null && d.active) {
            session.endGesture();
        } else if (d != null && !d.band) {
            // A click: the second on one element of a group soon after the first takes it alone.
            var now = Lib.getTimer();
            if (pressed != null && pressed == lastClicked && now - lastClickAt < DOUBLE_CLICK_MS) {
                session.selectMember(pressed);
                lastClicked = null;
            } else {
                if (d.collapse != null)
                    session.select(d.collapse);
                lastClicked = pressed;
                lastClickAt = now;
            }
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

    // ---- Selection, handles, guides and the frame, drawn in screen pixels over the banner.

    var hiddenKept:Null<Array<Null<EditRect>>> = null;
    var hiddenKey = "";
    var hiddenDoc:BannerDocument = null;

    function drawOverlay() {
        var g = overlay.graphics;
        g.clear();
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
            for (r in keptHiddenRects())
                if (r != null)
                    dashedRect(g, ox + r.x * scale, oy + r.y * scale, r.width * scale, r.height * scale);
        }
        if (band != null) {
            g.lineStyle(1, OUTLINE);
            g.beginFill(OUTLINE, 0.1);
            g.drawRect(ox + band.x * scale, oy + band.y * scale, band.width * scale, band.height * scale);
            g.endFill();
        }
        var chosen = session.selectedElements();
        g.lineStyle(1, OUTLINE);
        for (e in chosen) {
            if (e.editorHidden)
                continue;
            var b = session.doc.box(e, size);
            g.drawRect(ox + b.x * scale, oy + b.y * scale, b.width * scale, b.height * scale);
        }
        if (chosen.length != 1 || chosen[0].locked || chosen[0].editorHidden)
            return;
        var b = session.doc.box(chosen[0], size);
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
    /** The elements moved, or the one resized. */
    ids:Array<String>,
    handle:Int,
    fromX:Float,
    fromY:Float,
    starts:Array<Box>,
    /** The box around the starting places. */
    group:Null<EditRect>,
    lines:Null<EditGeometry.SnapLines>,
    active:Bool,
    /** A frame dragged on the background, adding to the ids in base. */
    band:Bool,
    base:Array<String>,
    /** Selected alone when the press ends without a drag. */
    collapse:Null<String>
}
