// The moment of the banner the editor shows, and playing it: loops from 0 to the banner's length
// as often as the banner loops, then the final frame stays. While it plays the editor keeps its
// full frame rate; paused or ended, the editor may rest again.
import flash.Lib;
import flash.display.DisplayObject;
import flash.events.Event;

class Playback {
    /** The least that is played on from a moment: the time shown counts in tenths of a second. */
    public static inline var SHORTEST_PLAY_MS = 100;

    public var playing(default, null) = false;
    /** The time shown, in ms from the start of a loop. */
    public var time(get, never):Float;

    var session:EditorSession;
    var ticker:DisplayObject;
    // Stopped: the moment held, or -1 for the final frame (which follows the banner's length).
    var held:Float = -1;
    // Playing: where in the whole run (all loops) play started, and when.
    var startElapsed:Float = 0;
    var startedAt:Float = 0;
    var listeners:Array<Void->Void> = [];

    /** ticker: a display object on the stage, whose frames drive playing. */
    public function new(session:EditorSession, ticker:DisplayObject) {
        this.session = session;
        this.ticker = ticker;
    }

    /** f runs whenever the time shown changes (every frame while playing). */
    public function listen(f:Void->Void) {
        listeners.push(f);
    }

    /**
     * Plays from the moment shown, or from the start when the end is shown: the final frame, or a
     * moment so near the end that too little is left to be seen playing (the time reads as the
     * end; playing on from there would stop again at once, and Play would seem to do nothing).
     */
    public function play() {
        if (playing)
            return;
        var doc = session.doc;
        var left = doc.length * Math.max(1, doc.loops) - held;
        startElapsed = held < 0 || held >= doc.length || left < SHORTEST_PLAY_MS ? 0 : held;
        startedAt = Lib.getTimer();
        playing = true;
        ticker.addEventListener(Event.ENTER_FRAME, step);
        Pace.moving();
        notify();
    }

    /** Stops on the moment shown. */
    public function pause() {
        if (!playing)
            return;
        held = time;
        stop();
        notify();
    }

    /** Stops and shows the moment t (ms into a loop, within the banner's length). */
    public function seek(t:Float) {
        var length = session.doc.length;
        held = Math.max(0, Math.min(length, t));
        if (playing)
            stop();
        notify();
    }

    /** Stops and shows the final frame, where every element has arrived. */
    public function showFinalFrame() {
        held = -1;
        if (playing)
            stop();
        notify();
    }

    function get_time():Float {
        var doc = session.doc;
        if (playing)
            return loopTime(doc.length, doc.loops, startElapsed + Lib.getTimer() - startedAt);
        return held < 0 ? Timeline.finalTime(doc) : Math.min(held, doc.length);
    }

    /** The moment of a loop shown elapsed ms into a run of loops loops of length ms. */
    public static function loopTime(length:Float, loops:Int, elapsed:Float):Float {
        if (elapsed <= 0)
            return 0;
        if (length <= 0 || elapsed >= length * Math.max(1, loops))
            return length;
        return elapsed % length;
    }

    function step(_:Event) {
        var doc = session.doc;
        Pace.moving();
        if (startElapsed + Lib.getTimer() - startedAt >= doc.length * Math.max(1, doc.loops)) {
            held = -1;
            stop();
        }
        notify();
    }

    function stop() {
        playing = false;
        ticker.removeEventListener(Event.ENTER_FRAME, step);
    }

    function notify() {
        for (f in listeners.copy())
            f();
    }
}
