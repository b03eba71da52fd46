// The editor's only channel to the host program: the commands it sends (the twelve, and beside them
// the preview, the hand-over and the language) and the functions it offers.
import flash.external.ExternalInterface;

class HostLink {
    public var available(default, null):Bool;

    public function new() {
        available = false;
        try {
            available = ExternalInterface.available;
        } catch (e:Dynamic) {}
    }

    /** Offers a movie function to the host; false when there is no host. */
    public function offer(name:String, fn:Dynamic):Bool {
        if (!available)
            return false;
        try {
            ExternalInterface.addCallback(name, fn);
            return true;
        } catch (e:Dynamic) {
            return false;
        }
    }

    /** Tells the page the movie's new frame rate; the page rests its drawing while the rate is low. */
    public function pace(rate:Float) {
        if (!available)
            return;
        try {
            ExternalInterface.call("pennoriaPace", rate);
        } catch (e:Dynamic) {}
    }

    /** Sends one command and returns its reply as text; null when the host gave none. */
    public function send(command:String, args:Array<String>):String {
        if (!available)
            return null;
        var reply:Dynamic = null;
        try {
            var a = args;
            reply = switch (a.length) {
                case 0: ExternalInterface.call(command);
                case 1: ExternalInterface.call(command, a[0]);
                case 2: ExternalInterface.call(command, a[0], a[1]);
                case 3: ExternalInterface.call(command, a[0], a[1], a[2]);
                case 4: ExternalInterface.call(command, a[0], a[1], a[2], a[3]);
                case 5: ExternalInterface.call(command, a[0], a[1], a[2], a[3], a[4]);
                case 6: ExternalInterface.call(command, a[0], a[1], a[2], a[3], a[4], a[5]);
                case 7: ExternalInterface.call(command, a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
                case 8: ExternalInterface.call(command, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
                default: ExternalInterface.call(command, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
            }
        } catch (e:Dynamic) {
            return null;
        }
        // A reply changes what the editor shows, often after the user spent a while in a dialog.
        Pace.moving();
        return reply == null ? null : Std.string(reply);
    }
}
