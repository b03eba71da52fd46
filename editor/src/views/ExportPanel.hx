// The export panel: the banner as an animated GIF, an MP4 or WebM video, or PNG or JPEG stills,
// of every size or those chosen, written by the host into a folder with a progress bar and Stop,
// and at the end the files written and what could not be.
package views;

import ExportSession.ExportChoices;
import flash.display.Shape;
import flash.text.TextField;
import ui.Button;
import ui.Modal;
import ui.TextInput;
import ui.Theme;
import ui.Widgets;

class ExportPanel extends Modal {
    public static inline var BOX_W = 600;
    public static inline var BOX_H = 540;
    static inline var PAD = 15;
    static inline var CAPTION_W = 130;
    static var FORMATS = ["gif", "mp4", "webm", "png", "jpg"];
    static inline var RESULT_LINES = 7;

    public var statusText(default, null):TextField;

    var job:ExportSession;
    var controller:HostController;
    var widgets:Widgets;
    var status:String->Void;
    var sizes:Array<String>;
    var choices:ExportChoices;
    var noteText:TextField;
    var bar:Shape;
    var momentBox:flash.display.Sprite;
    var fpsBox:flash.display.Sprite;
    var limitBox:flash.display.Sprite;
    var fieldWidth = 0.0;
    var refusal = "";

    /** sizes: the banner's, as "WxH"; choices: those of the last export, kept while the editor runs. */
    public function new(job:ExportSession, choices:ExportChoices, sizes:Array<String>, controller:HostController, widgets:Widgets,
            close:Modal->Void, status:String->Void) {
        super(Strings.EXPORT_TITLE, BOX_W, BOX_H);
        name = "export";
        this.job = job;
        this.choices = choices;
        this.sizes = sizes;
        this.controller = controller;
        this.widgets = widgets;
        this.status = status;
        if (choices.folder == "")
            choices.folder = controller.outputFolder;
        // Sizes the banner no longer has are no choice.
        choices.sizes = [for (s in choices.sizes) if (sizes.indexOf(s) >= 0) s];
        widgets.beginGroup(9500);
        var inner = BOX_W - 2 * PAD;
        var y = 42.0;
        var labels = [Strings.EXPORT_GIF, Strings.EXPORT_MP4, Strings.EXPORT_WEBM, Strings.EXPORT_PNG, Strings.EXPORT_JPEG];
        y = row(Strings.EXPORT_FORMAT, [
            for (i in 0...FORMATS.length) {
                var format = FORMATS[i];
                button("export." + format, labels[i], function() chooseFormat(format), 80);
            }
        ], y);
        noteText = place(Theme.paragraph("", inner - CAPTION_W, 11, Theme.MUTED), PAD + CAPTION_W, y - 2);
        y += 34;
        var sizeButtons = [button("export.allSizes", Strings.EXPORT_ALL_SIZES, chooseAll, 0)];
        for (s in sizes) {
            var size = s;
            sizeButtons.push(button("export.size." + size, StringTools.replace(size, "x", " \u00d7 "), function() toggleSize(size), 0));
        }
        y = row(Strings.EXPORT_SIZES, sizeButtons, y);
        y += 6;
        fieldWidth = (inner - 2 * 10) / 3;
        momentBox = field("export.at", Strings.EXPORT_AT, Strings.EXPORT_AT_HINT, PAD, y, fieldWidth, choices.at);
        fpsBox = field("export.fps", Strings.EXPORT_FPS, "", PAD, y, fieldWidth, choices.fps);
        limitBox = field("export.maxKb", Strings.EXPORT_MAX_KB, "", PAD, y, fieldWidth, choices.maxKb);
        y += 72;
        var folder = place(Theme.label(Strings.EXPORT_FOLDER, 12, Theme.TEXT, true), PAD, y);
        place(widgets.input(new TextInput("export.folder", inner - 126)), PAD, y + 18).text = choices.folder;
        place(button("export.browse", Strings.BROWSE, browse, 116), BOX_W - PAD - 116, y + 18);
        y += folder.height + 18 + 40;
        bar = place(new Shape(), PAD, y);
        statusText = place(Theme.paragraph("", inner, 12, Theme.TEXT), PAD, y + 16);
        addButtonRow([
            button("export.go", Strings.EXPORT_GO, start, 0),
            button("export.cancel", Strings.EXPORT_STOP, job.cancel, 0),
            button("export.close", Strings.CLOSE, function() if (!job.running) close(this), 0)
        ]);
        onEscape = function() if (!job.running) close(this);
        var onJob = sync;
        job.listen(onJob);
        addEventListener(flash.events.Event.REMOVED_FROM_STAGE, function(_) {
            takeFields();
            job.unlisten(onJob);
        });
        sync();
    }

    /** What the panel shows, for the tests. */
    public function testState():Dynamic {
        return {
            format: choices.format,
            sizes: choices.sizes.copy(),
            fields: [for (id in ["export.at", "export.fps", "export.maxKb"]) if (widgets.inputs.get(id).parent.visible) id],
            running: job.running,
            fraction: job.fraction,
            outcome: job.outcome,
            written: job.written,
            errors: job.errors,
            status: statusText.text
        };
    }

    /** A button; width 0 fits its text (at least 70 wide). */
    function button(id:String, text:String, action:Void->Void, width:Float):Button {
        if (width <= 0)
            width = Math.max(70, Theme.label(text, 12).width + 20);
        return widgets.button(new Button(id, text, action, width));
    }

    function place<T:flash.display.DisplayObject>(item:T, x:Float, y:Float):T {
        item.x = x;
        item.y = y;
        box.addChild(item);
        return item;
    }

    /** A caption and its choices, in as many lines as they take; the y below them. */
    function row(caption:String, choices:Array<Button>, y:Float):Float {
        place(Theme.label(caption, 12, Theme.TEXT, true), PAD, y + 5);
        var x:Float = PAD + CAPTION_W;
        for (b in choices) {
            if (x > PAD + CAPTION_W && x + b.buttonWidth > BOX_W - PAD) {
                x = PAD + CAPTION_W;
                y += 30;
            }
            place(b, x, y);
            x += b.buttonWidth + 6;
        }
        return y + 32;
    }

    /** A field under its caption, with a hint under it; shown only where the format takes it. */
    function field(id:String, caption:String, hint:String, x:Float, y:Float, width:Float, value:String):flash.display.Sprite {
        var group = place(new flash.display.Sprite(), x, y);
        group.addChild(Theme.label(caption, 12, Theme.TEXT, true));
        var input = widgets.input(new TextInput(id, width, 1, "0-9."));
        input.y = 18;
        input.text = value;
        group.addChild(input);
        if (hint != "") {
            var h = Theme.label(hint, 11, Theme.MUTED);
            h.y = 46;
            group.addChild(h);
        }
        return group;
    }

    function text(id:String):String {
        return StringTools.trim(widgets.inputs.get(id).text);
    }

    function takeFields() {
        choices.at = text("export.at");
        choices.fps = text("export.fps");
        choices.maxKb = text("export.maxKb");
        choices.folder = text("export.folder");
    }

    static function isAnimation(format:String):Bool {
        return format == "gif" || format == "mp4" || format == "webm";
    }

    function chooseFormat(format:String) {
        if (job.running)
            return;
        takeFields();
        // The frame rate's default is the format's own: a GIF's at most 5 a second, a video's 30.
        if ((format == "gif") != (choices.format == "gif") || !isAnimation(choices.format))
            widgets.inputs.get("export.fps").text = format == "gif" ? "5" : isAnimation(format) ? "30" : "";
        choices.format = format;
        sync();
    }

    function chooseAll() {
        if (!job.running)
            choices.sizes = [];
        sync();
    }

    function toggleSize(size:String) {
        if (job.running)
            return;
        if (choices.sizes.indexOf(size) >= 0)
            choices.sizes.remove(size);
        else
            choices.sizes.push(size);
        // Every size chosen one by one is every size.
        if (choices.sizes.length == sizes.length)
            choices.sizes = [];
        sync();
    }

    function browse() {
        var field = widgets.inputs.get("export.folder");
        var chosen = controller.browseFolder(StringTools.trim(field.text));
        if (chosen != null)
            field.typeText(chosen);
    }

    function start() {
        takeFields();
        refusal = "";
        var problem = choices.folder == "" ? Strings.EXPORT_NEED_FOLDER : null;
        if (problem == null) {
            var format = choices.format;
            problem = job.start({
                format: format,
                folder: choices.folder,
                sizes: choices.sizes,
                // Each field goes only with the formats that take it.
                at: isAnimation(format) ? "" : choices.at,
                fps: isAnimation(format) ? choices.fps : "",
                maxKb: format == "gif" ? choices.maxKb : ""
            });
        }
        if (problem != null) {
            refusal = problem;
            say(problem, true);
        }
    }

    /** Follows the choices and the export: what can be pressed, the bar, the outcome. */
    function sync() {
        var running = job.running;
        for (f in FORMATS) {
            widgets.setSelected("export." + f, choices.format == f);
            widgets.setEnabled("export." + f, !running);
        }
        widgets.setSelected("export.allSizes", choices.sizes.length == 0);
        for (s in sizes) {
            widgets.setSelected("export.size." + s, choices.sizes.indexOf(s) >= 0);
            widgets.setEnabled("export.size." + s, !running);
        }
        widgets.setEnabled("export.allSizes", !running);
        var animation = isAnimation(choices.format);
        momentBox.visible = !animation;
        fpsBox.visible = animation;
        limitBox.visible = choices.format == "gif";
        // The fields the format takes, side by side from the left.
        var x:Float = PAD;
        for (f in [momentBox, fpsBox, limitBox])
            if (f.visible) {
                f.x = x;
                x += fieldWidth + 10;
            }
        noteText.text = choices.format == "gif" ? Strings.EXPORT_NOTE_GIF : animation ? Strings.EXPORT_NOTE_VIDEO : Strings.EXPORT_NOTE_STILL;
        widgets.setEnabled("export.go", !running);
        widgets.setEnabled("export.browse", !running);
        widgets.setEnabled("export.cancel", running && animation);
        widgets.setEnabled("export.close", !running);
        drawProgress();
    }

    function drawProgress() {
        var g = bar.graphics;
        g.clear();
        var w = BOX_W - 2 * PAD;
        if (job.running || job.outcome != "") {
            g.beginFill(Theme.FIELD);
            g.lineStyle(1, Theme.PANEL_LINE);
            g.drawRect(0, 0, w, 10);
            g.endFill();
            g.lineStyle();
            g.beginFill(Theme.ACCENT);
            g.drawRect(0, 0, w * job.fraction, 10);
            g.endFill();
        }
        if (job.running) {
            refusal = "";
            say(Strings.format(Strings.EXPORTING, [Std.string(Math.round(job.fraction * 100))]), false);
            return;
        }
        if (refusal != "" || job.outcome == "") {
            if (refusal == "")
                say("", false);
            return;
        }
        var count = Std.string(job.written.length);
        var lines = [
            switch (job.outcome) {
                case "done": Strings.format(Strings.EXPORT_DONE, [count, choices.folder]);
                case "cancelled": Strings.format(Strings.EXPORT_CANCELLED, [count, choices.folder]);
                default: Strings.format(Strings.EXPORT_FAILED, [count, choices.folder]);
            }
        ];
        // The host's notes name each file by its path: the folder is said once above.
        var prefix = StringTools.endsWith(choices.folder, "/") ? choices.folder : choices.folder + "/";
        for (n in job.notes)
            lines.push(StringTools.startsWith(n, prefix) ? n.substr(prefix.length) : n);
        for (e in job.errors)
            lines.push(e);
        say(lines.join("\n"), job.errors.length > 0);
    }

    function say(text:String, problem:Bool) {
        statusText.textColor = problem ? Theme.ERROR : Theme.ACCENT;
        Theme.fitLines(statusText, text, RESULT_LINES);
        if (text != "")
            status(text.split("\n")[0]);
    }
}
