// Hands the unsaved work to the host a moment after it changes, so that a crash, a kill or a power
// loss loses at most the last few seconds; at start-up, offers back what an ended run left behind.
import haxe.Timer;

class WorkKeeping {
    /** The work is handed over once the user has paused this long... */
    static inline var QUIET_MS = 1500;
    /** ...and at the latest this long after the first change not yet handed over. */
    static inline var LATEST_MS = 5000;

    var session:EditorSession;
    var host:HostLink;
    var timer:Timer;
    var firstChange = -1.0;
    /** The text last handed over; "" when the host keeps nothing for this run. */
    var kept = "";

    public function new(session:EditorSession, host:HostLink) {
        this.session = session;
        this.host = host;
        session.listen(changed);
    }

    /** Any change of the session only (re)arms a timer: typing never waits for the host. */
    function changed() {
        if (!host.available)
            return;
        var now = Timer.stamp() * 1000;
        if (firstChange < 0)
            firstChange = now;
        if (timer != null)
            timer.stop();
        var wait = Math.max(1, Math.min(QUIET_MS, firstChange + LATEST_MS - now));
        timer = Timer.delay(keepNow, Std.int(wait));
    }

    /** Hands the work over now if it differs from what was handed over; forgets it once saved. */
    public function keepNow() {
        if (timer != null)
            timer.stop();
        timer = null;
        firstChange = -1;
        if (!session.dirty) {
            if (kept != "" && host.send(Wire.KEEP_WORK, [""]) == Wire.REPLY_OK)
                kept = "";
            return;
        }
        var xml = session.doc.toXml();
        if (xml != kept && host.send(Wire.KEEP_WORK, [xml]) == Wire.REPLY_OK)
            kept = xml;
    }

    /** The name of work an ended run left behind, or null. */
    public function leftBehind():Null<String> {
        var name = host.send(Wire.KEPT_WORK, []);
        return Wire.isPath(name) ? name : null;
    }

    /** The text of work left behind, which the host now keeps as this run's; null when it is gone. */
    public function recover(name:String):Null<String> {
        var text = host.send(Wire.RECOVER_WORK, [name, Wire.RECOVER]);
        if (text == null || text == "" || text == Wire.REPLY_FALSE)
            return null;
        kept = text;
        return text;
    }

    public function discard(name:String) {
        host.send(Wire.RECOVER_WORK, [name, Wire.DISCARD]);
    }
}
