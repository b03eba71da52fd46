// The feed panel: a CSV file of products loaded through the host, its rows, the design with any
// row's values at every size and what of it does not fit, and the whole feed published with a
// progress bar and Cancel.
package views;

import BannerDocument;
import flash.display.DisplayObjectContainer;
import flash.display.Shape;
import flash.display.Sprite;
import flash.text.TextField;
import ui.Button;
import ui.Modal;
import ui.Theme;
import ui.Widgets;

class FeedPanel extends Modal {
    public static inline var BOX_W = 900;
    public static inline var BOX_H = 560;
    static inline var PAD = 15;
    static inline var LIST_W = 240;
    static inline var ROW_H = 24;
    static inline var PAGE = 11;
    static inline var TOP = 76;
    static inline var PREVIEW_X = PAD + LIST_W + 15;
    static inline var PREVIEW_W = BOX_W - PREVIEW_X - PAD;
    static inline var PREVIEW_H = 280;
    static inline var GAP = 12;
    static inline var LABEL_H = 18;
    static inline var NOTE_LINES = 5;

    public var statusText(default, null):TextField;
    public var notesText(default, null):TextField;

    var feed:FeedSession;
    var session:EditorSession;
    var controller:HostController;
    var widgets:Widgets;
    var status:String->Void;
    var folder:Void->String;
    var fileText:TextField;
    var pageText:TextField;
    var rowList:Sprite;
    var preview:Sprite;
    public var previewArea(get, never):Sprite;

    function get_previewArea():Sprite {
        return preview;
    }

    var bar:Shape;
    var first = 0;
    var renderers:Array<BannerRenderer> = [];
    /** Each size's drawing of the row shown, by size name. */
    var drawn:Array<{size:String, sprite:Sprite}> = [];
    var shownNotes:Array<FeedSession.FeedNote> = [];
    var refusal = "";

    public function new(feed:FeedSession, session:EditorSession, controller:HostController, widgets:Widgets, close:Modal->Void,
            status:String->Void, folder:Void->String) {
        super(Strings.FEED_TITLE, BOX_W, BOX_H);
        name = "feed";
        this.feed = feed;
        this.session = session;
        this.controller = controller;
        this.widgets = widgets;
        this.status = status;
        this.folder = folder;
        widgets.beginGroup(9300);
        var load = place(button("feed.load", Strings.FEED_LOAD, loadFeed, 0), PAD, 40);
        fileText = place(Theme.label("", 12, Theme.TEXT), PAD + load.buttonWidth + 10, 44);
        fileText.autoSize = flash.text.TextFieldAutoSize.NONE;
        fileText.width = BOX_W - fileText.x - PAD;
        fileText.height = 20;
        rowList = place(new Sprite(), PAD, TOP);
        var pageY = TOP + PAGE * (ROW_H + 2) + 4;
        var prev = place(button("feed.prev", "<", function() page(-1), 36), PAD, pageY);
        var next = place(button("feed.next", ">", function() page(1), 36), PAD + prev.buttonWidth + 4, pageY);
        pageText = place(Theme.label("", 11, Theme.MUTED), next.x + next.buttonWidth + 8, pageY + 5);
        preview = place(new Sprite(), PREVIEW_X, TOP);
        notesText = place(Theme.paragraph("", PREVIEW_W, 11, Theme.ERROR), PREVIEW_X, TOP + PREVIEW_H + 6);
        bar = place(new Shape(), PAD, BOX_H - 100);
        statusText = place(Theme.paragraph("", BOX_W - 2 * PAD, 12, Theme.TEXT), PAD, BOX_H - 86);
        addButtonRow([
            button("feed.publish", Strings.FEED_PUBLISH, publish, 0),
            button("feed.cancel", Strings.FEED_CANCEL, feed.cancel, 0),
            button("feed.close", Strings.CLOSE, function() if (!feed.running) close(this), 0)
        ]);
        onEscape = function() if (!feed.running) close(this);
        var onFeed = sync, onDesign = showRow;
        feed.listen(onFeed);
        session.listen(onDesign);
        addEventListener(flash.events.Event.REMOVED_FROM_STAGE, function(_) {
            feed.unlisten(onFeed);
            session.unlisten(onDesign);
        });
        first = Std.int(Math.max(0, feed.selected - feed.selected % PAGE));
        sync();
    }

    /** The texts each size of the row shown draws, and the notes: what the tests read. */
    public function testState():Dynamic {
        return {
            path: feed.path,
            total: feed.total,
            rows: [for (i in 0...feed.rows.length) feed.rowName(i)],
            selected: feed.selected + 1,
            preview: [for (d in drawn) {size: d.size, texts: textsIn(d.sprite)}],
            notes: [for (n in shownNotes) n.id + " " + n.what + " " + n.size],
            notesText: notesText.text,
            running: feed.running,
            done: feed.done,
            published: feed.published,
            failed: feed.failed,
            outcome: feed.outcome,
            lines: feed.lines,
            status: statusText.text
        };
    }

    static function textsIn(o:DisplayObjectContainer):Array<String> {
        var out = [];
        for (i in 0...o.numChildren) {
            var c = o.getChildAt(i);
            if (Std.isOfType(c, TextField))
                out.push((cast c : TextField).text);
            else if (Std.isOfType(c, DisplayObjectContainer))
                out = out.concat(textsIn(cast c));
        }
        return out;
    }

    function button(id:String, text:String, action:Void->Void, width:Float):Button {
        if (width <= 0)
            width = Math.max(90, Theme.label(text, 12).width + 20);
        return widgets.button(new Button(id, text, action, width));
    }

    function place<T:flash.display.DisplayObject>(item:T, x:Float, y:Float):T {
        item.x = x;
        item.y = y;
        box.addChild(item);
        return item;
    }

    function loadFeed() {
        if (feed.running)
            return;
        refusal = "";
        var why = feed.load();
        if (why != null) {
            refusal = why;
            say(why, true);
            return;
        }
        first = 0;
        sync();
    }

    function page(step:Int) {
        var to = first + step * PAGE;
        if (to < 0 || to >= feed.rows.length)
            return;
        first = to;
        choose(to);
    }

    function choose(index:Int) {
        feed.selected = index;
        sync();
    }

    /** Follows the feed: its file, its rows, the row shown, the publish's progress. */
    function sync() {
        var loaded = feed.loaded;
        Theme.elide(fileText, loaded ? Strings.format(Strings.FEED_FILE, [feed.path, Std.string(feed.total)]) : Strings.FEED_NONE);
        widgets.setEnabled("feed.load", !feed.running);
        widgets.setEnabled("feed.publish", loaded && !feed.running);
        widgets.setEnabled("feed.cancel", feed.running);
        widgets.setEnabled("feed.close", !feed.running);
        buildRows();
        showRow();
        drawProgress();
    }

    function buildRows() {
        rowList.removeChildren();
        widgets.beginGroup(9350);
        var last = Std.int(Math.min(feed.rows.length, first + PAGE));
        for (i in first...last) {
            var index = i;
            var label = (i + 1) + "  " + feed.rowName(i);
            var b = widgets.button(new Button("feed.row." + (i + 1), label, function() choose(index), LIST_W, ROW_H));
            b.y = (i - first) * (ROW_H + 2);
            b.selected = i == feed.selected;
            rowList.addChild(b);
        }
        widgets.setEnabled("feed.prev", first > 0);
        widgets.setEnabled("feed.next", first + PAGE < feed.rows.length);
        pageText.text = feed.rows.length == 0 ? "" : Strings.format(Strings.FEED_ROWS_SHOWN,
            [Std.string(first + 1), Std.string(last), Std.string(feed.rows.length)]);
    }

    /** The design with the chosen row's values, at every size, and what of it does not fit. */
    function showRow() {
        preview.removeChildren();
        renderers = [];
        drawn = [];
        shownNotes = [];
        if (!feed.loaded || feed.rows.length == 0) {
            notesText.text = "";
            return;
        }
        var number = feed.selected + 1;
        if (feed.refused.exists(number)) {
            showNotes(Strings.format(Strings.FEED_ROW_REFUSED, [Std.string(number), feed.refused.get(number)]));
            return;
        }
        var v = feed.variant(session.doc, feed.selected);
        if (v.doc == null) {
            showNotes(Strings.format(Strings.FEED_ROW_REFUSED, [Std.string(number), v.error]));
            return;
        }
        var doc = v.doc;
        var scale = fitScale(doc.sizes, PREVIEW_W, PREVIEW_H);
        var x = 0.0, y = 0.0, rowH = 0.0;
        for (i in 0...doc.sizes.length) {
            var size = doc.sizes[i];
            var cw = Math.max(size.width * scale, 60), ch = size.height * scale + LABEL_H;
            if (x > 0 && x + cw > PREVIEW_W) {
                y += rowH + GAP;
                x = 0;
                rowH = 0;
            }
            var cell = new Sprite();
            cell.x = x;
            cell.y = y;
            preview.addChild(cell);
            var banner = new Sprite();
            banner.scaleX = banner.scaleY = scale;
            cell.addChild(banner);
            var frame = new Shape();
            frame.graphics.lineStyle(1, Theme.PANEL_LINE);
            frame.graphics.drawRect(-1, -1, size.width * scale + 1, size.height * scale + 1);
            cell.addChild(frame);
            var label = Theme.label(Commands.sizeName(size), 11, Theme.MUTED);
            label.y = size.height * scale + 2;
            cell.addChild(label);
            var r = new BannerRenderer(doc, new EditorSurface(banner), i);
            renderers.push(r);
            r.load(folder(), function() r.render(Timeline.finalTime(doc)));
            drawn.push({size: size.width + "x" + size.height, sprite: banner});
            x += cw + GAP;
            rowH = Math.max(rowH, ch);
        }
        shownNotes = FeedSession.notes(doc);
        var said = [
            for (n in shownNotes)
                Strings.format(n.what == "omitted" ? Strings.FEED_LEFT_OUT : Strings.FEED_NOT_FITTING, [n.id, n.size])
        ];
        // The first few, and how many more: a long list would run under the progress bar.
        if (said.length > NOTE_LINES) {
            var more = said.length - (NOTE_LINES - 1);
            said = said.slice(0, NOTE_LINES - 1);
            said.push(Strings.format(Strings.FEED_MORE, [Std.string(more)]));
        }
        if (v.unknown.length > 0)
            said.unshift(Strings.format(Strings.FEED_UNKNOWN, [v.unknown.join(", ")]));
        showNotes(said.join("\n"));
    }

    function showNotes(text:String) {
        Theme.fitLines(notesText, text, NOTE_LINES + 1);
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

    function publish() {
        if (controller.outputFolder == "") {
            say(Strings.PUBLISH_NEED_FOLDER, true);
            return;
        }
        refusal = "";
        var why = feed.publish(controller);
        if (why != null) {
            refusal = why;
            say(why, true);
        }
    }

    /** The bar and the line under it follow the publish. */
    function drawProgress() {
        var g = bar.graphics;
        g.clear();
        var w = BOX_W - 2 * PAD;
        var total = Math.max(1, feed.total);
        var shown = feed.running || feed.outcome != "";
        if (shown) {
            g.beginFill(Theme.FIELD);
            g.lineStyle(1, Theme.PANEL_LINE);
            g.drawRect(0, 0, w, 10);
            g.endFill();
            g.lineStyle();
            g.beginFill(Theme.ACCENT);
            g.drawRect(0, 0, w * Math.min(1, feed.done / total), 10);
            g.endFill();
        }
        if (refusal != "")
            return;
        var counts = [Std.string(feed.published), Std.string(feed.total), Std.string(feed.failed)];
        var text = switch (feed.outcome) {
            case "published": Strings.format(Strings.FEED_DONE, counts.concat([feed.folder]));
            case "cancelled": Strings.format(Strings.FEED_CANCELLED, counts.concat([feed.folder]));
            case "failed": Strings.FEED_FAILED;
            default: feed.running ? Strings.format(Strings.FEED_PUBLISHING, [Std.string(feed.done), Std.string(feed.total)]) : "";
        };
        if (feed.lines.length > 0 && feed.outcome != "")
            text += "\n" + feed.lines[feed.lines.length - 1];
        say(text, feed.outcome == "failed" || (feed.outcome != "" && feed.failed > 0));
    }

    function say(text:String, problem:Bool) {
        statusText.textColor = problem ? Theme.ERROR : Theme.ACCENT;
        Theme.fitLines(statusText, text, 3);
        if (text != "")
            status(StringTools.replace(text, "\n", " "));
    }
}
