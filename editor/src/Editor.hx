// The editor: caption strip, toolbar, properties, preview and publish panel, and the flows behind them.
import flash.display.Sprite;
import flash.display.Stage;
import flash.events.Event;
import flash.events.KeyboardEvent;
import flash.events.TextEvent;
import flash.text.TextField;
import haxe.Timer;
import ui.Button;
import ui.Modal;
import ui.Swatch;
import ui.TextInput;
import ui.Theme;

class Editor extends Sprite {
    // Layout. The host moves the window when the pointer is pressed in the caption strip, which it
    // takes to be y 5 to 23 and left of the last 65 pixels; the caption buttons sit in those pixels.
    static inline var CAPTION_H = 28;
    static inline var CAPTION_BUTTONS_W = 63;
    static inline var TOOLBAR_H = 42;
    static inline var STATUS_H = 24;
    static inline var PANEL_W = 330;

    static var PRESETS:Array<{id:String, label:String, w:Int, h:Int}> = [
        {id: "preset300x250", label: Strings.PRESET_MEDIUM, w: 300, h: 250},
        {id: "preset728x90", label: Strings.PRESET_LEADERBOARD, w: 728, h: 90},
        {id: "preset160x600", label: Strings.PRESET_SKYSCRAPER, w: 160, h: 600}
    ];

    static var EFFECT_LABELS:Array<String> = [Strings.EFFECT_NONE, Strings.EFFECT_FADE, Strings.EFFECT_SLIDE, Strings.EFFECT_ZOOM];

    var host:HostLink;
    var model:ProjectModel;
    var savedXml:String;
    var projectPath:String = "";
    // The project file a save in progress writes, when known before the host asks for the text.
    var savingTo:String = null;
    var maximized = false;
    var busy = false;
    var status:String = "";
    var lastServedXml:String = null;

    // Output settings: pushed by the host, then what the user chose in the publish panel.
    var outputFolder:String = "";
    var swfName:String = "banner.swf";
    var pageName:String = "banner.html";
    var xmlName:String = "template.xml";
    var withPages = true;
    var scriptPages = false;
    var bundledPlayer = true;
    var html5Creative = true;
    var publishReply:String = "";
    var lastPublishFolder:String = "";

    // Widgets.
    var buttons = new Map<String, Button>();
    var inputs = new Map<String, TextInput>();
    var caption:Sprite;
    var titleText:TextField;
    var toolbar:Sprite;
    var panel:Sprite;
    var previewBox:Sprite;
    var preview:Preview;
    var statusBar:Sprite;
    var statusText:TextField;
    var imageName:TextField;
    var modals:Array<Modal> = [];
    /** Whether the last key went down with Ctrl (and without Alt, which with Ctrl is AltGr). */
    var ctrlChord = false;
    var publishPanel:Modal;
    var publishStatus:TextField;
    var stageW:Float = 800;
    var stageH:Float = 600;

    public function new(host:HostLink) {
        super();
        this.host = host;
        model = new ProjectModel();
        savedXml = model.toXml();
        buildCaption();
        buildToolbar();
        buildPanel();
        buildPreview();
        buildStatusBar();
        // A field left with a value that was refused shows the value in effect again.
        for (id in ["width", "height", "duration", "headlineSize", "bgColor", "headlineColor"])
            inputs.get(id).onLeave = syncFields;
        syncFields();
        refresh();
        setStatus(host.available ? Strings.READY : Strings.STATUS_NO_HOST);
    }

    /** Wires the stage, offers the host functions and asks the host how the editor was started. */
    public function start(stage:Stage, testMode:Bool) {
        stage.addEventListener(Event.RESIZE, function(_) layout(stage.stageWidth, stage.stageHeight));
        // A Ctrl chord is a command, never text: the player still hands its letter to the focused
        // field once the key is handled (after a shortcut's dialog has closed, say), where it would
        // land as a stray character and mark the project changed.
        stage.addEventListener(KeyboardEvent.KEY_DOWN, function(e:KeyboardEvent) ctrlChord = e.ctrlKey && !e.altKey, true);
        stage.addEventListener(TextEvent.TEXT_INPUT, function(e:TextEvent) {
            if (ctrlChord)
                e.preventDefault();
        }, true);
        stage.addEventListener(KeyboardEvent.KEY_DOWN, function(e:KeyboardEvent) {
            if (handleKey(e.keyCode, e.ctrlKey, e.shiftKey)) {
                e.preventDefault();
                e.stopImmediatePropagation();
            }
        });
        layout(stage.stageWidth, stage.stageHeight);
        Pace.start(stage, host);

        host.offer(Wire.FN_OUTPUT_SETTINGS, onOutputSettings);
        host.offer(Wire.FN_PROJECT_XML, onProjectXmlRequest);
        host.offer(Wire.FN_WINDOW_CONTROL, onWindowControl);
        host.offer(Wire.FN_HAND_OVER, onHandOver);
        if (testMode)
            host.offer("editorTest", testDrive);

        var started = host.send(Wire.START_INFO, []);
        if (Wire.isPath(started) && started != Wire.REPLY_NEW)
            openFile(started);
    }

    // ---- Functions the host calls. They only read or store state, so they are safe to run while one
    // of the editor's own commands is still waiting for its reply.

    function onOutputSettings(folder:Dynamic, swf:Dynamic, html:Dynamic, ?player:Dynamic, ?html5:Dynamic):String {
        if (folder != null)
            outputFolder = Std.string(folder);
        if (swf != null && Std.string(swf) != "")
            swfName = Std.string(swf);
        if (html != null && Std.string(html) != "")
            pageName = Std.string(html);
        if (player != null && Std.string(player) != "")
            bundledPlayer = Std.string(player) != Wire.PLAYER_NONE;
        if (html5 != null && Std.string(html5) != "")
            html5Creative = Std.string(html5) != Wire.NO;
        syncPublishChoices();
        return Wire.REPLY_OK;
    }

    function onProjectXmlRequest(kind:Dynamic):String {
        // The project, the publish copy and the custom template are one text: its img names the image.
        // Saved to a path the editor knows, an image beside or below the project is stored relative to it.
        var served = model;
        if (savingTo != null) {
            served = model.copy();
            served.image = ProjectModel.relativeTo(model.image, savingTo);
        }
        lastServedXml = served.toXml();
        return lastServedXml;
    }

    function onWindowControl(action:Dynamic):String {
        // Answered after the host's call has returned, so that the host is never re-entered from inside it.
        var word = Std.string(action);
        Pace.moving();
        Timer.delay(function() {
            switch (word) {
                case "minimizeAppButton": minimize();
                case "maximizeAppButton": maximize();
                case "restoreAppButton": restore();
                case "closeAppButton": exitApplication();
                default:
            }
        }, 1);
        return Wire.REPLY_OK;
    }

    function onHandOver(path:Dynamic):String {
        // A second start of the program handed a project over: opened as Open does, after the
        // unsaved-changes question, once the host's call has returned and the user has finished
        // with any box the editor shows.
        var handed = Std.string(path);
        Pace.moving();
        function attempt() {
            if (!canAct()) {
                Timer.delay(attempt, 300);
                return;
            }
            confirmDiscard(function() {
                var chosen = host.send(Wire.OPEN_HANDED, [handed]);
                if (Wire.isPath(chosen))
                    openFile(chosen);
            });
        }
        Timer.delay(attempt, 1);
        return Wire.REPLY_OK;
    }

    // ---- Commands.

    public function newProject() {
        if (!canAct()) return;
        confirmDiscard(function() {
            host.send(Wire.NEW_PROJECT, []);
            model = new ProjectModel();
            savedXml = model.toXml();
            projectPath = "";
            syncFields();
            refresh();
            setStatus(Strings.STATUS_NEW);
        });
    }

    public function openProject() {
        if (!canAct()) return;
        confirmDiscard(function() {
            var chosen = host.send(Wire.SELECT_FILE, [Strings.PROJECT_FILTER, Wire.OPEN_PROJECT_MODE, ""]);
            if (Wire.isPath(chosen))
                openFile(chosen);
        });
    }

    /** Reads a project file the host has made current, and shows it. */
    function openFile(path:String) {
        busy = true;
        setStatus(Strings.format(Strings.STATUS_OPENING, [ProjectModel.fileName(path)]));
        LocalFiles.readText(path, function(text:String) {
            busy = false;
            var opened:ProjectModel = null;
            try {
                opened = ProjectModel.fromXml(text);
            } catch (e:Dynamic) {
                openFailed(Strings.NOT_A_PROJECT, path);
                return;
            }
            opened.image = ProjectModel.resolveAgainst(opened.image, path);
            model = opened;
            savedXml = model.toXml();
            projectPath = path;
            syncFields();
            refresh();
            preview.playEffect();
            setStatus(Strings.format(Strings.STATUS_OPENED, [path]));
        }, function(reason:String) {
            busy = false;
            openFailed(Strings.OPEN_FAILED, path);
        });
    }

    /**
        The host already made the unreadable file its current project; a later Save would overwrite it
        with what the editor shows. So the host is told to start a new project, and the editor's content
        stays as an unsaved banner.
    **/
    function openFailed(pattern:String, path:String) {
        host.send(Wire.NEW_PROJECT, []);
        projectPath = "";
        savedXml = new ProjectModel().toXml();
        refresh();
        showMessage(Strings.ERROR_TITLE, Strings.format(pattern, [path]));
    }

    public function save(saveAs:Bool, ?after:Bool->Void) {
        lastServedXml = null;
        // Only a plain save of a saved project goes to a path known beforehand.
        savingTo = saveAs || projectPath == "" ? null : projectPath;
        var reply = host.send(Wire.SAVE_PROJECT, saveAs ? [Wire.SAVE_AS_MODE] : []);
        savingTo = null;
        var saved = false;
        if (reply == null) {
            setStatus(Strings.STATUS_NO_HOST);
        } else if (reply == Wire.REPLY_FALSE || reply == "") {
            setStatus(Strings.STATUS_SAVE_CANCELLED);
        } else if (reply == Wire.REPLY_SAVE_FAILED || reply == Wire.REPLY_NONE) {
            showMessage(Strings.ERROR_TITLE, Strings.SAVE_FAILED);
        } else {
            projectPath = reply;
            // What was written is the text handed over during the save, even if the user typed since;
            // compared with the model's own text, whose image path is absolute.
            savedXml = lastServedXml != null ? withAbsoluteImage(lastServedXml, reply) : model.toXml();
            saved = true;
            setStatus(Strings.format(Strings.STATUS_SAVED, [reply]));
        }
        refresh();
        if (after != null)
            after(saved);
    }

    static function withAbsoluteImage(xml:String, projectFile:String):String {
        var saved = ProjectModel.fromXml(xml);
        saved.image = ProjectModel.resolveAgainst(saved.image, projectFile);
        return saved.toXml();
    }

    public function saveCommand(saveAs:Bool) {
        if (!canAct()) return;
        save(saveAs);
    }

    public function chooseImage() {
        if (!canAct()) return;
        var chosen = host.send(Wire.SELECT_FILE, [Strings.IMAGE_FILTER, "", model.image]);
        if (Wire.isPath(chosen)) {
            model.image = chosen;
            refresh();
        }
    }

    function removeImage() {
        model.image = "";
        refresh();
    }

    public function help() {
        host.send(Wire.OPEN_HELP, []);
    }

    function minimize() {
        host.send(Wire.MINIMIZE, []);
    }

    function maximize() {
        var reply = host.send(Wire.MAXIMIZE, []);
        if (reply != null)
            maximized = true;
        updateWindowButton();
    }

    function restore() {
        var reply = host.send(Wire.RESTORE, []);
        if (reply != null)
            maximized = reply == Wire.REPLY_MAXIMIZE;
        updateWindowButton();
    }

    function toggleMaximize() {
        if (maximized) restore(); else maximize();
    }

    public function exitApplication() {
        if (busy) return;
        // A question already on screen about this is enough.
        for (m in modals)
            if (m.name == "askSave")
                return;
        confirmDiscard(function() host.send(Wire.EXIT, []));
    }

    function confirmDiscard(then:Void->Void) {
        if (!isDirty()) {
            then();
            return;
        }
        var m = Modal.message(Strings.ASK_SAVE_TITLE, Strings.format(Strings.ASK_SAVE, [projectName()]), [
            {id: "askSave.save", label: Strings.YES_SAVE, action: function() save(false, function(ok) if (ok) then())},
            {id: "askSave.discard", label: Strings.NO_DISCARD, action: then},
            {id: "askSave.cancel", label: Strings.CANCEL, action: null}
        ], closeModal);
        m.name = "askSave";
        m.onEscape = function() closeModal(m);
        openModal(m);
    }

    function showMessage(title:String, text:String) {
        var m = Modal.message(title, text, [{id: "message.ok", label: Strings.OK, action: null}], closeModal);
        m.name = "message";
        m.onEscape = function() closeModal(m);
        openModal(m);
    }

    function openModal(m:Modal) {
        modals.push(m);
        addChild(m);
        m.layout(stageW, stageH);
    }

    function closeModal(m:Modal) {
        modals.remove(m);
        if (m.parent != null)
            m.parent.removeChild(m);
        if (m == publishPanel)
            publishPanel = null;
    }

    function canAct():Bool {
        return !busy && modals.length == 0;
    }

    // ---- Publishing.

    public function openPublishPanel() {
        if (!canAct()) return;
        var m = new Modal(Strings.PUBLISH_TITLE, 520, 486);
        m.name = "publish";
        publishPanel = m;
        var b = m.box;
        var intro = Theme.paragraph(Strings.PUBLISH_INTRO, 490, 12, Theme.MUTED);
        intro.x = 15;
        intro.y = 40;
        b.addChild(intro);

        var y = 82.0;
        var folder = addField(b, "publish.folder", Strings.OUTPUT_FOLDER, 15, y, 370, outputFolder);
        var browse = register(new Button("publish.browse", Strings.BROWSE, browseOutputFolder, 110));
        browse.x = 395;
        browse.y = y + 16;
        b.addChild(browse);
        y += 52;
        addField(b, "publish.swf", Strings.MOVIE_NAME, 15, y, 155, swfName);
        addField(b, "publish.page", Strings.PAGE_NAME, 182, y, 155, pageName);
        addField(b, "publish.xml", Strings.XML_NAME, 349, y, 156, xmlName);
        y += 58;

        var what = Theme.label(Strings.WHAT_TO_WRITE, 12, Theme.TEXT, true);
        what.x = 15;
        what.y = y;
        b.addChild(what);
        var only = register(new Button("publish.movieOnly", Strings.MOVIE_ONLY, function() { withPages = false; syncPublishChoices(); }, 160));
        var pages = register(new Button("publish.withPages", Strings.MOVIE_AND_PAGES, function() { withPages = true; syncPublishChoices(); }, 180));
        only.x = 15;
        pages.x = 183;
        only.y = pages.y = y + 20;
        b.addChild(only);
        b.addChild(pages);
        y += 56;
        var kind = Theme.label(Strings.PAGE_KIND, 12, Theme.TEXT, true);
        kind.x = 15;
        kind.y = y;
        b.addChild(kind);
        var embed = register(new Button("publish.embed", Strings.PAGES_EMBED, function() { scriptPages = false; syncPublishChoices(); }, 160));
        var script = register(new Button("publish.script", Strings.PAGES_SCRIPT, function() { scriptPages = true; syncPublishChoices(); }, 210));
        embed.x = 15;
        script.x = 183;
        embed.y = script.y = y + 20;
        b.addChild(embed);
        b.addChild(script);
        y += 56;
        var extras = Theme.label(Strings.EXTRAS, 12, Theme.TEXT, true);
        extras.x = 15;
        extras.y = y;
        b.addChild(extras);
        var bundled = register(new Button("publish.playerBundled", Strings.PLAYER_BUNDLED, function() { bundledPlayer = true; syncPublishChoices(); }, 165));
        var noPlayer = register(new Button("publish.playerNone", Strings.PLAYER_NONE, function() { bundledPlayer = false; syncPublishChoices(); }, 90));
        var html5 = register(new Button("publish.html5", Strings.HTML5_AD, function() { html5Creative = !html5Creative; syncPublishChoices(); }, 215));
        bundled.x = 15;
        noPlayer.x = 185;
        html5.x = 290;
        bundled.y = noPlayer.y = html5.y = y + 20;
        b.addChild(bundled);
        b.addChild(noPlayer);
        b.addChild(html5);
        y += 60;

        publishStatus = Theme.paragraph("", 490, 12, Theme.TEXT);
        publishStatus.x = 15;
        publishStatus.y = y;
        b.addChild(publishStatus);

        var openFolder = register(new Button("publish.openFolder", Strings.OPEN_FOLDER, openOutputFolder, 150));
        openFolder.x = 15;
        openFolder.y = m.boxHeight - 38;
        openFolder.enabled = false;
        b.addChild(openFolder);
        var preview = register(new Button("publish.preview", Strings.PREVIEW_IN_BROWSER, previewInBrowser, 150));
        preview.x = 173;
        preview.y = openFolder.y;
        b.addChild(preview);
        m.addButtonRow([
            register(new Button("publish.go", Strings.DO_PUBLISH, publish, 100)),
            register(new Button("publish.close", Strings.CLOSE, function() closeModal(m), 90))
        ]);
        m.onEscape = function() closeModal(m);
        syncPublishChoices();
        openModal(m);
        stage.focus = folder.field;
    }

    function addField(parent:Sprite, id:String, label:String, x:Float, y:Float, width:Float, value:String):TextInput {
        var l = Theme.label(label, 12, Theme.TEXT, true);
        l.x = x;
        l.y = y;
        parent.addChild(l);
        var f = new TextInput(id, width);
        f.x = x;
        f.y = y + 18;
        f.text = value;
        parent.addChild(f);
        inputs.set(id, f);
        return f;
    }

    function syncPublishChoices() {
        setSelected("publish.movieOnly", !withPages);
        setSelected("publish.withPages", withPages);
        setSelected("publish.embed", !scriptPages);
        setSelected("publish.script", scriptPages);
        setSelected("publish.playerBundled", bundledPlayer);
        setSelected("publish.playerNone", !bundledPlayer);
        setSelected("publish.html5", html5Creative);
        if (buttons.exists("publish.embed")) {
            buttons.get("publish.embed").enabled = withPages;
            buttons.get("publish.script").enabled = withPages;
        }
    }

    function browseOutputFolder() {
        var field = inputs.get("publish.folder");
        var chosen = host.send(Wire.SELECT_FOLDER, [StringTools.trim(field.text)]);
        if (Wire.isPath(chosen))
            field.typeText(chosen);
    }

    function readPublishFields():Bool {
        outputFolder = StringTools.trim(inputs.get("publish.folder").text);
        swfName = StringTools.trim(inputs.get("publish.swf").text);
        pageName = StringTools.trim(inputs.get("publish.page").text);
        xmlName = StringTools.trim(inputs.get("publish.xml").text);
        if (outputFolder == "") {
            showPublishStatus(Strings.PUBLISH_NEED_FOLDER, true);
            return false;
        }
        for (n in [swfName, pageName, xmlName]) {
            if (!PublishRules.isPlainFileName(n)) {
                showPublishStatus(Strings.format(Strings.PUBLISH_BAD_NAME, [n]), true);
                return false;
            }
        }
        return true;
    }

    function publish() {
        if (!readPublishFields())
            return;
        showPublishStatus(Strings.PUBLISHING, false);
        var reply = host.send(Wire.PUBLISH, [
            withPages ? "1" : "2",
            scriptPages ? "1" : "0",
            outputFolder,
            swfName,
            pageName,
            xmlName,
            bundledPlayer ? Wire.PLAYER_BUNDLED : Wire.PLAYER_NONE,
            html5Creative ? Wire.YES : Wire.NO
        ]);
        publishReply = reply == null ? "" : reply;
        lastPublishFolder = publishFolder();
        var ok = reply == Wire.REPLY_OK;
        showPublishStatus(PublishRules.describeReply(reply, lastPublishFolder), !ok);
        if (buttons.exists("publish.openFolder"))
            buttons.get("publish.openFolder").enabled = ok;
    }

    /** Publishes into a private folder of the host's and opens the HTML5 ad and the page in the browser. */
    function previewInBrowser() {
        showPublishStatus(Strings.PREVIEWING, false);
        var reply = host.send(Wire.PREVIEW_IN_BROWSER, []);
        var ok = reply == Wire.REPLY_OK;
        showPublishStatus(ok ? Strings.PREVIEW_OK : PublishRules.describeReply(reply, ""), !ok);
    }

    function publishFolder():String {
        return PublishRules.publishFolder(outputFolder, swfName);
    }

    function openOutputFolder() {
        host.send(Wire.OPEN_FOLDER, [lastPublishFolder != "" ? lastPublishFolder : outputFolder]);
    }

    function showPublishStatus(text:String, problem:Bool) {
        if (publishStatus != null) {
            publishStatus.textColor = problem ? Theme.ERROR : Theme.ACCENT;
            publishStatus.text = text;
        }
        setStatus(text);
    }

    // ---- Keyboard.

    public function handleKey(keyCode:Int, ctrl:Bool, shift:Bool):Bool {
        if (modals.length > 0) {
            var top = modals[modals.length - 1];
            if (keyCode == 27) {
                if (top.onEscape != null)
                    top.onEscape();
                return true;
            }
            // Return chooses the box's first button: Save, OK or Publish.
            if (keyCode == 13 && top.buttons.length > 0) {
                top.buttons[0].press();
                return true;
            }
            return false;
        }
        if (keyCode == 112) {
            help();
            return true;
        }
        if (!ctrl)
            return false;
        switch (keyCode) {
            case 78: newProject();
            case 79: openProject();
            case 83: saveCommand(shift);
            case 80: openPublishPanel();
            default: return false;
        }
        return true;
    }

    // ---- Building the screen.

    function register(b:Button):Button {
        buttons.set(b.id, b);
        return b;
    }

    function setSelected(id:String, on:Bool) {
        if (buttons.exists(id))
            buttons.get(id).selected = on;
    }

    function buildCaption() {
        caption = new Sprite();
        titleText = Theme.label("", 13, Theme.CAPTION_TEXT, true);
        titleText.x = 10;
        titleText.y = 5;
        caption.addChild(titleText);
        for (b in [
            Button.icon("caption.minimize", 20, 24, Icons.minimize, minimize),
            Button.icon("caption.maximize", 20, 24, Icons.maximize, toggleMaximize),
            Button.icon("caption.close", 20, 24, Icons.close, exitApplication)
        ]) {
            register(b);
            b.y = 2;
            caption.addChild(b);
        }
        addChild(caption);
    }

    function updateWindowButton() {
        buttons.get("caption.maximize").setIcon(maximized ? Icons.restore : Icons.maximize);
    }

    function buildToolbar() {
        toolbar = new Sprite();
        var x = 8.0;
        for (spec in [
            {id: "toolbar.new", label: Strings.NEW, action: newProject, gap: 0},
            {id: "toolbar.open", label: Strings.OPEN, action: openProject, gap: 0},
            {id: "toolbar.save", label: Strings.SAVE, action: function() saveCommand(false), gap: 0},
            {id: "toolbar.saveAs", label: Strings.SAVE_AS, action: function() saveCommand(true), gap: 16},
            {id: "toolbar.publish", label: Strings.PUBLISH, action: openPublishPanel, gap: 16},
            {id: "toolbar.help", label: Strings.HELP, action: help, gap: 0}
        ]) {
            var b = register(new Button(spec.id, spec.label, spec.action, 0, 28));
            b.x = x;
            b.y = 7;
            toolbar.addChild(b);
            x += b.buttonWidth + 6 + spec.gap;
        }
        addChild(toolbar);
    }

    function heading(parent:Sprite, text:String, y:Float):Float {
        var t = Theme.label(text, 13, Theme.CAPTION, true);
        t.x = 14;
        t.y = y;
        parent.addChild(t);
        return y + 22;
    }

    function place<T:flash.display.DisplayObject>(parent:Sprite, item:T, x:Float, y:Float):T {
        item.x = x;
        item.y = y;
        parent.addChild(item);
        return item;
    }

    /** A row of buttons that choose one value of a list; returns the y below it. */
    function choiceRow(parent:Sprite, prefix:String, values:Array<String>, labels:Array<String>, x:Float, y:Float, width:Float,
            choose:String->Void):Float {
        for (i in 0...values.length) {
            var value = values[i];
            place(parent, register(new Button(prefix + value, labels[i], function() choose(value), width)), x, y);
            x += width + 4;
        }
        return y + 32;
    }

    /** Swatches of common colours and a field for any other; returns the y below them. */
    function colourRow(parent:Sprite, id:String, palette:Array<Int>, y:Float, choose:Int->Void):Float {
        var x = 14.0;
        for (c in palette) {
            var colour = c;
            place(parent, register(new Swatch(id + "." + ProjectModel.colourText(c), c, function() {
                choose(colour);
                inputs.get(id).text = ProjectModel.colourText(colour);
            })), x, y + 2);
            x += 26;
        }
        var field = place(parent, new TextInput(id, 70, 1, "#0-9a-fA-F", 7), x + 8, y);
        inputs.set(id, field);
        field.onChange = function() {
            var colour = ProjectModel.parseColour(field.text, -1);
            if (colour < 0 || !StringTools.startsWith(field.text, "#")) {
                setStatus(Strings.BAD_COLOUR);
                return;
            }
            choose(colour);
        };
        return y + 32;
    }

    /** A numeric field that applies its value when it lies in the range, else explains the range. */
    function numberField(parent:Sprite, id:String, x:Float, y:Float, low:Int, high:Int, limits:String, apply:Int->Void):TextInput {
        var field = place(parent, new TextInput(id, 56, 1, "0-9", 5), x, y);
        inputs.set(id, field);
        field.onChange = function() {
            var v = Std.parseInt(field.text);
            if (v == null || v < low || v > high) {
                setStatus(limits);
                return;
            }
            apply(v);
        };
        return field;
    }

    function buildPanel() {
        panel = new Sprite();
        var x = 14.0;
        for (tab in [{id: "tab.banner", label: Strings.TAB_BANNER}, {id: "tab.text", label: Strings.TAB_TEXT}]) {
            var id = tab.id;
            var b = place(panel, register(new Button(id, tab.label, function() showTab(id), 148, 28)), x, 10);
            x += 152;
        }
        pages.set("tab.banner", buildBannerPage());
        pages.set("tab.text", buildTextPage());
        for (page in pages) {
            page.y = 48;
            panel.addChild(page);
        }
        hint = Theme.paragraph(Strings.STEP_PUBLISH, PANEL_W - 28, 12, Theme.MUTED);
        hint.x = 14;
        panel.addChild(hint);
        showTab("tab.banner");
        addChild(panel);
    }

    var pages = new Map<String, Sprite>();
    var hint:TextField;

    function showTab(id:String) {
        for (key in pages.keys()) {
            pages.get(key).visible = key == id;
            setSelected(key, key == id);
        }
    }

    function buildBannerPage():Sprite {
        var page = new Sprite();
        var y = heading(page, Strings.STEP_SIZE, 0);
        var x = 14.0;
        for (p in PRESETS) {
            var w = p.w;
            var h = p.h;
            place(page, register(new Button(p.id, p.label, function() setSize(w, h, true), 72)), x, y);
            x += 76;
        }
        place(page, register(new Button("presetCustom", Strings.PRESET_CUSTOM, function() stage.focus = inputs.get("width").field, 72)), x, y);
        y += 34;
        place(page, Theme.label(Strings.WIDTH, 12), 14, y + 3);
        var wf = place(page, new TextInput("width", 60, 1, "0-9", 4), 62, y);
        place(page, Theme.label(Strings.HEIGHT, 12), 136, y + 3);
        var hf = place(page, new TextInput("height", 60, 1, "0-9", 4), 184, y);
        place(page, Theme.label(Strings.PIXELS, 12, Theme.MUTED), 250, y + 3);
        inputs.set("width", wf);
        inputs.set("height", hf);
        wf.onChange = sizeTyped;
        hf.onChange = sizeTyped;
        y += 34;

        y = heading(page, Strings.BACKGROUND, y);
        y = colourRow(page, "bgColor", [0xFFFFFF, 0x000000, 0x1E3A5F, 0xB3261E, 0x2E7D32, 0xF2A900], y, function(c) {
            model.background = c;
            refresh();
        });
        y += 4;

        y = heading(page, Strings.STEP_IMAGE, y);
        place(page, register(new Button("chooseImage", Strings.CHOOSE_IMAGE, chooseImage, 130)), 14, y);
        place(page, register(new Button("removeImage", Strings.REMOVE_IMAGE, removeImage, 80)), 150, y);
        y += 32;
        imageName = place(page, Theme.paragraph(Strings.NO_IMAGE, PANEL_W - 28, 11, Theme.MUTED), 14, y);
        y += 32;
        place(page, Theme.label(Strings.FIT, 12), 14, y + 5);
        y = choiceRow(page, "fit.", ProjectModel.FITS, [Strings.FIT_COVER, Strings.FIT_CONTAIN, Strings.FIT_STRETCH], 62, y, 80, function(v) {
            model.fit = v;
            refresh();
        });
        y += 4;

        y = heading(page, Strings.STEP_EFFECT, y);
        y = choiceRow(page, "effect.", ProjectModel.EFFECTS, EFFECT_LABELS, 14, y, 72, function(v) {
            model.effect = v;
            refresh();
            preview.playEffect();
        });
        place(page, Theme.label(Strings.DURATION, 12), 14, y + 3);
        numberField(page, "duration", 80, y, 0, ProjectModel.MAX_DURATION,
            Strings.format(Strings.DURATION_LIMITS, [Std.string(ProjectModel.MAX_DURATION)]), function(v) {
                model.duration = v;
                refresh();
            });
        place(page, Theme.label(Strings.MILLISECONDS, 12, Theme.MUTED), 142, y + 3);
        return page;
    }

    function buildTextPage():Sprite {
        var page = new Sprite();
        var y = heading(page, Strings.HEADLINE, 0);
        var headline = place(page, new TextInput("headline", PANEL_W - 28, 3), 14, y);
        headline.onChange = function() {
            model.headline = headline.text;
            refresh();
        };
        inputs.set("headline", headline);
        y += 62;
        place(page, Theme.label(Strings.TEXT_COLOUR, 12), 14, y - 18 + 18);
        y += 18;
        y = colourRow(page, "headlineColor", [0xFFFFFF, 0x000000, 0x1E3A5F, 0xF2A900, 0xB3261E], y, function(c) {
            model.headlineColor = c;
            refresh();
        });
        place(page, Theme.label(Strings.TEXT_SIZE, 12), 14, y + 3);
        numberField(page, "headlineSize", 62, y, ProjectModel.MIN_FONT, ProjectModel.MAX_FONT,
            Strings.format(Strings.FONT_LIMITS, [Std.string(ProjectModel.MIN_FONT), Std.string(ProjectModel.MAX_FONT)]), function(v) {
                model.headlineSize = v;
                refresh();
            });
        place(page, Theme.label(Strings.PIXELS, 12, Theme.MUTED), 124, y + 3);
        place(page, register(new Button("headlineBold", Strings.BOLD, function() {
            model.headlineBold = !model.headlineBold;
            refresh();
        }, 70)), 170, y);
        y += 34;
        place(page, Theme.label(Strings.ALIGN, 12), 14, y + 5);
        y = choiceRow(page, "align.", ProjectModel.ALIGNS, [Strings.ALIGN_LEFT, Strings.ALIGN_CENTER, Strings.ALIGN_RIGHT], 62, y, 74,
            function(v) {
                model.headlineAlign = v;
                refresh();
            });
        place(page, Theme.label(Strings.POSITION, 12), 14, y + 5);
        y = choiceRow(page, "valign.", ProjectModel.VALIGNS, [Strings.VALIGN_TOP, Strings.VALIGN_MIDDLE, Strings.VALIGN_BOTTOM], 62, y,
            74, function(v) {
                model.headlineVAlign = v;
                refresh();
            });
        y += 6;
        y = heading(page, Strings.LINK, y);
        var link = place(page, new TextInput("link", PANEL_W - 28), 14, y);
        link.onChange = function() {
            var text = StringTools.trim(link.text);
            // Only web and mail links open; a script link would run in the page showing the banner.
            model.link = ProjectModel.isAllowedLink(text) ? text : "";
            if (text != "" && model.link == "")
                setStatus(Strings.LINK_REFUSED);
            refresh();
        };
        inputs.set("link", link);
        y += 28;
        place(page, Theme.paragraph(Strings.LINK_HINT, PANEL_W - 28, 11, Theme.MUTED), 14, y);
        return page;
    }

    function buildPreview() {
        previewBox = new Sprite();
        var t = Theme.label(Strings.PREVIEW, 13, Theme.CAPTION, true);
        t.x = 14;
        t.y = 10;
        previewBox.addChild(t);
        var replay = register(new Button("replay", Strings.REPLAY, function() preview.playEffect(), 100));
        replay.y = 6;
        previewBox.addChild(replay);
        preview = new Preview();
        preview.x = 14;
        preview.y = 40;
        previewBox.addChild(preview);
        addChild(previewBox);
    }

    function buildStatusBar() {
        statusBar = new Sprite();
        statusText = Theme.label("", 12, Theme.MUTED);
        statusText.x = 10;
        statusText.y = 4;
        statusBar.addChild(statusText);
        addChild(statusBar);
    }

    function layout(w:Float, h:Float) {
        stageW = Math.max(w, 400);
        stageH = Math.max(h, 300);
        var g = graphics;
        g.clear();
        g.beginFill(Theme.BACKGROUND);
        g.drawRect(0, 0, stageW, stageH);
        g.endFill();

        caption.graphics.clear();
        caption.graphics.beginFill(Theme.CAPTION);
        caption.graphics.drawRect(0, 0, stageW, CAPTION_H);
        caption.graphics.endFill();
        var right = stageW - CAPTION_BUTTONS_W;
        buttons.get("caption.minimize").x = right;
        buttons.get("caption.maximize").x = right + 21;
        buttons.get("caption.close").x = right + 42;

        toolbar.y = CAPTION_H;
        toolbar.graphics.clear();
        toolbar.graphics.beginFill(Theme.PANEL);
        toolbar.graphics.drawRect(0, 0, stageW, TOOLBAR_H);
        toolbar.graphics.endFill();
        toolbar.graphics.lineStyle(1, Theme.PANEL_LINE);
        toolbar.graphics.moveTo(0, TOOLBAR_H - 0.5);
        toolbar.graphics.lineTo(stageW, TOOLBAR_H - 0.5);

        var top = CAPTION_H + TOOLBAR_H;
        var bodyH = stageH - top - STATUS_H;
        panel.y = top;
        panel.graphics.clear();
        panel.graphics.beginFill(Theme.PANEL);
        panel.graphics.drawRect(0, 0, PANEL_W, bodyH);
        panel.graphics.endFill();
        panel.graphics.lineStyle(1, Theme.PANEL_LINE);
        panel.graphics.moveTo(PANEL_W - 0.5, 0);
        panel.graphics.lineTo(PANEL_W - 0.5, bodyH);
        hint.y = Math.max(430, bodyH - hint.height - 10);

        previewBox.x = PANEL_W;
        previewBox.y = top;
        var previewW = stageW - PANEL_W;
        buttons.get("replay").x = previewW - 114;
        preview.setArea(previewW - 28, bodyH - 50);

        statusBar.y = stageH - STATUS_H;
        statusBar.graphics.clear();
        statusBar.graphics.beginFill(Theme.PANEL);
        statusBar.graphics.drawRect(0, 0, stageW, STATUS_H);
        statusBar.graphics.endFill();
        statusBar.graphics.lineStyle(1, Theme.PANEL_LINE);
        statusBar.graphics.moveTo(0, 0.5);
        statusBar.graphics.lineTo(stageW, 0.5);

        for (m in modals)
            m.layout(stageW, stageH);
    }

    // ---- Model and view.

    function setSize(w:Int, h:Int, updateFields:Bool) {
        model.width = ProjectModel.clampSize(w);
        model.height = ProjectModel.clampSize(h);
        if (updateFields) {
            inputs.get("width").text = Std.string(model.width);
            inputs.get("height").text = Std.string(model.height);
        }
        refresh();
    }

    function sizeTyped() {
        var w = Std.parseInt(inputs.get("width").text);
        var h = Std.parseInt(inputs.get("height").text);
        if (w == null || h == null || w < ProjectModel.MIN_SIZE || h < ProjectModel.MIN_SIZE || w > ProjectModel.MAX_SIZE
            || h > ProjectModel.MAX_SIZE) {
            setStatus(Strings.format(Strings.SIZE_LIMITS, [Std.string(ProjectModel.MIN_SIZE), Std.string(ProjectModel.MAX_SIZE)]));
            return;
        }
        setSize(w, h, false);
    }

    /** Puts the model's values into the input fields (after new and open). */
    function syncFields() {
        inputs.get("width").text = Std.string(model.width);
        inputs.get("height").text = Std.string(model.height);
        inputs.get("headline").text = model.headline;
        inputs.get("link").text = model.link;
        inputs.get("bgColor").text = ProjectModel.colourText(model.background);
        inputs.get("headlineColor").text = ProjectModel.colourText(model.headlineColor);
        inputs.get("headlineSize").text = Std.string(model.headlineSize);
        inputs.get("duration").text = Std.string(model.duration);
    }

    function refresh() {
        var preset = "presetCustom";
        for (p in PRESETS)
            if (p.w == model.width && p.h == model.height)
                preset = p.id;
        for (p in PRESETS)
            setSelected(p.id, p.id == preset);
        setSelected("presetCustom", preset == "presetCustom");
        selectOne("effect.", ProjectModel.EFFECTS, model.effect);
        selectOne("fit.", ProjectModel.FITS, model.fit);
        selectOne("align.", ProjectModel.ALIGNS, model.headlineAlign);
        selectOne("valign.", ProjectModel.VALIGNS, model.headlineVAlign);
        setSelected("headlineBold", model.headlineBold);
        for (key in buttons.keys()) {
            var b = buttons.get(key);
            if (Std.isOfType(b, Swatch)) {
                var colour = StringTools.startsWith(key, "bgColor.") ? model.background : model.headlineColor;
                b.selected = cast(b, Swatch).colour == colour;
            }
        }
        imageName.text = model.image == "" ? Strings.NO_IMAGE : model.image;
        buttons.get("removeImage").enabled = model.image != "";
        titleText.text = Strings.format(Strings.TITLE, [Strings.APP_TITLE, projectName()]) + (isDirty() ? Strings.MODIFIED_MARK : "");
        preview.show(model);
    }

    function selectOne(prefix:String, values:Array<String>, chosen:String) {
        for (v in values)
            setSelected(prefix + v, v == chosen);
    }

    function projectName():String {
        return projectPath == "" ? Strings.NEW_PROJECT_NAME : ProjectModel.fileName(projectPath);
    }

    function isDirty():Bool {
        return model.toXml() != savedXml;
    }

    function setStatus(text:String) {
        status = text;
        statusText.text = StringTools.replace(text, "\n", " ");
    }

    // ---- Test-only entry point, offered to the page only when the movie runs in test mode.

    function testDrive(op:Dynamic, a:Dynamic, b:Dynamic):String {
        var arg = a == null ? "" : Std.string(a);
        var value = b == null ? "" : Std.string(b);
        switch (Std.string(op)) {
            case "click":
                var button = modals.length > 0 ? modals[modals.length - 1].findButton(arg) : null;
                if (button == null && buttons.exists(arg) && reachable(buttons.get(arg)))
                    button = buttons.get(arg);
                if (button == null)
                    return "missing";
                return button.press() ? "ok" : "disabled";
            case "type":
                if (!inputs.exists(arg) || !reachable(inputs.get(arg)))
                    return "missing";
                inputs.get(arg).typeText(value);
                return "ok";
            case "key":
                var parts = arg.toLowerCase().split("+");
                var key = parts[parts.length - 1];
                var code = key == "f1" ? 112 : (key == "esc" ? 27 : (key == "enter" ? 13 : key.toUpperCase().charCodeAt(0)));
                return handleKey(code, parts.indexOf("ctrl") >= 0, parts.indexOf("shift") >= 0) ? "ok" : "ignored";
            case "state":
                return haxe.Json.stringify({
                    title: titleText.text,
                    dirty: isDirty(),
                    busy: busy,
                    path: projectPath,
                    status: status,
                    dialog: modals.length > 0 ? modals[modals.length - 1].name : "",
                    dialogText: modals.length > 0 ? modals[modals.length - 1].messageText : "",
                    width: model.width,
                    height: model.height,
                    image: model.image,
                    headline: model.headline,
                    link: model.link,
                    effect: model.effect,
                    xml: model.toXml(),
                    imageState: preview.imageState,
                    imageSize: preview.imageSize,
                    frameRate: Pace.rate(),
                    previewScale: preview.scale,
                    maximized: maximized,
                    outputFolder: outputFolder,
                    swfName: swfName,
                    pageName: pageName,
                    publishReply: publishReply,
                    publishStatus: publishStatus != null ? publishStatus.text : "",
                    fields: {
                        width: inputs.get("width").text,
                        height: inputs.get("height").text,
                        headline: inputs.get("headline").text,
                        link: inputs.get("link").text
                    },
                    selected: [for (k in buttons.keys()) if (buttons.get(k).selected && reachable(buttons.get(k))) k]
                });
            default:
                return "unknown";
        }
    }

    /** Whether a widget can be reached by the user now: on screen, and not under a modal box. */
    function reachable(w:flash.display.DisplayObject):Bool {
        var top:flash.display.DisplayObject = modals.length > 0 ? modals[modals.length - 1] : this;
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
