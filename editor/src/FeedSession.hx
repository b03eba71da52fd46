// A product feed in the editor: the rows the host read from a CSV file, the variant of the design
// that a row makes (the binding publishing uses), what does not fit in it at each size, and the
// whole feed published by the host on a thread of its own, followed until it ends.
import BannerDocument;
import FeedBinding.FeedVariant;
import haxe.Json;

typedef FeedNote = {id:String, size:String, what:String};

class FeedSession extends HostTask {
    public var path(default, null):String = "";
    public var columns(default, null):Array<String> = [];
    /** The rows the host handed over (the first of a long feed), each a cell per column. */
    public var rows(default, null):Array<Array<String>> = [];
    /** The feed's data rows, all of them: publishing takes every one. */
    public var total(default, null):Int = 0;
    /** Why the host refuses a row, by its number (the first data row is 1). */
    public var refused(default, null):Map<Int, String> = new Map();
    public var selected:Int = 0;

    public var done(default, null) = 0;
    public var published(default, null) = 0;
    public var failed(default, null) = 0;
    /** What the host said of rows and columns while publishing. */
    public var lines(default, null):Array<String> = [];
    public var folder(default, null):String = "";

    /** A publish's outcome is "published", "cancelled" or "failed". */
    public function new(host:HostLink) {
        super(host, Wire.FEED_PROGRESS);
    }

    public var loaded(get, never):Bool;

    function get_loaded():Bool {
        return path != "";
    }

    /**
        Asks the host for a CSV file and its rows; null when one was read (or none was chosen),
        else why it could not be.
    **/
    public function load():Null<String> {
        var chosen = host.send(Wire.SELECT_FILE, [Strings.FEED_FILTER, "", path]);
        if (!Wire.isPath(chosen))
            return null;
        var reply = host.send(Wire.READ_FEED, [chosen]);
        var read:Dynamic = null;
        try {
            read = reply == null || reply == "" || reply == Wire.REPLY_FALSE ? null : Json.parse(reply);
        } catch (e:Dynamic) {}
        if (read == null)
            return Strings.format(Strings.FEED_UNREADABLE, [chosen]);
        if (read.error != null)
            return Std.string(read.error);
        path = chosen;
        columns = [for (c in (read.columns : Array<Dynamic>)) Std.string(c)];
        rows = [for (r in (read.rows : Array<Dynamic>)) [for (c in (r : Array<Dynamic>)) Std.string(c)]];
        total = Std.int(read.total);
        refused = new Map();
        if (read.refused != null)
            for (k in Reflect.fields(read.refused))
                refused.set(Std.parseInt(k), Std.string(Reflect.field(read.refused, k)));
        selected = 0;
        outcome = "";
        lines = [];
        changed();
        return null;
    }

    /** The folder the feed's file is in: pictures it names relative to itself are found there. */
    public function feedFolder():String {
        var cut = Std.int(Math.max(path.lastIndexOf("/"), path.lastIndexOf("\\")));
        return cut > 0 ? path.substr(0, cut) : "";
    }

    /** The name a row goes by: its name cell, else its first cell that is not empty. */
    public function rowName(index:Int):String {
        var row = rows[index];
        var at = columns.indexOf(FeedBinding.NAME);
        if (at >= 0 && at < row.length && StringTools.trim(row[at]) != "")
            return StringTools.trim(row[at]);
        for (c in row)
            if (StringTools.trim(c) != "")
                return StringTools.trim(c);
        return "";
    }

    /** The design with a row's values put in, as publishing makes that row's variant. */
    public function variant(doc:BannerDocument, index:Int):FeedVariant {
        var row = rows[index];
        var cells = [for (i in 0...columns.length) [columns[i], i < row.length ? row[i] : ""]];
        return FeedBinding.apply(doc, cells, feedFolder());
    }

    /** The texts of a variant that do not fit their boxes, or that are left out, at each size. */
    public static function notes(doc:BannerDocument):Array<FeedNote> {
        var out:Array<FeedNote> = [];
        for (i in 0...doc.sizes.length) {
            var size = Commands.sizeName(doc.sizes[i]);
            for (e in doc.elements)
                if ((e.kind == Text || e.kind == Button) && doc.box(e, i).hidden == true)
                    out.push({id: e.id, size: size, what: "omitted"});
        }
        for (n in SizeLayout.overflows(doc))
            out.push({id: n.id, size: n.width + " \u00d7 " + n.height, what: n.what});
        return out;
    }

    /** Where the variants of this feed go: a folder named after the feed below the output folder. */
    public function targetFolder(outputFolder:String):String {
        var name = Paths.fileName(path);
        var dot = name.lastIndexOf(".");
        if (dot > 0)
            name = name.substr(0, dot);
        var base = StringTools.endsWith(outputFolder, "/") ? outputFolder.substr(0, outputFolder.length - 1) : outputFolder;
        return base + "/" + name;
    }

    /** Has the host publish every row; null once it has started, else why it has not. */
    public function publish(controller:HostController):Null<String> {
        if (running || !loaded)
            return null;
        folder = targetFolder(controller.outputFolder);
        var reply = host.send(Wire.PUBLISH_FEED, [
            path,
            controller.withPages ? "1" : "2",
            controller.scriptPages ? "1" : "0",
            folder,
            controller.swfName,
            controller.pageName,
            controller.xmlName,
            controller.bundledPlayer ? Wire.PLAYER_BUNDLED : Wire.PLAYER_NONE,
            controller.html5Creative ? Wire.YES : Wire.NO
        ]);
        if (reply != Wire.REPLY_OK)
            return reply == null || reply == "" || reply == Wire.REPLY_FALSE || reply == Wire.REPLY_NONE ? Strings.FEED_NOT_STARTED : reply;
        done = published = failed = 0;
        lines = [];
        follow();
        return null;
    }

    /** Asks the host to stop: the rows being published are finished, no other is started. */
    public function cancel() {
        if (running)
            host.send(Wire.CANCEL_FEED, []);
    }

    override function read(p:Dynamic) {
        done = Std.int(p.done);
        published = Std.int(p.published);
        failed = Std.int(p.failed);
        if (p.lines != null)
            lines = [for (l in (p.lines : Array<Dynamic>)) Std.string(l)];
    }
}
