// A job the host runs on a thread of its own while the editor goes on (a feed published, a banner
// exported): followed by asking the host how far it has got until it says the job has ended.
import haxe.Json;
import haxe.Timer;

class HostTask {
    /** How often the host is asked how far the job has got. */
    static inline var POLL_MS = 250;

    public var running(default, null) = false;
    /** "" before the job; then the host's word for its end ("failed" when the host did not say). */
    public var outcome(default, null) = "";

    var host:HostLink;
    var progressCall:String;
    var timer:Timer;
    var listeners:Array<Void->Void> = [];

    function new(host:HostLink, progressCall:String) {
        this.host = host;
        this.progressCall = progressCall;
    }

    public function listen(f:Void->Void) {
        listeners.push(f);
    }

    public function unlisten(f:Void->Void) {
        listeners.remove(f);
    }

    function changed() {
        for (f in listeners.copy())
            f();
    }

    /** Starts following a job the host has just started. */
    function follow() {
        running = true;
        outcome = "";
        // The progress is drawn as it comes: the editor stays at its full frame rate meanwhile.
        Pace.hold();
        timer = new Timer(POLL_MS);
        timer.run = poll;
        changed();
    }

    /** Takes in the host's answer (its "state" besides); overridden by each kind of job. */
    function read(progress:Dynamic) {}

    function poll() {
        var reply = host.send(progressCall, []);
        var p:Dynamic = null;
        try {
            p = reply == null || reply == "" ? null : Json.parse(reply);
        } catch (e:Dynamic) {}
        if (p == null || p.state == null) {
            finish("failed");
            return;
        }
        read(p);
        if (p.state == "running") {
            changed();
            return;
        }
        finish(Std.string(p.state));
    }

    function finish(how:String) {
        if (timer != null)
            timer.stop();
        timer = null;
        if (running)
            Pace.release();
        running = false;
        outcome = how;
        changed();
    }
}
