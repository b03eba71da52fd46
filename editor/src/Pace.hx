// The editor's frame rate: full while something moves or the user acts, low while it rests, so a
// still editor costs next to no processor time. The page hears of each change ("pennoriaPace").
import flash.Lib;
import flash.display.Stage;
import flash.events.Event;
import flash.events.KeyboardEvent;
import flash.events.MouseEvent;
import flash.events.TextEvent;

class Pace {
    public static inline var MOVING_RATE = 30.0;
    // One frame in ten seconds: a still editor changes only on input, a reply or call of the host,
    // or a finished load, and each of those raises the rate first.
    public static inline var RESTING_RATE = 0.1;
    /** How long the editor stays at full rate after the last sign of life. */
    static inline var REST_AFTER_MS = 2000;

    static var stage:Stage;
    static var host:HostLink;
    static var lastMotion = 0;
    static var loading = 0;

    public static function start(s:Stage, link:HostLink) {
        stage = s;
        host = link;
        // The pointer passing over the editor needs no frames: the player paints what an input
        // changed (a button under the pointer) without one, and a change it makes to the session
        // raises the rate itself. Every frame at full rate paints the whole stage again.
        for (type in [MouseEvent.MOUSE_DOWN, MouseEvent.MOUSE_UP, MouseEvent.MOUSE_WHEEL])
            stage.addEventListener(type, function(_) moving(), true);
        stage.addEventListener(KeyboardEvent.KEY_DOWN, function(_) moving(), true);
        stage.addEventListener(TextEvent.TEXT_INPUT, function(_) moving(), true);
        stage.addEventListener(Event.ENTER_FRAME, function(_) {
            if (loading == 0 && stage.frameRate > RESTING_RATE && Lib.getTimer() - lastMotion >= REST_AFTER_MS)
                set(RESTING_RATE);
        });
        moving();
    }

    /** Something moves or the user acts: full rate for a while. */
    public static function moving() {
        lastMotion = Lib.getTimer();
        if (stage != null && stage.frameRate < MOVING_RATE)
            set(MOVING_RATE);
    }

    /** A load starts: the editor does not rest until it has ended (its events come with frames). */
    public static function hold() {
        loading++;
        moving();
    }

    /** A load has ended. */
    public static function release() {
        if (loading > 0)
            loading--;
        moving();
    }

    public static function rate():Float {
        return stage == null ? 0 : stage.frameRate;
    }

    static function set(rate:Float) {
        stage.frameRate = rate;
        if (host != null)
            host.pace(rate);
    }
}
