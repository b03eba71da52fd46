// The publish panel: where and what to write, then Publish, Preview in browser and Open folder.
package views;

import flash.text.TextField;
import ui.Button;
import ui.Modal;
import ui.TextInput;
import ui.Theme;
import ui.Widgets;

class PublishPanel extends Modal {
    public static inline var BOX_W = 520;
    public static inline var BOX_H = 486;

    public var statusText(default, null):TextField;

    var controller:HostController;
    var widgets:Widgets;
    var status:String->Void;

    public function new(controller:HostController, widgets:Widgets, close:Modal->Void, status:String->Void) {
        super(Strings.PUBLISH_TITLE, BOX_W, BOX_H);
        name = "publish";
        this.controller = controller;
        this.widgets = widgets;
        this.status = status;
        widgets.beginGroup(9000);
        var b = box;
        var intro = Theme.paragraph(Strings.PUBLISH_INTRO, 490, 12, Theme.MUTED);
        intro.x = 15;
        intro.y = 40;
        b.addChild(intro);

        var y = 82.0;
        var folder = field("publish.folder", Strings.OUTPUT_FOLDER, 15, y, 370, controller.outputFolder);
        place(button("publish.browse", Strings.BROWSE, browse, 110), 395, y + 16);
        y += 52;
        field("publish.swf", Strings.MOVIE_NAME, 15, y, 155, controller.swfName);
        field("publish.page", Strings.PAGE_NAME, 182, y, 155, controller.pageName);
        field("publish.xml", Strings.XML_NAME, 349, y, 156, controller.xmlName);
        y += 58;

        place(Theme.label(Strings.WHAT_TO_WRITE, 12, Theme.TEXT, true), 15, y);
        place(button("publish.movieOnly", Strings.MOVIE_ONLY, function() choose(function() controller.withPages = false), 160), 15, y + 20);
        place(button("publish.withPages", Strings.MOVIE_AND_PAGES, function() choose(function() controller.withPages = true), 180), 183, y + 20);
        y += 56;
        place(Theme.label(Strings.PAGE_KIND, 12, Theme.TEXT, true), 15, y);
        place(button("publish.embed", Strings.PAGES_EMBED, function() choose(function() controller.scriptPages = false), 160), 15, y + 20);
        place(button("publish.script", Strings.PAGES_SCRIPT, function() choose(function() controller.scriptPages = true), 210), 183, y + 20);
        y += 56;
        place(Theme.label(Strings.EXTRAS, 12, Theme.TEXT, true), 15, y);
        place(button("publish.playerBundled", Strings.PLAYER_BUNDLED, function() choose(function() controller.bundledPlayer = true), 165), 15,
            y + 20);
        place(button("publish.playerNone", Strings.PLAYER_NONE, function() choose(function() controller.bundledPlayer = false), 90), 185, y + 20);
        place(button("publish.html5", Strings.HTML5_AD, function() choose(function() controller.html5Creative = !controller.html5Creative), 215), 290,
            y + 20);
        y += 60;

        statusText = place(Theme.paragraph("", 490, 12, Theme.TEXT), 15, y);
        var openFolder = place(button("publish.openFolder", Strings.OPEN_FOLDER, controller.openOutputFolder, 150), 15, boxHeight - 38);
        openFolder.enabled = false;
        place(button("publish.preview", Strings.PREVIEW_IN_BROWSER, preview, 150), 173, boxHeight - 38);
        addButtonRow([
            button("publish.go", Strings.DO_PUBLISH, publish, 100),
            button("publish.close", Strings.CLOSE, function() close(this), 90)
        ]);
        onEscape = function() close(this);
        sync();
        focusFirst = folder.field;
    }

    /** The field that takes the keyboard focus when the panel opens. */
    public var focusFirst(default, null):flash.text.TextField;

    /** Shows the choices in effect (after a click, or when the host pushes its settings). */
    public function sync() {
        widgets.setSelected("publish.movieOnly", !controller.withPages);
        widgets.setSelected("publish.withPages", controller.withPages);
        widgets.setSelected("publish.embed", !controller.scriptPages);
        widgets.setSelected("publish.script", controller.scriptPages);
        widgets.setSelected("publish.playerBundled", controller.bundledPlayer);
        widgets.setSelected("publish.playerNone", !controller.bundledPlayer);
        widgets.setSelected("publish.html5", controller.html5Creative);
        widgets.setEnabled("publish.embed", controller.withPages);
        widgets.setEnabled("publish.script", controller.withPages);
    }

    function choose(apply:Void->Void) {
        apply();
        sync();
    }

    function button(id:String, text:String, action:Void->Void, width:Float):Button {
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

    function readFields():Bool {
        controller.outputFolder = text("publish.folder");
        controller.swfName = text("publish.swf");
        controller.pageName = text("publish.page");
        controller.xmlName = text("publish.xml");
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
        show(PublishRules.describeReply(reply, controller.lastPublishFolder), !ok);
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
