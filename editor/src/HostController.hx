// The editor's conversation with the host program: new, open, save, publish, the window, the help,
// the language, and the functions the host calls in the movie. The screen is reached through Shell.
import haxe.Timer;

interface Shell {
    function status(text:String):Void;
    function message(title:String, text:String):Void;
    /** The unsaved-changes question: Save, Don't save or Cancel (which does nothing). */
    function askSave(name:String, save:Void->Void, discard:Void->Void):Void;
    /** Work an ended run left behind: Recover or Discard. */
    function askRecover(recover:Void->Void, discard:Void->Void):Void;
    function hasDialog(name:String):Bool;
    /** No dialog open and no file being read. */
    function canAct():Bool;
    function windowChanged():Void;
    function languageChanged():Void;
    function publishSettingsChanged():Void;
}

class HostController {
    public var projectPath(default, null):String = "";
    public var busy(default, null) = false;
    public var maximized(default, null) = false;

    // Output settings: pushed by the host, then what the user chose in the publish panel.
    public var outputFolder:String = "";
    public var swfName:String = "banner.swf";
    public var pageName:String = "banner.html";
    public var xmlName:String = "template.xml";
    public var withPages = true;
    public var scriptPages = false;
    public var bundledPlayer = true;
    public var html5Creative = true;
    /** The banner movie, its component, the pages and their player; off for an HTML5-only upload. */
    public var swfOutputs = true;
    public var publishReply(default, null):String = "";
    public var lastPublishFolder(default, null):String = "";

    var host:HostLink;
    var session:EditorSession;
    // The text of a project opened read-only, as the file holds it.
    var readOnlyText:Null<String> = null;
    var shell:Shell;
    var keeping:WorkKeeping;

    public function new(host:HostLink, session:EditorSession, shell:Shell) {
        this.host = host;
        this.session = session;
        this.shell = shell;
        keeping = new WorkKeeping(session, host);
    }

    public function link():HostLink {
        return host;
    }

    public var available(get, never):Bool;

    function get_available():Bool {
        return host.available;
    }

    /** Offers the movie's functions and asks the host how the editor was started. */
    public function start() {
        host.offer(Wire.FN_OUTPUT_SETTINGS, onOutputSettings);
        host.offer(Wire.FN_PROJECT_XML, onProjectXmlRequest);
        host.offer(Wire.FN_WINDOW_CONTROL, onWindowControl);
        host.offer(Wire.FN_HAND_OVER, onHandOver);
        var started = host.send(Wire.START_INFO, []);
        if (Wire.isPath(started) && started != Wire.REPLY_NEW)
            openFile(started);
        whenFree(offerKeptWork);
    }

    /** Runs then once no box is open and no file is being read. */
    function whenFree(then:Void->Void) {
        function attempt() {
            if (!shell.canAct()) {
                Timer.delay(attempt, 300);
                return;
            }
            then();
        }
        Timer.delay(attempt, 1);
    }

    /**
        Work that a run which ended without closing left behind is offered back, one piece at a
        time. Recovered, it replaces the banner on screen (after the unsaved-changes question) as a
        new project that is not saved yet.
    **/
    function offerKeptWork() {
        var name = keeping.leftBehind();
        if (name == null)
            return;
        shell.askRecover(function() confirmDiscard(function() {
            var text = keeping.recover(name);
            var doc = text == null ? null : BannerDocument.parse(text);
            if (doc == null || !doc.isProject) {
                shell.message(Strings.ERROR_TITLE, Strings.RECOVER_FAILED);
                return;
            }
            host.send(Wire.NEW_PROJECT, []);
            projectPath = "";
            readOnlyText = doc.overLimits.length > 0 ? text : null;
            session.reset(doc, false);
            shell.status(Strings.STATUS_RECOVERED);
            whenFree(offerKeptWork);
        }), function() {
            keeping.discard(name);
            shell.status(Strings.STATUS_DISCARDED);
            whenFree(offerKeptWork);
        });
    }

    /** Hands the unsaved work to the host at once (tests, and before anything risky). */
    public function keepWorkNow() {
        keeping.keepNow();
    }

    public function offer(name:String, fn:Dynamic) {
        host.offer(name, fn);
    }

    // ---- Functions the host calls. They only read or store state, so they are safe to run while one
    // of the editor's own commands is still waiting for its reply.

    function onOutputSettings(folder:Dynamic, swf:Dynamic, html:Dynamic, ?player:Dynamic, ?html5:Dynamic, ?movie:Dynamic):String {
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
        if (movie != null && Std.string(movie) != "")
            swfOutputs = Std.string(movie) != Wire.NO;
        shell.publishSettingsChanged();
        return Wire.REPLY_OK;
    }

    /** The project, the publish copy and the custom template are one text, always format version 2. */
    function onProjectXmlRequest(kind:Dynamic):String {
        session.settle();
        // A document read only in part is never handed over in place of the file: the host gets
        // the file's own text, which it refuses to publish for the same reason.
        if (session.readOnly && readOnlyText != null)
            return readOnlyText;
        return session.doc.toXml();
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
        whenFree(function() confirmDiscard(function() {
            var chosen = host.send(Wire.OPEN_HANDED, [handed]);
            if (Wire.isPath(chosen))
                openFile(chosen);
        }));
        return Wire.REPLY_OK;
    }

    // ---- Projects.

    public function newProject() {
        confirmDiscard(function() {
            host.send(Wire.NEW_PROJECT, []);
            readOnlyText = null;
            session.reset(BannerDocument.blank(300, 250), true);
            projectPath = "";
            shell.status(Strings.STATUS_NEW);
        });
    }

    public function openProject() {
        confirmDiscard(function() {
            var chosen = host.send(Wire.SELECT_FILE, [Strings.PROJECT_FILTER, Wire.OPEN_PROJECT_MODE, ""]);
            if (Wire.isPath(chosen))
                openFile(chosen);
        });
    }

    /** The projects opened and saved last, newest first (none without a host that keeps them). */
    public function recentProjects():Array<dialogs.RecentDialog.RecentProject> {
        var reply = host.send(Wire.RECENT_PROJECTS, []);
        return reply == null || reply == Wire.REPLY_FALSE ? [] : dialogs.RecentDialog.parse(reply);
    }

    /** Opens a project of the list, after the unsaved-changes question. */
    public function openRecent(path:String) {
        confirmDiscard(function() {
            var chosen = host.send(Wire.OPEN_RECENT, [path]);
            if (Wire.isPath(chosen))
                openFile(chosen);
            else
                shell.message(Strings.ERROR_TITLE, Strings.format(Strings.RECENT_GONE, [path]));
        });
    }

    /** Whether the host shares the desktop's clipboard; asked once. */
    public function sharesClipboard():Bool {
        if (sharedClipboard == null)
            sharedClipboard = host.send(Wire.COPY_ELEMENTS, []) == Wire.REPLY_OK;
        return sharedClipboard;
    }

    var sharedClipboard:Null<Bool> = null;

    public function shareCopied(fragment:String) {
        if (sharesClipboard())
            host.send(Wire.COPY_ELEMENTS, [fragment]);
    }

    /** The fragment on the desktop's clipboard; null when there is none. */
    public function sharedFragment():Null<String> {
        if (!sharesClipboard())
            return null;
        var reply = host.send(Wire.PASTE_ELEMENTS, []);
        return reply == null || reply == "" || reply == Wire.REPLY_FALSE ? null : reply;
    }

    /** Whether the host has a box to type text in with the desktop's input methods; asked once. */
    public function offersTextEntry():Bool {
        if (textEntry == null)
            textEntry = host.send(Wire.EDIT_TEXT, []) == Wire.REPLY_OK;
        return textEntry;
    }

    var textEntry:Null<Bool> = null;

    /** The text typed in the host's box, starting from text; null when cancelled or not offered. */
    public function enterText(text:String, title:String, multiLine:Bool, maxChars:Int):Null<String> {
        if (!offersTextEntry())
            return null;
        var reply = host.send(Wire.EDIT_TEXT, [text, title, Strings.OK, Strings.CANCEL, multiLine ? "0" : "1", Std.string(maxChars)]);
        return reply != null && StringTools.startsWith(reply, "=") ? reply.substr(1) : null;
    }

    public function forgetRecent(path:String) {
        host.send(Wire.FORGET_RECENT, [path]);
    }

    /** Reads a project file the host has made current, and shows it. */
    function openFile(path:String) {
        busy = true;
        shell.status(Strings.format(Strings.STATUS_OPENING, [Paths.fileName(path)]));
        LocalFiles.readText(path, function(text:String) {
            busy = false;
            var doc = BannerDocument.parse(text);
            if (!doc.isProject) {
                openFailed(Strings.NOT_A_PROJECT, path);
                return;
            }
            // Images named relative to the project are shown from their whole path; the host stores
            // them relative again when it writes the project.
            doc.image = Paths.resolveAgainst(doc.image, path);
            for (e in doc.elements)
                if (e.src != "")
                    e.src = Paths.resolveAgainst(e.src, path);
            projectPath = path;
            readOnlyText = doc.overLimits.length > 0 ? text : null;
            session.reset(doc, true);
            if (session.readOnly) {
                var over = Strings.limits(doc.overLimits);
                shell.status(Strings.format(Strings.STATUS_READ_ONLY, [path, over]));
                shell.message(Strings.ERROR_TITLE, Strings.format(Strings.READ_ONLY, [over, Paths.fileName(path)]));
                return;
            }
            shell.status(Strings.format(doc.version < 2 ? Strings.STATUS_CONVERTED : Strings.STATUS_OPENED, [path]));
        }, function(reason:String) {
            busy = false;
            openFailed(Strings.OPEN_FAILED, path);
        });
    }

    /**
        The host already made the unreadable file its current project; it is told to take the open
        back, so that the project before it (or none) is current again, as it is in the editor: the
        banner on screen, its file and whether it is saved stay as they were.
    **/
    function openFailed(pattern:String, path:String) {
        host.send(Wire.REOPEN_PREVIOUS, []);
        shell.message(Strings.ERROR_TITLE, Strings.format(pattern, [path]));
    }

    public function save(saveAs:Bool, ?after:Bool->Void) {
        session.settle();
        if (session.readOnly) {
            shell.message(Strings.ERROR_TITLE, Strings.format(Strings.READ_ONLY_NOT_SAVED, [Strings.limits(session.doc.overLimits)]));
            if (after != null)
                after(false);
            return;
        }
        var reply = host.send(Wire.SAVE_PROJECT, saveAs ? [Wire.SAVE_AS_MODE] : []);
        var saved = false;
        if (reply == null) {
            shell.status(Strings.STATUS_NO_HOST);
        } else if (reply == Wire.REPLY_FALSE || reply == "") {
            shell.status(Strings.STATUS_SAVE_CANCELLED);
        } else if (reply == Wire.REPLY_SAVE_FAILED || reply == Wire.REPLY_NONE) {
            shell.message(Strings.ERROR_TITLE, Strings.SAVE_FAILED);
        } else {
            projectPath = reply;
            saved = true;
            session.markSaved();
            shell.status(Strings.format(Strings.STATUS_SAVED, [reply]));
        }
        if (after != null)
            after(saved);
    }

    /**
        Asks the host for a face file and to copy it beside the project; null when none was
        chosen or it could not be added (the reason shown).
    **/
    /**
        A face file named by its whole path (another project's) copied into this project's fonts
        folder by the host; its family and its name there, or null without a project file or host.
    **/
    public function bringFont(path:String):Null<BannerDocument.UserFont> {
        if (projectPath == "" || !host.available)
            return null;
        var reply = host.send(Wire.ADD_FONT, [path]);
        var parts = reply == null ? [] : reply.split("\t");
        if (parts.length != 2 || parts[0] == Wire.REPLY_FALSE || !BannerDocument.usableFamily(parts[1]))
            return null;
        return {family: parts[1], src: parts[0]};
    }

    public function addFont():Null<{family:String, src:String}> {
        if (projectPath == "") {
            shell.message(Strings.ERROR_TITLE, Strings.FONT_NEEDS_SAVING);
            return null;
        }
        var chosen = host.send(Wire.SELECT_FILE, [Strings.FONT_FILTER, "", ""]);
        if (!Wire.isPath(chosen))
            return null;
        var reply = host.send(Wire.ADD_FONT, [chosen]);
        var parts = reply == null ? [] : reply.split("\t");
        if (parts.length != 2 || parts[0] == Wire.REPLY_FALSE || !BannerDocument.usableFamily(parts[1])) {
            shell.message(Strings.ERROR_TITLE, Strings.format(Strings.FONT_NOT_ADDED, [parts.length == 2 ? parts[1] : ""]));
            return null;
        }
        return {src: parts[0], family: parts[1]};
    }

    /** A face of the project's as a face movie for the canvas, base64; null without a host that makes one. */
    public function fontMovie(family:String, src:String, text:String):Null<String> {
        var reply = host.send(Wire.FONT_MOVIE, [family, src, text]);
        return reply == null || reply == "" || reply == Wire.REPLY_FALSE || reply == Wire.REPLY_NONE ? null : reply;
    }

    /** A text painted by the host from its picture's display list (JSON), PNG as base64; null without a host that paints. */
    public function textPicture(list:String):Null<String> {
        var reply = host.send(Wire.TEXT_PICTURE, [list]);
        return reply == null || reply == "" || reply == Wire.REPLY_FALSE || reply == Wire.REPLY_NONE ? null : reply;
    }

    /** Asks the host for an image file; null when none was chosen. */
    public function chooseImage(current:String):Null<String> {
        var chosen = host.send(Wire.SELECT_FILE, [Strings.IMAGE_FILTER, "", current]);
        return Wire.isPath(chosen) ? chosen : null;
    }

    public function projectName():String {
        return projectPath == "" ? Strings.NEW_PROJECT_NAME : Paths.fileName(projectPath);
    }

    public function confirmDiscard(then:Void->Void) {
        if (!session.dirty) {
            then();
            return;
        }
        shell.askSave(projectName(), function() save(false, function(ok) if (ok) then()), then);
    }

    // ---- The window, the help and the language.

    public function help() {
        host.send(Wire.OPEN_HELP, []);
    }

    public function minimize() {
        host.send(Wire.MINIMIZE, []);
    }

    public function maximize() {
        if (host.send(Wire.MAXIMIZE, []) != null)
            maximized = true;
        shell.windowChanged();
    }

    public function restore() {
        var reply = host.send(Wire.RESTORE, []);
        if (reply != null)
            maximized = reply == Wire.REPLY_MAXIMIZE;
        shell.windowChanged();
    }

    public function toggleMaximize() {
        if (maximized) restore(); else maximize();
    }

    public function exitApplication() {
        // A question already on screen about this is enough.
        if (busy || shell.hasDialog("askSave"))
            return;
        confirmDiscard(function() host.send(Wire.EXIT, []));
    }

    /** Switches the editor's language at once and asks the host to keep it for the next start. */
    public function setLanguage(code:String) {
        code = Strings.codeFor(code);
        Strings.setLanguage(code);
        shell.languageChanged();
        host.send(Wire.SET_LANGUAGE, [code]);
        shell.status(Strings.STATUS_LANGUAGE);
    }

    // ---- Publishing.

    public function publish():String {
        var reply = host.send(Wire.PUBLISH, [
            withPages ? "1" : "2",
            scriptPages ? "1" : "0",
            outputFolder,
            swfName,
            pageName,
            xmlName,
            bundledPlayer ? Wire.PLAYER_BUNDLED : Wire.PLAYER_NONE,
            html5Creative ? Wire.YES : Wire.NO,
            swfOutputs ? Wire.YES : Wire.NO
        ]);
        publishReply = reply == null ? "" : reply;
        lastPublishFolder = PublishRules.publishFolder(outputFolder, swfName);
        return reply;
    }

    /** The texts that do not fit their boxes, each with its size ("headline at 320 × 50"); "" for none. */
    public function notFitting():String {
        return [for (n in SizeLayout.overflows(session.doc)) Strings.format(Strings.AT_SIZE, [n.id, n.width + " \u00d7 " + n.height])].join(", ");
    }

    public function previewInBrowser():String {
        return host.send(Wire.PREVIEW_IN_BROWSER, []);
    }

    public function browseFolder(current:String):Null<String> {
        var chosen = host.send(Wire.SELECT_FOLDER, [current]);
        return Wire.isPath(chosen) ? chosen : null;
    }

    public function openOutputFolder() {
        host.send(Wire.OPEN_FOLDER, [lastPublishFolder != "" ? lastPublishFolder : outputFolder]);
    }
}
