// The editor's screen: caption strip, toolbar, the sizes and layers column, the banner, the
// properties panel and the status line; the dialogs over them; the keyboard. What the parts do is in
// EditorSession (the banner and its history), Commands (every command) and HostController (the host).
import flash.display.Sprite;
import flash.display.Stage;
import flash.events.Event;
import flash.events.KeyboardEvent;
import flash.events.TextEvent;
import flash.text.TextField;
import flash.text.TextFieldType;
import ui.Button;
import ui.Modal;
import ui.Theme;
import ui.Widgets;
import views.ArrangeBar;
import views.CenterView;
import views.ExportPanel;
import views.FeedPanel;
import views.LayerList;
import views.PropertiesPanel;
import views.PublishPanel;
import views.SizesPanel;
import views.Toolbar;

class Editor extends Sprite implements HostController.Shell implements Commands.CommandHost {
    // Layout. The host moves the window when the pointer is pressed in the caption strip, which it
    // takes to be y 5 to 23 and left of the last 65 pixels; the caption buttons sit in those pixels.
    static inline var CAPTION_H = 28;
    static inline var CAPTION_BUTTONS_W = 63;
    static inline var STATUS_H = 24;

    public var session(default, null):EditorSession;
    public var controller(default, null):HostController;
    public var commands(default, null):Commands;
    public var widgets(default, null):Widgets;
    public var modals(default, null):Array<Modal> = [];
    public var statusLine(default, null):String = "";
    public var titleText(default, null):TextField;
    public var center(default, null):CenterView;

    var caption:Sprite;
    var toolbar:Toolbar;
    var arrangeBar:ArrangeBar;
    var sizes:SizesPanel;
    var layers:LayerList;
    var properties:PropertiesPanel;
    var statusBar:Sprite;
    var statusText:TextField;
    var publishPanel:PublishPanel;
    var feedPanel:FeedPanel;
    /** The feed loaded in the feed panel, kept while the panel is closed. */
    public var feed(default, null):FeedSession;
    var exportPanel:ExportPanel;
    /** The export running or last run, and the choices it was made with, kept while the panel is closed. */
    public var exportJob(default, null):ExportSession;
    var exportChoices:ExportSession.ExportChoices = {format: "gif", folder: "", sizes: [], at: "", fps: "5", maxKb: "150"};
    /** The buttons that run commands, enabled while their command can be used. */
    var commandButtons = new Map<String, {button:Button, command:String}>();
    /** Whether the last key went down with Ctrl (and without Alt, which with Ctrl is AltGr). */
    var ctrlChord = false;
    var stageW:Float = 1000;
    var stageH:Float = 640;
    var lastSelected:String = "";

    public function new(host:HostLink) {
        super();
        widgets = new Widgets();
        // The keys go to the editor itself when no field has them; no focus frame is drawn for that.
        focusRect = false;
        session = new EditorSession(BannerDocument.blank(300, 250));
        controller = new HostController(host, session, this);
        commands = new Commands(session, this);
        feed = new FeedSession(host);
        exportJob = new ExportSession(host);
        center = new CenterView(session, widgets);
        if (host.available) {
            center.canvas.userFaceMovie = controller.fontMovie;
            views.EditorSurface.hostPicture = controller.textPicture;
        }
        build();
        session.listen(function() refresh(session.changed));
        refresh();
        status(host.available ? Strings.READY : Strings.STATUS_NO_HOST);
        LocalFiles.onRefused = status;
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
        Pace.start(stage, controller.link());
        if (testMode)
            controller.offer("editorTest", new TestDriver(this).drive);
        controller.start();
    }

    // ---- Building the screen.

    function build() {
        removeChildren();
        commandButtons = new Map();
        caption = new Sprite();
        widgets.beginGroup(100);
        titleText = Theme.label("", 13, Theme.CAPTION_TEXT, true);
        titleText.x = 10;
        titleText.y = 5;
        caption.addChild(titleText);
        for (b in [
            Button.icon("caption.minimize", 20, 24, Icons.minimize, controller.minimize),
            Button.icon("caption.maximize", 20, 24, controller.maximized ? Icons.restore : Icons.maximize, controller.toggleMaximize),
            Button.icon("caption.close", 20, 24, Icons.close, exitApplication)
        ]) {
            widgets.button(b);
            b.y = 2;
            caption.addChild(b);
        }
        addChild(caption);
        toolbar = new Toolbar(widgets, commandButton, chooseLanguage);
        addChild(toolbar);
        sizes = new SizesPanel(session, widgets, commandButton);
        addChild(sizes);
        layers = new LayerList(session, widgets, commandButton);
        addChild(layers);
        addChild(center);
        widgets.beginGroup(1500);
        arrangeBar = new ArrangeBar(commandIcon);
        addChild(arrangeBar);
        views.Form.picker = openColourPicker;
        properties = new PropertiesPanel(session, widgets, {
            status: status,
            withdraw: function(text) if (statusLine == text) status(""),
            command: function(id) commands.run(id),
            chooseBackground: chooseBackground,
            chooseElementImage: chooseElementImage,
            addFont: addFont
        });
        addChild(properties);
        statusBar = new Sprite();
        statusText = Theme.label("", 12, Theme.MUTED);
        statusText.x = 10;
        statusText.y = 4;
        statusBar.addChild(statusText);
        addChild(statusBar);
        for (m in modals)
            addChild(m);
        layout(stageW, stageH);
    }

    /** A button that runs a command of the table, labelled and enabled by it. */
    function commandButton(id:String, command:String, width:Float):Button {
        var c = commands.get(command);
        var b = widgets.button(new Button(id, Commands.labelOf(c), function() commands.run(command), width, 28));
        b.enabled = c.enabled();
        // By id: a part built again replaces its buttons.
        commandButtons.set(id, {button: b, command: command});
        return b;
    }

    /** A command's button drawn as an icon; the pointer over it shows its name and keys on the status line. */
    function commandIcon(id:String, command:String, draw:flash.display.Sprite->Int->Void):Button {
        var c = commands.get(command);
        var b = widgets.button(Button.icon(id, 26, 26, draw, function() commands.run(command), false));
        b.enabled = c.enabled();
        commandButtons.set(id, {button: b, command: command});
        var tip = "";
        b.addEventListener(flash.events.MouseEvent.MOUSE_OVER, function(_) {
            tip = Commands.tipOf(c);
            status(tip);
        });
        b.addEventListener(flash.events.MouseEvent.MOUSE_OUT, function(_) if (statusLine == tip) status(""));
        return b;
    }

    function layout(w:Float, h:Float) {
        stageW = Math.max(w, 700);
        stageH = Math.max(h, 480);
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
        widgets.buttons.get("caption.minimize").x = right;
        widgets.buttons.get("caption.maximize").x = right + 21;
        widgets.buttons.get("caption.close").x = right + 42;

        toolbar.y = CAPTION_H;
        toolbar.setWidth(stageW);
        var top = CAPTION_H + Toolbar.HEIGHT;
        var bodyH = stageH - top - STATUS_H;
        sizes.y = top;
        layers.y = top + sizes.panelHeight;
        layers.setHeight(bodyH - sizes.panelHeight);
        properties.x = stageW - PropertiesPanel.WIDTH;
        properties.y = top;
        properties.setHeight(bodyH);
        arrangeBar.x = LayerList.WIDTH;
        arrangeBar.y = top;
        arrangeBar.setWidth(stageW - LayerList.WIDTH - PropertiesPanel.WIDTH);
        center.x = LayerList.WIDTH;
        center.y = top + ArrangeBar.HEIGHT;
        center.setArea(stageW - LayerList.WIDTH - PropertiesPanel.WIDTH, bodyH - ArrangeBar.HEIGHT);

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

    /**
        Follows the session and the dialogs: title, commands, panels. changed: only these elements
        changed since the last refresh (null: anything may have).
    **/
    function refresh(?changed:Array<BannerDocument.BannerElement>) {
        titleText.text = Strings.format(Strings.TITLE, [Strings.APP_TITLE, controller.projectName()])
            + (session.readOnly ? Strings.READ_ONLY_MARK : (session.dirty ? Strings.MODIFIED_MARK : ""));
        for (cb in commandButtons) {
            cb.button.enabled = commands.isEnabled(cb.command);
            var c = commands.get(cb.command);
            if (c.checked != null)
                cb.button.selected = c.checked();
        }
        if (sizes.update(changed))
            layout(stageW, stageH);
        layers.update(changed);
        var chosen = session.selection.join(",");
        if (chosen != lastSelected) {
            lastSelected = chosen;
            properties.selectionChanged();
        } else {
            properties.update();
        }
        // A field that had the keyboard focus may have gone with the panel it was on; the keys
        // then go to the editor, so that its shortcuts still work.
        if (stage != null && (stage.focus == null || stage.focus.stage == null))
            stage.focus = this;
    }

    // ---- Shell: what the host conversation shows.

    public function status(text:String) {
        statusLine = text;
        statusText.text = StringTools.replace(text, "\n", " ");
    }

    public function showStatus(text:String) {
        status(text);
    }

    public function message(title:String, text:String) {
        openModal(dialogs.Questions.message(title, text, closeModal));
    }

    public function askSave(name:String, save:Void->Void, discard:Void->Void) {
        openModal(dialogs.Questions.askSave(name, save, discard, closeModal));
    }

    public function askRecover(recover:Void->Void, discard:Void->Void) {
        openModal(dialogs.Questions.askRecover(recover, discard, closeModal));
    }

    public function hasDialog(name:String):Bool {
        for (m in modals)
            if (m.name == name)
                return true;
        return false;
    }

    public function canAct():Bool {
        return !controller.busy && modals.length == 0;
    }

    public function windowChanged() {
        widgets.buttons.get("caption.maximize").setIcon(controller.maximized ? Icons.restore : Icons.maximize);
    }

    /** The whole screen is built again in the new language; the banner and its history stay. */
    public function languageChanged() {
        var panelOpen = publishPanel != null;
        var feedOpen = feedPanel != null;
        var exportOpen = exportPanel != null;
        for (m in modals.copy())
            closeModal(m);
        center.rebuild();
        build();
        refresh();
        if (panelOpen)
            openPublishPanel();
        if (feedOpen)
            openFeedPanel();
        if (exportOpen)
            openExportPanel();
    }

    public function publishSettingsChanged() {
        if (publishPanel != null)
            publishPanel.sync();
    }

    function chooseLanguage(code:String) {
        if (code != Strings.language)
            controller.setLanguage(code);
    }

    // ---- Dialogs.

    public function openModal(m:Modal) {
        session.settle();
        modals.push(m);
        addChild(m);
        m.layout(stageW, stageH);
        // Tab goes round the dialog's own buttons and fields only; its first button has the keys.
        var order = 9800;
        for (b in m.buttons)
            if (b.tabIndex < 0) {
                b.tabEnabled = true;
                b.tabIndex = order++;
            }
        followDialogs();
        if (stage != null && m.buttons.length > 0)
            stage.focus = m.buttons[0];
        refresh();
    }

    public function closeModal(m:Modal) {
        modals.remove(m);
        if (m.parent != null)
            m.parent.removeChild(m);
        if (m == publishPanel)
            publishPanel = null;
        if (m == feedPanel)
            feedPanel = null;
        if (m == exportPanel)
            exportPanel = null;
        followDialogs();
        if (stage != null && modals.length == 0)
            stage.focus = this;
        refresh();
    }

    /** Only the top dialog (or, without one, the editor) can be reached with Tab. */
    function followDialogs() {
        var top = modals.length > 0 ? modals[modals.length - 1] : null;
        for (i in 0...numChildren) {
            var c = getChildAt(i);
            if (Std.isOfType(c, flash.display.DisplayObjectContainer))
                (cast c : flash.display.DisplayObjectContainer).tabChildren = top == null || c == top;
        }
    }

    // ---- CommandHost: the commands that need the host or a dialog.

    public function newProject() {
        controller.newProject();
    }

    public function openProject() {
        controller.openProject();
    }

    public function saveProject(saveAs:Bool) {
        controller.save(saveAs);
    }

    public function help() {
        controller.help();
    }

    public function exitApplication() {
        controller.exitApplication();
    }

    public function openPublishPanel() {
        publishPanel = new PublishPanel(controller, widgets, closeModal, status, function() {
            closeModal(publishPanel);
            openFeedPanel();
        }, function() {
            closeModal(publishPanel);
            openExportPanel();
        });
        openModal(publishPanel);
        if (stage != null)
            stage.focus = publishPanel.focusFirst;
    }

    public function openRecent() {
        var d = new dialogs.RecentDialog(controller.recentProjects(), widgets, controller.openRecent, function(path) {
            controller.forgetRecent(path);
            openRecent();
        }, closeModal);
        openModal(d);
        if (stage != null)
            stage.focus = d.focusFirst;
    }

    public function editNewText() {
        if (session.selectedElement() == null || stage == null)
            return;
        session.flush(); // the new text's fields are made
        properties.showTab("element");
        var input = widgets.inputs.get("label");
        if (input == null)
            return;
        stage.focus = input.field;
        input.field.setSelection(0, input.field.text.length);
    }

    public function openFeedPanel() {
        feedPanel = new FeedPanel(feed, session, controller, widgets, closeModal, status, function() return center.canvas.folder);
        openModal(feedPanel);
    }

    public function openExportPanel() {
        exportPanel = new ExportPanel(exportJob, exportChoices, [for (s in session.doc.sizes) s.width + "x" + s.height], controller, widgets,
            closeModal, status);
        openModal(exportPanel);
    }

    public function toggleAllSizes() {
        center.showAllSizes(!center.allSizesShown);
    }

    public function toggleActualSize() {
        var canvas = center.canvas;
        canvas.actualSize = !canvas.actualSize;
    }

    /** The colour picker for a property; the colour chosen is one step. */
    function openColourPicker(caption:String, current:Null<Int>, choose:Int->Void) {
        var canvas = center.canvas;
        var d = new dialogs.ColourDialog(caption, current, Palette.usedIn(session.doc), widgets, choose, closeModal,
            canvas.canReadPixels() ? canvas.colourAt : null);
        openModal(d);
    }

    public function openAddSize() {
        var d = new dialogs.AddSizeDialog(session, widgets, closeModal);
        openModal(d);
        if (stage != null && d.focusFirst != null)
            stage.focus = d.focusFirst;
    }

    public function projectFile():String {
        return controller.projectPath;
    }

    public function shareCopied(fragment:String) {
        controller.shareCopied(fragment);
    }

    public function bringFont(path:String):Null<BannerDocument.UserFont> {
        return controller.bringFont(path);
    }

    public function sharedFragment():Null<String> {
        return controller.sharedFragment();
    }

    public function sharesClipboard():Bool {
        return controller.sharesClipboard();
    }

    public function zoom(step:Int) {
        center.canvas.zoomStep(step);
        status(Strings.format(Strings.STATUS_ZOOM, [Std.string(Math.round(center.canvas.scale * 100))]));
    }

    public function toggleGrid() {
        center.canvas.grid = !center.canvas.grid;
        refresh();
    }

    public function gridShown():Bool {
        return center.canvas.grid;
    }

    /** Where the layer list's rows are on the stage (for the tests). */
    public function layerRows():Array<Dynamic> {
        return layers.rowPlaces();
    }

    public function renameLayer() {
        layers.rename();
    }

    public function offersTextEntry():Bool {
        return controller.offersTextEntry();
    }

    public function typeText() {
        var e = session.selectedElement();
        if (e == null || (e.kind != Text && e.kind != Button))
            return;
        var what = e.kind == Text ? Strings.CONTENT : Strings.LABEL;
        var typed = controller.enterText(e.label, what, e.kind == Text, BannerDocument.MAX_LABEL);
        if (typed != null && typed != e.label)
            Edits.element(session, what, function(el) el.label = typed);
    }

    public function showShortcuts() {
        openModal(dialogs.ShortcutsDialog.open(commands, closeModal));
    }

    public function addImage() {
        var chosen = controller.chooseImage("");
        if (chosen != null)
            Edits.add(session, Image, null, chosen);
    }

    function chooseBackground() {
        if (!canAct())
            return;
        var chosen = controller.chooseImage(session.doc.image);
        if (chosen != null)
            Edits.banner(session, Strings.BACKGROUND_IMAGE, function(d) d.image = chosen);
    }

    /**
        A face file of the user's: chosen, copied beside the project by the host, added to the
        project and given to the selected texts, in one step; its licence is the user's to mind.
    **/
    function addFont() {
        if (!canAct())
            return;
        var added = controller.addFont();
        if (added == null)
            return;
        Edits.addFont(session, added.family, added.src);
        message(Strings.ADD_FONT_TITLE, Strings.format(Strings.FONT_LICENCE, [added.family]));
    }

    function chooseElementImage() {
        var e = session.selectedElement();
        if (!canAct() || e == null)
            return;
        var chosen = controller.chooseImage(e.src);
        if (chosen != null)
            Edits.element(session, Strings.IMAGE_FILE, function(el) el.src = chosen);
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
        // Escape from one member of a group alone goes back to the whole group.
        if (keyCode == 27 && !ctrl && !shift && !typingInField() && session.leaveMember())
            return true;
        // Delete in a field deletes text there; so do the clipboard's keys and Ctrl+A select its text.
        if (typingInField() && ((keyCode == 46 && !ctrl) || (ctrl && !shift && [65, 67, 86, 88].indexOf(keyCode) >= 0)))
            return false;
        var c = commands.forKey(keyCode, ctrl, shift);
        if (c == null)
            return false;
        commands.run(c.id);
        return true;
    }

    function typingInField():Bool {
        if (stage == null || stage.focus == null || !Std.isOfType(stage.focus, TextField))
            return false;
        return cast(stage.focus, TextField).type == TextFieldType.INPUT;
    }
}
