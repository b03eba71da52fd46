// The entry point the tests drive the editor through, offered to the page only in test mode: press
// a button or type into a field by id (only what a user could reach now), press keys, read the state.
import flash.display.DisplayObject;
import haxe.Json;
import ui.Button;

class TestDriver {
    var editor:Editor;

    public function new(editor:Editor) {
        this.editor = editor;
    }

    public function drive(op:Dynamic, a:Dynamic, b:Dynamic):String {
        // What the test reads or presses is what the screen shows after every change so far.
        editor.session.flush();
        var result = driveNow(op, a, b);
        editor.session.flush();
        return result;
    }

    function driveNow(op:Dynamic, a:Dynamic, b:Dynamic):String {
        var arg = a == null ? "" : Std.string(a);
        var value = b == null ? "" : Std.string(b);
        var modals = editor.modals;
        var widgets = editor.widgets;
        switch (Std.string(op)) {
            case "click":
                var button = modals.length > 0 ? modals[modals.length - 1].findButton(arg) : null;
                if (button == null && widgets.buttons.exists(arg) && reachable(widgets.buttons.get(arg)))
                    button = widgets.buttons.get(arg);
                if (button == null)
                    return "missing";
                return button.press() ? "ok" : "disabled";
            case "type" | "focusType":
                if (!widgets.inputs.exists(arg) || !reachable(widgets.inputs.get(arg)))
                    return "missing";
                // focusType types as a user does: into the field that has the keyboard focus.
                if (op == "focusType" && editor.stage != null)
                    editor.stage.focus = widgets.inputs.get(arg).field;
                widgets.inputs.get(arg).typeText(value);
                return "ok";
            case "key":
                var parts = arg.toLowerCase().split("+");
                var code = Commands.keyCodeOf(parts[parts.length - 1]);
                return editor.handleKey(code, parts.indexOf("ctrl") >= 0, parts.indexOf("shift") >= 0) ? "ok" : "ignored";
            case "state":
                return Json.stringify(state());
            case "layout":
                // The texts of the top dialog, or of the editor when none is open, against their boxes.
                var top:flash.display.DisplayObjectContainer = modals.length > 0 ? modals[modals.length - 1] : editor;
                var skip:Array<DisplayObject> = [@:privateAccess editor.center.canvas.holder];
                for (m in modals)
                    skip.push(m);
                skip.remove(top);
                // A banner's own texts may not fit: that is what the feed panel shows.
                if (Std.isOfType(top, views.FeedPanel))
                    skip.push((cast top : views.FeedPanel).previewArea);
                var report = Json.stringify(LayoutCheck.check(top, editor.stage.stageWidth, editor.stage.stageHeight, skip));
                // Drawn at full rate from here, for a screenshot of what was measured.
                Pace.moving();
                return report;
            default:
                return "unknown";
        }
    }

    function state():Dynamic {
        var session = editor.session;
        var controller = editor.controller;
        var doc = session.doc;
        var modals = editor.modals;
        var top = modals.length > 0 ? modals[modals.length - 1] : null;
        var fields:Dynamic = {};
        for (id in editor.widgets.inputs.keys())
            if (reachable(editor.widgets.inputs.get(id)))
                Reflect.setField(fields, id, editor.widgets.inputs.get(id).text);
        var labels:Dynamic = {};
        var selected = [];
        var disabled = [];
        for (id in editor.widgets.buttons.keys()) {
            var b = editor.widgets.buttons.get(id);
            if (!reachable(b))
                continue;
            Reflect.setField(labels, id, b.text);
            if (b.selected)
                selected.push(id);
            if (!b.enabled)
                disabled.push(id);
        }
        var e = session.selectedElement();
        return {
            title: editor.titleText.text,
            dirty: session.dirty,
            canUndo: session.canUndo,
            canRedo: session.canRedo,
            undoDepth: session.undoDepth(),
            busy: controller.busy,
            path: controller.projectPath,
            status: editor.statusLine,
            refusals: LocalFiles.refusals.copy(),
            language: Strings.language,
            dialog: top != null ? top.name : "",
            dialogText: top != null ? top.messageText : "",
            width: doc.sizes[0].width,
            height: doc.sizes[0].height,
            sizes: [for (s in doc.sizes) s.width + "x" + s.height],
            sizeIndex: session.sizeIndex,
            image: doc.image,
            link: doc.link,
            elements: [for (el in doc.elements) {id: el.id, kind: Std.string(el.kind), label: el.label}],
            selectedElement: e == null ? "" : e.id,
            focus: focusName(),
            xml: doc.toXml(),
            frameRate: Pace.rate(),
            maximized: controller.maximized,
            outputFolder: controller.outputFolder,
            swfName: controller.swfName,
            pageName: controller.pageName,
            publishReply: controller.publishReply,
            publishStatus: Std.isOfType(top, views.PublishPanel) ? (cast top : views.PublishPanel).statusText.text : "",
            feed: Std.isOfType(top, views.FeedPanel) ? (cast top : views.FeedPanel).testState() : null,
            export: Std.isOfType(top, views.ExportPanel) ? (cast top : views.ExportPanel).testState() : null,
            imageState: editor.center.imageState,
            imageSize: editor.center.imageSize,
            playing: editor.center.canvas.playback.playing,
            canvas: editor.center.canvas.testState(),
            selection: session.selection.copy(),
            layerRows: editor.layerRows(),
            ruler: editor.center.timeline.testState(),
            fields: fields,
            labels: labels,
            selected: selected,
            disabled: disabled
        };
    }

    /** The id of the button or field that has the keyboard focus ("" for none). */
    function focusName():String {
        var f:DisplayObject = editor.stage == null ? null : editor.stage.focus;
        if (f == null)
            return "";
        if (Std.isOfType(f, flash.text.TextField) && f.parent != null)
            f = f.parent;
        return Std.isOfType(f, Button) || Std.isOfType(f, ui.TextInput) ? f.name : "";
    }

    /** Whether a widget can be reached by the user now: on screen, and not under a dialog. */
    function reachable(w:DisplayObject):Bool {
        var modals = editor.modals;
        var top:DisplayObject = modals.length > 0 ? modals[modals.length - 1] : editor;
        var o = w;
        while (o != null) {
            if (!o.visible)
                return false;
            if (o == top)
                return true;
            o = o.parent;
        }
        return false;
    }
}
