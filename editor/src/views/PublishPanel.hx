// The publish panel: where and what to write, then Publish, Preview in browser and Open folder.
package views;

import flash.text.TextField;
import ui.Button;
import ui.Modal;
import ui.TextInput;
import ui.Theme;
import ui.Widgets;

class PublishPanel extends Modal {
    public static inline var BOX_W = 600;
    public static inline var BOX_H = 540;
    static inline var PAD = 15;
    /** The choices' column; their one-line explanations start right of it. */
    static inline var CHOICE_W = 220;

    public var statusText(default, null):TextField;

    var controller:HostController;
    var widgets:Widgets;
    var status:String->Void;

    /**
        openFeed: leaves this panel for the feed panel (every row of a CSV file a variant);
        openExport: for the export panel (GIF, video, stills).
    **/
    public function new(controller:HostController, widgets:Widgets, close:Modal->Void, status:String->Void, openFeed:Void->Void,
            openExport:Void->Void) {
        super(Strings.PUBLISH_TITLE, BOX_W, BOX_H);
        name = "publish";
        this.controller = controller;
        this.widgets = widgets;
        this.status = status;
        widgets.beginGroup(9000);
        var inner = BOX_W - 2 * PAD;
        // In the title bar: publishing a product feed instead, with what is typed here.
        var feed = widgets.button(new Button("publish.feed", Strings.FEED_OPEN, function() {
            takeFields();
            openFeed();
        }, Theme.label(Strings.FEED_OPEN, 12).width + 20, 22));
        place(feed, BOX_W - 8 - feed.buttonWidth, 4);
        // Beside it: exporting the banner as pictures or video instead, into the folder typed here.
        var export = widgets.button(new Button("publish.export", Strings.EXPORT, function() {
            takeFields();
            openExport();
        }, Theme.label(Strings.EXPORT, 12).width + 20, 22));
        place(export, feed.x - 6 - export.buttonWidth, 4);
        var y = 40.0;
        y += place(Theme.paragraph(Strings.PUBLISH_INTRO, inner, 12, Theme.MUTED), PAD, y).height + 6;
        var folder = field("publish.folder", Strings.OUTPUT_FOLDER, PAD, y, inner - 126, controller.outputFolder);
        place(button("publish.browse", Strings.BROWSE, browse, 116), BOX_W - PAD - 116, y + 18);
        y += 54;

        // What users upload today first: the HTML5 ad with its backup image, then the movie and the
        // pages with the player; the pictures are always written.
        place(Theme.label(Strings.WHAT_TO_WRITE, 12, Theme.TEXT, true), PAD, y);
        y += 22;
        y = output(button("publish.html5", Strings.HTML5_AD, function() choose(function() controller.html5Creative = !controller.html5Creative),
            CHOICE_W), Strings.HTML5_AD_NOTE, y);
        y = output(button("publish.movie", Strings.SWF_MOVIE, function() choose(function() controller.swfOutputs = !controller.swfOutputs),
            CHOICE_W), Strings.MOVIE_NOTE, y);
        y = output(button("publish.withPages", Strings.MOVIE_AND_PAGES, function() choose(function() controller.withPages = !controller.withPages),
            CHOICE_W), Strings.PAGES_NOTE, y);
        y += 4;

        place(Theme.label(Strings.OPTIONS, 12, Theme.TEXT, true), PAD, y);
        y += 20;
        var third = (inner - 2 * 10) / 3;
        field("publish.swf", Strings.MOVIE_NAME, PAD, y, third, controller.swfName);
        field("publish.page", Strings.PAGE_NAME, PAD + third + 10, y, third, controller.pageName);
        field("publish.xml", Strings.XML_NAME, PAD + 2 * (third + 10), y, third, controller.xmlName);
        y += 52;
        y = choiceRow(Strings.PAGE_KIND, [
            button("publish.embed", Strings.PAGES_EMBED, function() choose(function() controller.scriptPages = false), 0),
            button("publish.script", Strings.PAGES_SCRIPT, function() choose(function() controller.scriptPages = true), 0)
        ], y);
        y = choiceRow(Strings.PLAYER, [
            button("publish.playerBundled", Strings.PLAYER_BUNDLED, function() choose(function() controller.bundledPlayer = true), 0),
            button("publish.playerNone", Strings.PLAYER_NONE, function() choose(function() controller.bundledPlayer = false), 0)
        ], y);
        y += 4;

        statusText = place(Theme.paragraph("", inner, 12, Theme.TEXT), PAD, y);
        var openFolder = button("publish.openFolder", Strings.OPEN_FOLDER, controller.openOutputFolder, 0);
        place(openFolder, PAD, boxHeight - 38).enabled = false;
        place(button("publish.preview", Strings.PREVIEW_IN_BROWSER, preview, 0), PAD + openFolder.buttonWidth + 8, boxHeight - 38);
        addButtonRow([
            button("publish.go", Strings.DO_PUBLISH, publish, 0),
            button("publish.close", Strings.CLOSE, function() close(this), 0)
        ]);
        onEscape = function() close(this);
        sync();
        focusFirst = folder.field;
    }

    /** One output: its switch (or name) on the left, what it is for in one line on the right. */
    function output(choice:flash.display.DisplayObject, note:String, y:Float):Float {
        if (choice.parent == null)
            place(choice, PAD, y);
        var text = place(Theme.paragraph(note, BOX_W - 2 * PAD - CHOICE_W - 12, 11, Theme.MUTED), PAD + CHOICE_W + 12, y);
        return y + Math.max(32, text.height + 6);
    }

    /** A caption and its choices in a row; the buttons take their texts' widths. */
    function choiceRow(caption:String, choices:Array<Button>, y:Float):Float {
        var label = place(Theme.label(caption, 12, Theme.TEXT), PAD, y + 5);
        var x = Math.max(PAD + 130, label.x + label.width + 8);
        for (b in choices) {
            place(b, x, y);
            x += b.buttonWidth + 6;
        }
        return y + 32;
    }
    /** The field that takes the keyboard focus when the panel opens. */
    public var focusFirst(default, null):flash.text.TextField;

    /** Shows the choices in effect (after a click, or when the host pushes its settings). */
    public function sync() {
        widgets.setSelected("publish.withPages", controller.withPages);
        widgets.setSelected("publish.embed", !controller.scriptPages);
        widgets.setSelected("publish.script", controller.scriptPages);
        widgets.setSelected("publish.playerBundled", controller.bundledPlayer);
        widgets.setSelected("publish.playerNone", !controller.bundledPlayer);
        widgets.setSelected("publish.html5", controller.html5Creative);
        widgets.setSelected("publish.movie", controller.swfOutputs);
        // The pages play the movie: without it there are none to choose.
        var pages = controller.withPages && controller.swfOutputs;
        widgets.setEnabled("publish.withPages", controller.swfOutputs);
        widgets.setEnabled("publish.embed", pages);
        widgets.setEnabled("publish.script", pages);
        widgets.setEnabled("publish.playerBundled", pages);
        widgets.setEnabled("publish.playerNone", pages);
    }

    function choose(apply:Void->Void) {
        apply();
        sync();
    }

    /** A button; width 0 fits its text (at least 90 wide). */
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

    function field(id:String, label:String, x:Float, y:Float, width:Float, value:String):TextInput {
        place(Theme.label(label, 12, Theme.TEXT, true), x, y);
        var f = place(widgets.input(new TextInput(id, width)), x, y + 18);
        f.text = value;
        return f;
    }

    function text(id:String):String {
        return StringTools.trim(widgets.inputs.get(id).text);
    }

    function browse() {
        var field = widgets.inputs.get("publish.folder");
        var chosen = controller.browseFolder(StringTools.trim(field.text));
        if (chosen != null)
            field.typeText(chosen);
    }

    function takeFields() {
        controller.outputFolder = text("publish.folder");
        controller.swfName = text("publish.swf");
        controller.pageName = text("publish.page");
        controller.xmlName = text("publish.xml");
    }

    function readFields():Bool {
        takeFields();
        if (controller.outputFolder == "") {
            show(Strings.PUBLISH_NEED_FOLDER, true);
            return false;
        }
        for (n in [controller.swfName, controller.pageName, controller.xmlName]) {
            if (!PublishRules.isPlainFileName(n)) {
                show(Strings.format(Strings.PUBLISH_BAD_NAME, [n]), true);
                return false;
            }
        }
        return true;
    }

    function publish() {
        if (!readFields())
            return;
        show(Strings.PUBLISHING, false);
        var reply = controller.publish();
        var ok = reply == Wire.REPLY_OK;
        var said = PublishRules.describeReply(reply, controller.lastPublishFolder);
        var notFitting = ok ? controller.notFitting() : "";
        if (notFitting != "")
            said += "\n" + Strings.format(Strings.PUBLISH_NOT_FITTING, [notFitting]);
        show(said, !ok);
        widgets.setEnabled("publish.openFolder", ok);
    }

    /** Publishes into a private folder of the host's and opens the HTML5 ad and the page in the browser. */
    function preview() {
        show(Strings.PREVIEWING, false);
        var reply = controller.previewInBrowser();
        var ok = reply == Wire.REPLY_OK;
        show(ok ? Strings.PREVIEW_OK : PublishRules.describeReply(reply, ""), !ok);
    }

    function show(text:String, problem:Bool) {
        statusText.textColor = problem ? Theme.ERROR : Theme.ACCENT;
        statusText.text = text;
        status(text);
    }
}
