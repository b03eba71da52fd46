// The editor's one command table: every command with its label, shortcut, when it can be used and
// what it does. The toolbar, the panels' buttons and the keyboard all go through it.
import BannerDocument;

typedef Command = {
    id:String,
    /** The name of the Strings field that labels it. */
    label:String,
    /** Shortcuts as "Ctrl+Shift+Z", several separated by "|"; "" for none. */
    shortcut:String,
    enabled:Void->Bool,
    run:Void->Void,
    /** For a switch: whether it is on now; null for other commands. */
    ?checked:Void->Bool
}

/** What the commands need beyond the session: the host conversation and the dialogs. */
interface CommandHost {
    /** False while a dialog is open or a file is being read. */
    function canAct():Bool;
    function newProject():Void;
    function openProject():Void;
    /** The projects opened and saved last, to open one again. */
    function openRecent():Void;
    /** A text just added takes the keyboard in its words' field, all selected: typing replaces them. */
    function editNewText():Void;
    function saveProject(saveAs:Bool):Void;
    function openPublishPanel():Void;
    function openFeedPanel():Void;
    /** The banner as an animated GIF, a video or stills. */
    function openExportPanel():Void;
    function help():Void;
    function addImage():Void;
    function openAddSize():Void;
    function showStatus(text:String):Void;
    /** Switches the canvas between fitting the banner in and showing it at 100 %. */
    function toggleActualSize():Void;
    /** Shows every size at once in the canvas's place, or the canvas again. */
    function toggleAllSizes():Void;
    /** The project file's path ("" before the first save), against which relative pictures resolve. */
    function projectFile():String;
    /** Puts copied elements (a fragment) on the desktop's clipboard, where the host shares one. */
    function shareCopied(fragment:String):Void;
    /** The fragment on the desktop's clipboard; null when it holds none or no clipboard is shared. */
    function sharedFragment():Null<String>;
    /** Whether the host shares the desktop's clipboard (what it holds can be pasted). */
    function sharesClipboard():Bool;
    /** Zooms the canvas in (1) or out (-1) a step, or fits the banner in (0). */
    function zoom(step:Int):Void;
    function toggleGrid():Void;
    function gridShown():Bool;
    function showShortcuts():Void;
    /** Types a new name for the selected element in its row of the layer list. */
    function renameLayer():Void;
    /** Whether the host has a box to type in with the desktop's input methods (any script). */
    function offersTextEntry():Bool;
    /** Types the selected text's or button's words in the host's box; one undo step. */
    function typeText():Void;
    /** A face file of another project's (a whole path) copied beside this one; null when it cannot be. */
    function bringFont(path:String):Null<UserFont>;
}

class Commands {
    public var list(default, null):Array<Command> = [];

    var byId = new Map<String, Command>();
    /** Whether align lines elements up on the banner rather than on the box around them. */
    public var alignToBanner(default, null) = false;

    public function new(session:EditorSession, host:CommandHost) {
        var act = host.canAct;
        // A project opened read-only takes no edits.
        function editable():Bool
            return host.canAct() && !session.readOnly;
        function selected():Bool
            return editable() && session.selectedElement() != null;
        add("new", "NEW", "Ctrl+N", act, host.newProject);
        add("open", "OPEN", "Ctrl+O", act, host.openProject);
        add("recent", "RECENT", "Ctrl+Shift+O", act, host.openRecent);
        add("save", "SAVE", "Ctrl+S", act, function() host.saveProject(false));
        add("saveAs", "SAVE_AS", "Ctrl+Shift+S", act, function() host.saveProject(true));
        add("publish", "PUBLISH", "Ctrl+P", act, host.openPublishPanel);
        add("feed", "FEED", "Ctrl+Shift+F", act, host.openFeedPanel);
        add("export", "EXPORT", "Ctrl+E", act, host.openExportPanel);
        add("help", "HELP", "F1", function() return true, host.help);
        add("undo", "UNDO", "Ctrl+Z", function() return host.canAct() && session.canUndo, function() {
            // A step still being typed is closed first: that is the one taken back.
            session.settle();
            var what = session.undoLabel;
            session.undo();
            host.showStatus(Strings.format(Strings.STATUS_UNDONE, [what]));
        });
        add("redo", "REDO", "Ctrl+Shift+Z|Ctrl+Y", function() return host.canAct() && session.canRedo, function() {
            session.settle();
            var what = session.redoLabel;
            session.redo();
            host.showStatus(Strings.format(Strings.STATUS_REDONE, [what]));
        });
        var room = function() return editable() && session.doc.elements.length < BannerDocument.MAX_ELEMENTS;
        add("addText", "ADD_TEXT", "Ctrl+Shift+T", room, function() {
            Edits.add(session, Text);
            host.editNewText();
        });
        add("addButton", "ADD_BUTTON", "Ctrl+Shift+B", room, function() Edits.add(session, Button));
        add("addImage", "ADD_IMAGE", "Ctrl+Shift+I", room, host.addImage);
        add("addRect", "ADD_RECT", "Ctrl+Shift+R", room, function() Edits.add(session, Shape, "rect"));
        add("addEllipse", "ADD_ELLIPSE", "Ctrl+Shift+E", room, function() Edits.add(session, Shape, "ellipse"));
        add("delete", "DELETE", "Delete", selected, function() Edits.delete(session));
        add("duplicate", "DUPLICATE", "Ctrl+D", function() return selected() && room(), function() Edits.duplicate(session));
        add("selectAll", "SELECT_ALL", "Ctrl+A", function() return editable() && session.doc.elements.length > 0,
            function() session.selectAll([for (e in session.doc.elements) if (!e.locked && !e.editorHidden) e.id]));
        add("copy", "COPY", "Ctrl+C", function() return host.canAct() && session.selectedElement() != null, function() {
            if (Fragment.copy(session, host.projectFile())) {
                host.shareCopied(Fragment.copied);
                host.showStatus(Strings.format(Strings.STATUS_COPIED_ELEMENTS, [Std.string(session.selection.length)]));
            }
        });
        add("cut", "CUT", "Ctrl+X", selected, function() {
            if (Fragment.cut(session, host.projectFile()))
                host.shareCopied(Fragment.copied);
        });
        // The desktop's clipboard first (elements copied in another window or project), else what
        // this editor copied last.
        add("paste", "PASTE", "Ctrl+V", function() return editable() && (Fragment.copied != "" || host.sharesClipboard()), function() {
            var shared = host.sharedFragment();
            if (Fragment.paste(session, shared != null ? shared : Fragment.copied, host.bringFont) == 0)
                host.showStatus(Strings.STATUS_NOTHING_TO_PASTE);
        });
        var arrange = function(least:Int) return function() return editable() && Edits.canArrange(session, least);
        for (a in [
            {id: "alignLeft", how: "left", label: "ALIGN_LEFTS", key: "Ctrl+Shift+Left"},
            {id: "alignCenter", how: "center", label: "ALIGN_CENTRES", key: "Ctrl+Shift+C"},
            {id: "alignRight", how: "right", label: "ALIGN_RIGHTS", key: "Ctrl+Shift+Right"},
            {id: "alignTop", how: "top", label: "ALIGN_TOPS", key: "Ctrl+Shift+Up"},
            {id: "alignMiddle", how: "middle", label: "ALIGN_MIDDLES", key: "Ctrl+Shift+M"},
            {id: "alignBottom", how: "bottom", label: "ALIGN_BOTTOMS", key: "Ctrl+Shift+Down"}
        ]) {
            var how = a.how;
            add(a.id, a.label, a.key, arrange(1), function() Edits.align(session, how, alignToBanner));
        }
        add("distributeH", "DISTRIBUTE_H", "Ctrl+Shift+H", arrange(3), function() Edits.distribute(session, true, alignToBanner));
        add("distributeV", "DISTRIBUTE_V", "Ctrl+Shift+V", arrange(3), function() Edits.distribute(session, false, alignToBanner));
        add("alignToBanner", "ALIGN_TO_BANNER", "", function() return true, function() alignToBanner = !alignToBanner,
            function() return alignToBanner);
        add("group", "GROUP", "Ctrl+G", function() return editable() && Edits.canGroup(session), function() Edits.group(session));
        add("ungroup", "UNGROUP", "Ctrl+Shift+G", function() return editable() && Edits.canUngroup(session), function() Edits.ungroup(session));
        // The player's text fields take no input method: Chinese, Arabic... are typed in the host's box.
        // The host is asked first, so that its one answer comes with the first look at the
        // commands rather than later, when it would wake the resting editor.
        add("typeText", "TYPE_TEXT", "Ctrl+Shift+K", function() {
            var e = session.selectedElement();
            return host.offersTextEntry() && selected() && session.selection.length == 1 && (e.kind == Text || e.kind == Button);
        }, host.typeText);
        add("rename", "RENAME", "F2", function() return editable() && session.selection.length == 1, host.renameLayer);
        add("forward", "FORWARD", "Ctrl+Up", function() return editable() && Edits.canMove(session, true), function() Edits.move(session, true));
        add("backward", "BACKWARD", "Ctrl+Down", function() return editable() && Edits.canMove(session, false),
            function() Edits.move(session, false));
        add("addSize", "ADD_SIZE", "Ctrl+Shift+A", function() return editable() && session.doc.sizes.length < BannerDocument.MAX_SIZES,
            host.openAddSize);
        add("removeSize", "REMOVE_SIZE", "", function() return editable() && session.doc.sizes.length > 1,
            function() Edits.removeSize(session));
        add("actualSize", "ACTUAL_SIZE", "Ctrl+0", function() return true, host.toggleActualSize);
        add("zoomIn", "ZOOM_IN", "Ctrl+Plus|Ctrl+NumPlus", function() return true, function() host.zoom(1));
        add("zoomOut", "ZOOM_OUT", "Ctrl+Minus|Ctrl+NumMinus", function() return true, function() host.zoom(-1));
        add("zoomFit", "ZOOM_FIT", "Ctrl+Shift+0", function() return true, function() host.zoom(0));
        add("grid", "GRID", "Ctrl+Shift+L", function() return true, host.toggleGrid, host.gridShown);
        add("shortcuts", "SHORTCUTS", "Shift+F1", function() return true, host.showShortcuts);
        add("allSizes", "ALL_SIZES", "", function() return true, host.toggleAllSizes);
        // The size being edited laid out again by the automatic layout (not the first: the design).
        add("relayoutSize", "RELAYOUT", "", function() return editable() && session.sizeIndex > 0, function() {
            var left = Edits.relayout(session);
            if (left.length > 0)
                host.showStatus(Strings.format(Strings.STATUS_LEFT_OUT, [sizeName(session.doc.sizes[session.sizeIndex]), left.join(", ")]));
        });
        // The places of the selected element (or of all) copied to the sizes of a similar shape.
        add("copyLayout", "COPY_LAYOUT", "", function() return editable() && session.doc.sizes.length > 1, function() {
            var to = Edits.copyLayout(session);
            host.showStatus(to.length == 0 ? Strings.STATUS_NO_SIMILAR : Strings.format(Strings.STATUS_COPIED, [to.join(", ")]));
        });
    }

    public static function sizeName(s:BannerSize):String {
        return s.width + " \u00d7 " + s.height;
    }

    function add(id:String, label:String, shortcut:String, enabled:Void->Bool, run:Void->Void, ?checked:Void->Bool) {
        var c:Command = {id: id, label: label, shortcut: shortcut, enabled: enabled, run: run, checked: checked};
        list.push(c);
        byId.set(id, c);
    }

    public function get(id:String):Null<Command> {
        return byId.get(id);
    }

    public function isEnabled(id:String):Bool {
        var c = byId.get(id);
        return c != null && c.enabled();
    }

    /** Runs the command when it can be used now; false when it cannot (or does not exist). */
    public function run(id:String):Bool {
        var c = byId.get(id);
        if (c == null || !c.enabled())
            return false;
        c.run();
        return true;
    }

    /** The label in the language in use. */
    public static function labelOf(c:Command):String {
        var text = Reflect.field(Strings, c.label);
        return text == null ? c.id : Std.string(text);
    }

    /** The label with the first shortcut, for tooltips and the status line. */
    public static function tipOf(c:Command):String {
        return c.shortcut == "" ? labelOf(c) : Strings.format(Strings.TIP_SHORTCUT, [labelOf(c), keysOf(c.shortcut.split("|")[0])]);
    }

    /** A shortcut as the keyboard of the language in use names its keys ("Strg+Entf"). */
    public static function keysOf(shortcut:String):String {
        return [
            for (k in shortcut.split("+"))
                switch (k) {
                    case "Ctrl": Strings.KEY_CTRL;
                    case "Shift": Strings.KEY_SHIFT;
                    case "Delete": Strings.KEY_DELETE;
                    case "Up": Strings.KEY_UP;
                    case "Down": Strings.KEY_DOWN;
                    case "Left": Strings.KEY_LEFT;
                    case "Right": Strings.KEY_RIGHT;
                    case "Plus": "+";
                    case "Minus": "-";
                    case "NumPlus": Strings.KEY_NUM + " +";
                    case "NumMinus": Strings.KEY_NUM + " -";
                    default: k;
                }
        ].join("+");
    }

    /** The command a key press stands for (whether or not it can be used now); null for none. */
    public function forKey(keyCode:Int, ctrl:Bool, shift:Bool):Null<Command> {
        for (c in list)
            for (s in c.shortcut.split("|"))
                if (s != "" && matches(s, keyCode, ctrl, shift))
                    return c;
        return null;
    }

    static function matches(shortcut:String, keyCode:Int, ctrl:Bool, shift:Bool):Bool {
        var parts = shortcut.split("+");
        var key = parts[parts.length - 1];
        return parts.indexOf("Ctrl") >= 0 == ctrl && parts.indexOf("Shift") >= 0 == shift && keyCodeOf(key) == keyCode;
    }

    /** The player's key code for a key name of a shortcut. */
    public static function keyCodeOf(key:String):Int {
        return switch (key.toLowerCase()) {
            case "delete": 46;
            case "up": 38;
            case "down": 40;
            case "left": 37;
            case "right": 39;
            case "plus": 187;
            case "minus": 189;
            case "numplus": 107;
            case "numminus": 109;
            case "esc": 27;
            case "enter": 13;
            case "space": 32;
            case "tab": 9;
            case k if (k.length > 1 && k.charAt(0) == "f"):
                var n = Std.parseInt(k.substr(1));
                n == null ? -1 : 111 + n;
            case k: k.toUpperCase().charCodeAt(0);
        }
    }
}
