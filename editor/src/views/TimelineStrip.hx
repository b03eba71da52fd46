// The timeline strip: Play and Pause, a ruler over the banner's length in seconds with the
// playhead, and one row per element (topmost first) with a bar from its entrance to its exit's
// end. Pressing or dragging on the ruler scrubs; dragging a bar moves the element's entrance
// delay (one undoable step); pressing a row selects its element.
package views;

import BannerDocument;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.MouseEvent;
import flash.geom.Rectangle;
import flash.text.TextField;
import ui.Button;
import ui.Theme;
import ui.Widgets;

class TimelineStrip extends Sprite {
    static inline var BAR_H = 30;
    static inline var RULER_H = 20;
    static inline var ROW_H = 18;
    static inline var LABEL_W = 130;
    static inline var PAD = 12;
    /** Entrance delays move in steps of this many ms. */
    static inline var DELAY_STEP = 10;
    static inline var DRAG_START = 3;
    static inline var BAR = 0x8FB3EA;
    static inline var BAR_SELECTED = 0x2F6FD6;
    static inline var ANIMATION = 0x4C7FCF;
    static inline var PLAYHEAD = 0xD93025;

    public var playButton(default, null):Button;
    public var pauseButton(default, null):Button;

    /** The tab order's base for the strip's buttons. */
    static inline var GROUP = 4500;

    var session:EditorSession;
    var playback:Playback;
    var widgets:Widgets;
    var w:Float = 400;
    var h:Float = 150;
    var background:Shape;
    var timeText:TextField;
    var ruler:Sprite;
    var rows:Sprite;
    var rowLines:Shape;
    var labels:Array<TextField> = [];
    var playhead:Shape;
    var scroll:Float = 0;
    var rulerKey = "";
    var shownRows = "";
    var shownSelection:Null<String> = null;
    // Element ids by row, topmost element first.
    var order:Array<String> = [];
    var barDrag:Null<{id:String, fromX:Float, startDelay:Int, active:Bool}> = null;

    /** widgets: where the buttons are registered (for the keyboard and the tests), if anywhere. */
    public function new(session:EditorSession, playback:Playback, ?widgets:Widgets) {
        super();
        this.session = session;
        this.playback = playback;
        this.widgets = widgets;
        background = new Shape();
        addChild(background);
        makeButtons();
        timeText = Theme.label("", 12, Theme.MUTED);
        addChild(timeText);
        ruler = new Sprite();
        ruler.buttonMode = true;
        ruler.addEventListener(MouseEvent.MOUSE_DOWN, startScrub);
        addChild(ruler);
        rows = new Sprite();
        rowLines = new Shape();
        rows.addChild(rowLines);
        rows.addEventListener(MouseEvent.MOUSE_DOWN, pressRow);
        rows.addEventListener(MouseEvent.MOUSE_WHEEL, function(e:MouseEvent) {
            scroll = Math.max(0, Math.min(maxScroll(), scroll - e.delta * ROW_H));
            place();
        });
        addChild(rows);
        playhead = new Shape();
        addChild(playhead);
        session.listen(function() sync(session.changed));
        playback.listen(showTime);
        sync();
    }

    /** Builds the parts that carry texts again (after a language switch). */
    public function rebuild() {
        removeChild(playButton);
        removeChild(pauseButton);
        makeButtons();
        rulerKey = "";
        sync();
    }

    function makeButtons() {
        if (widgets != null)
            widgets.beginGroup(GROUP);
        playButton = new Button("timeline.play", Strings.PLAY, playback.play, 64);
        pauseButton = new Button("timeline.pause", Strings.PAUSE, playback.pause, 64);
        if (widgets != null) {
            widgets.button(playButton);
            widgets.button(pauseButton);
        }
        addChildAt(playButton, 1);
        addChildAt(pauseButton, 2);
    }

    public function setArea(width:Float, height:Float) {
        w = Math.max(LABEL_W + 2 * PAD + 50, width);
        h = Math.max(BAR_H + RULER_H + ROW_H, height);
        scroll = Math.min(scroll, maxScroll());
        sync();
    }

    /**
     * What the tests read: where the ruler's start and end (the banner's length) are on the stage,
     * and where the selected element's bar starts (null when its row is scrolled away).
     */
    public function testState():Dynamic {
        var start = localToGlobal(new flash.geom.Point(xOf(0), BAR_H + RULER_H / 2));
        var end = localToGlobal(new flash.geom.Point(xOf(session.doc.length), BAR_H + RULER_H / 2));
        var row = order.indexOf(session.selected);
        var e = session.selectedElement();
        var bar:Dynamic = null;
        if (e != null && row >= 0 && row * ROW_H >= scroll && (row + 1) * ROW_H <= scroll + h - BAR_H - RULER_H) {
            var p = localToGlobal(new flash.geom.Point(xOf(spanOf(e, session.doc.length).start), BAR_H + RULER_H + row * ROW_H - scroll + ROW_H / 2));
            bar = {x: p.x, y: p.y};
        }
        return {x0: start.x, x1: end.x, y: start.y, bar: bar};
    }

    // ---- Time and pixels.

    function trackLeft():Float {
        return LABEL_W;
    }

    function trackWidth():Float {
        return w - LABEL_W - PAD;
    }

    function xOf(t:Float):Float {
        return trackLeft() + trackWidth() * t / Math.max(1, session.doc.length);
    }

    function timeOf(x:Float):Float {
        return Math.max(0, Math.min(session.doc.length, (x - trackLeft()) * session.doc.length / trackWidth()));
    }

    function maxScroll():Float {
        return Math.max(0, order.length * ROW_H - (h - BAR_H - RULER_H));
    }

    // ---- Drawing.

    /** Draws the strip again; changed: only these elements changed since (null: anything may have). */
    function sync(?changed:Array<BannerElement>) {
        if (changed != null && session.selected == shownSelection && sameRows(changed)) {
            showTime();
            return;
        }
        var doc = session.doc;
        order = [for (i in 0...doc.elements.length) doc.elements[doc.elements.length - 1 - i].id];
        // A newly selected element's row is scrolled into view.
        var row = order.indexOf(session.selected);
        if (session.selected != shownSelection && row >= 0) {
            var visible = h - BAR_H - RULER_H;
            if (row * ROW_H < scroll)
                scroll = row * ROW_H;
            else if ((row + 1) * ROW_H > scroll + visible)
                scroll = (row + 1) * ROW_H - visible;
        }
        shownSelection = session.selected;
        scroll = Math.max(0, Math.min(scroll, maxScroll()));
        var g = background.graphics;
        g.clear();
        g.beginFill(Theme.PANEL);
        g.lineStyle(1, Theme.PANEL_LINE);
        g.drawRect(0, 0, w - 1, h - 1);
        g.endFill();
        playButton.x = 8;
        playButton.y = 2;
        pauseButton.x = playButton.x + playButton.width + 6;
        pauseButton.y = 2;
        timeText.x = pauseButton.x + pauseButton.width + 12;
        timeText.y = 7;
        drawRuler();
        drawRows();
        place();
        showTime();
    }

    function drawRuler() {
        ruler.y = BAR_H;
        var key = session.doc.length + "/" + w;
        if (key == rulerKey)
            return;
        rulerKey = key;
        while (ruler.numChildren > 0)
            ruler.removeChildAt(0);
        var g = ruler.graphics;
        g.clear();
        g.beginFill(0xFFFFFF);
        g.lineStyle(1, Theme.PANEL_LINE);
        g.drawRect(trackLeft(), 0, trackWidth(), RULER_H);
        g.endFill();
        var length = session.doc.length;
        var seconds = Math.floor(length / 1000);
        // Whole seconds are labelled as often as there is room for their labels.
        var every = 1;
        while (every < seconds && trackWidth() * every * 1000 / length < 36)
            every = every < 5 ? every + 1 : every + 5;
        var halfSeconds = trackWidth() * 500 / length >= 8;
        for (i in 0...Std.int(length / 500) + 1) {
            var t = i * 500;
            var x = Math.round(xOf(t)) + 0.5;
            var whole = i % 2 == 0;
            if (!whole && !halfSeconds)
                continue;
            var labelled = whole && Std.int(t / 1000) % every == 0;
            g.moveTo(x, RULER_H);
            g.lineTo(x, labelled ? 4 : whole ? 10 : 14);
            if (labelled && x < trackLeft() + trackWidth() - 14) {
                var l = Theme.label(Strings.format(Strings.TIME_SECONDS, [Std.string(Std.int(t / 1000))]), 10, Theme.MUTED);
                l.x = x + 2;
                l.y = 1;
                ruler.addChild(l);
            }
        }
    }

    /** What the rows show: redrawn only when it changed (not while an element is dragged on the canvas). */
    function rowsKey():String {
        var doc = session.doc;
        keyedHead = w + "/" + h + "/" + doc.length + "/" + session.selected;
        keyedRows = [for (e in doc.elements) rowKey(e)];
        return keyedHead + "|" + keyedRows.join("|");
    }

    function rowKey(e:BannerElement):String {
        var key = e.id + "/" + e.enter.type + "/" + e.enter.delay + "/" + e.enter.duration + "/" + rowName(e);
        if (e.exit != null)
            key += "/" + e.exit.type + "/" + e.exit.delay + "/" + e.exit.duration;
        return key;
    }

    /** Whether the rows drawn are still right: only these elements changed, and not their rows. */
    function sameRows(changed:Array<BannerElement>):Bool {
        var elements = session.doc.elements;
        if (keyedRows == null || keyedRows.length != elements.length || order.length != elements.length
            || keyedHead != w + "/" + h + "/" + session.doc.length + "/" + session.selected)
            return false;
        for (e in changed) {
            var i = elements.indexOf(e);
            if (i < 0 || keyedRows[i] != rowKey(e))
                return false;
        }
        return true;
    }

    // Each element's part of the rows' key as last drawn, in drawing order, and the rest of it.
    var keyedRows:Null<Array<String>> = null;
    var keyedHead = "";

    function drawRows() {
        var key = rowsKey();
        if (key == shownRows)
            return;
        shownRows = key;
        var doc = session.doc;
        var length = doc.length;
        var g = rowLines.graphics;
        g.clear();
        // The whole rows area takes the pointer, rows or not.
        g.beginFill(Theme.PANEL, 0);
        g.drawRect(0, 0, w, Math.max(order.length * ROW_H, h - BAR_H - RULER_H));
        g.endFill();
        for (i in 0...order.length) {
            var e = doc.find(order[i]);
            var top = i * ROW_H;
            var selected = order[i] == session.selected;
            if (selected) {
                g.beginFill(Theme.BUTTON_HOVER);
                g.drawRect(0, top, w, ROW_H);
                g.endFill();
            }
            g.lineStyle(1, Theme.PANEL_LINE, 0.6);
            g.moveTo(0, top + ROW_H - 0.5);
            g.lineTo(w, top + ROW_H - 0.5);
            g.lineStyle();
            var span = spanOf(e, length);
            var x0 = xOf(span.start), x1 = Math.max(xOf(span.start) + 2, xOf(span.end));
            g.beginFill(selected ? BAR_SELECTED : BAR);
            g.drawRect(x0, top + 3, x1 - x0, ROW_H - 6);
            g.endFill();
            // The entrance and the exit are shaded where they play.
            if (e.enter.type != "none" && e.enter.duration > 0) {
                g.beginFill(ANIMATION, 0.8);
                g.drawRect(x0, top + 3, Math.max(1, Math.min(x1, xOf(e.enter.delay + e.enter.duration)) - x0), ROW_H - 6);
                g.endFill();
            }
            if (e.exit != null && e.exit.type != "none" && e.exit.duration > 0) {
                var xs = Math.max(x0, xOf(e.exit.delay));
                g.beginFill(ANIMATION, 0.8);
                g.drawRect(xs, top + 3, Math.max(1, x1 - xs), ROW_H - 6);
                g.endFill();
            }
            var label = labelAt(i);
            var name = rowName(e);
            if (label.name != name) {
                label.name = name;
                Theme.elide(label, name);
            }
            label.x = 6;
            label.y = top + 1;
            label.visible = true;
        }
        for (i in order.length...labels.length)
            labels[i].visible = false;
    }

    function labelAt(i:Int):TextField {
        while (labels.length <= i) {
            var l = Theme.label("", 11, Theme.TEXT);
            l.autoSize = flash.text.TextFieldAutoSize.NONE;
            l.width = LABEL_W - 10;
            l.height = ROW_H;
            rows.addChild(l);
            labels.push(l);
        }
        return labels[i];
    }

    /** Where an element shows in a loop: from its entrance (or the start) to its exit's end (or the end). */
    static function spanOf(e:BannerElement, length:Int):{start:Float, end:Float} {
        var start:Float = e.enter.type == "none" ? 0 : Math.min(length, e.enter.delay);
        var end:Float = e.exit == null ? length : Math.min(length, e.exit.delay + e.exit.duration);
        return {start: start, end: Math.max(start, end)};
    }

    static function rowName(e:BannerElement):String {
        var text = StringTools.trim(e.label == null ? "" : e.label.split("\n")[0]);
        if ((e.kind == Text || e.kind == Button) && text != "")
            return text;
        if (e.kind == Image && e.src != null && e.src != "")
            return e.src.split("\\").join("/").split("/").pop();
        return e.id;
    }

    function place() {
        rows.y = BAR_H + RULER_H;
        rows.scrollRect = new Rectangle(0, scroll, w, h - BAR_H - RULER_H - 1);
    }

    function showTime() {
        var t = playback.time;
        var doc = session.doc;
        var text = seconds(t) + " / " + seconds(doc.length);
        if (timeText.text != text)
            timeText.text = text;
        playButton.enabled = !playback.playing;
        pauseButton.enabled = playback.playing;
        var x = Math.round(xOf(t)) + 0.5;
        var g = playhead.graphics;
        g.clear();
        g.lineStyle(1, PLAYHEAD);
        g.moveTo(x, BAR_H);
        g.lineTo(x, h - 1);
        g.beginFill(PLAYHEAD);
        g.lineStyle();
        g.moveTo(x - 5, BAR_H);
        g.lineTo(x + 5, BAR_H);
        g.lineTo(x, BAR_H + 7);
        g.endFill();
    }

    static function seconds(ms:Float):String {
        var tenths = Math.round(ms / 100);
        return Strings.format(Strings.TIME_SECONDS, [Std.int(tenths / 10) + "." + (tenths % 10)]);
    }

    // ---- Pointer.

    function startScrub(_:MouseEvent) {
        playback.seek(timeOf(mouseX));
        stage.addEventListener(MouseEvent.MOUSE_MOVE, scrub);
        stage.addEventListener(MouseEvent.MOUSE_UP, endScrub);
    }

    function scrub(_:MouseEvent) {
        playback.seek(timeOf(mouseX));
    }

    function endScrub(_:MouseEvent) {
        stage.removeEventListener(MouseEvent.MOUSE_MOVE, scrub);
        stage.removeEventListener(MouseEvent.MOUSE_UP, endScrub);
    }

    function pressRow(_:MouseEvent) {
        if (barDrag != null)
            dropBar(null);
        var i = Math.floor(rows.mouseY / ROW_H);
        if (i < 0 || i >= order.length)
            return;
        var id = order[i];
        session.select(id);
        var e = session.doc.find(id);
        if (e == null || e.enter.type == "none")
            return;
        var span = spanOf(e, session.doc.length);
        if (mouseX < xOf(span.start) - 3 || mouseX > Math.max(xOf(span.start) + 2, xOf(span.end)) + 3)
            return;
        barDrag = {id: id, fromX: mouseX, startDelay: e.enter.delay, active: false};
        stage.addEventListener(MouseEvent.MOUSE_MOVE, moveBar);
        stage.addEventListener(MouseEvent.MOUSE_UP, dropBar);
    }

    function moveBar(_:MouseEvent) {
        var d = barDrag;
        if (d == null)
            return;
        var dx = mouseX - d.fromX;
        if (!d.active) {
            if (Math.abs(dx) < DRAG_START)
                return;
            d.active = true;
            session.beginGesture(Strings.STEP_TIMING);
        }
        moveDelay(d.id, d.startDelay + dx * session.doc.length / trackWidth());
    }

    function dropBar(_:MouseEvent) {
        stage.removeEventListener(MouseEvent.MOUSE_MOVE, moveBar);
        stage.removeEventListener(MouseEvent.MOUSE_UP, dropBar);
        var d = barDrag;
        barDrag = null;
        if (d != null && d.active)
            session.endGesture();
    }

    /** Sets an element's entrance delay (ms, kept within the banner's length, in whole steps). */
    public function moveDelay(id:String, delay:Float) {
        var length = session.doc.length;
        var ms = Std.int(Math.max(0, Math.min(length, Math.round(delay / DELAY_STEP) * DELAY_STEP)));
        var e = session.doc.find(id);
        if (e == null || e.enter.delay == ms)
            return;
        session.change(Strings.STEP_TIMING, function() {
            var el = session.doc.find(id);
            if (el != null)
                el.enter.delay = ms;
        });
    }
}
