// The banner exported by the host (an animated GIF, a video or stills, one file per size) on a
// thread of its own, followed until it ends: how far it is, the files written, what was chosen
// for each and the sizes that could not be written.
typedef ExportChoices = {
    /** "gif", "mp4", "webm", "png" or "jpg". */
    format:String,
    folder:String,
    /** Each "WxH"; none: every size. */
    sizes:Array<String>,
    /** Stills: seconds into the timeline; "": the final frame. */
    at:String,
    /** Animations: frames a second; "": the format's default. */
    fps:String,
    /** GIF: the largest file in KB; "": the default. */
    maxKb:String
}

class ExportSession extends HostTask {
    /** The share done, 0 to 1. */
    public var fraction(default, null) = 0.0;
    public var written(default, null):Array<String> = [];
    /** A line per file written: what was chosen for it. */
    public var notes(default, null):Array<String> = [];
    /** A line per size that was not written, naming it. */
    public var errors(default, null):Array<String> = [];

    /** An export's outcome is "done", "cancelled" or "failed". */
    public function new(host:HostLink) {
        super(host, Wire.EXPORT_PROGRESS);
    }

    /** Has the host export the banner as it is now; null once it has started, else why not. */
    public function start(choices:ExportChoices):Null<String> {
        if (running)
            return null;
        var reply = host.send(Wire.EXPORT_BANNER, [choices.format, choices.folder, choices.at, choices.fps, choices.maxKb].concat(choices.sizes));
        if (reply != Wire.REPLY_OK)
            return reply == null || reply == "" || reply == Wire.REPLY_FALSE || reply == Wire.REPLY_NONE ? Strings.EXPORT_NOT_STARTED : reply;
        fraction = 0;
        written = [];
        notes = [];
        errors = [];
        follow();
        return null;
    }

    /** Asks the host to stop: the file being written is given up, those written stay. */
    public function cancel() {
        if (running)
            host.send(Wire.CANCEL_EXPORT, []);
    }

    override function read(p:Dynamic) {
        fraction = Math.max(0, Math.min(1, p.fraction == null ? 0 : (p.fraction : Float)));
        written = texts(p.written);
        notes = texts(p.notes);
        errors = texts(p.errors);
    }

    static function texts(list:Dynamic):Array<String> {
        return list == null ? [] : [for (l in (list : Array<Dynamic>)) Std.string(l)];
    }
}
