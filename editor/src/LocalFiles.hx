// Reads local files (projects, images) named by the host: tries the URL forms the player serves, in turn.
import flash.display.Loader;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.SecurityErrorEvent;
import flash.net.URLLoader;
import flash.net.URLLoaderDataFormat;
import flash.net.URLRequest;
import flash.utils.ByteArray;

class LocalFiles {
    /** A URL prefix for local files given by the page (FlashVars "localFiles"), tried first. */
    public static var prefix:String = null;

    /** Told why a picture is not shown (an address, a picture beyond the pixel budget), naming it. */
    public static var onRefused:String->Void = null;

    /** Every refusal told in this session, oldest first (the test driver reports them). */
    public static var refusals(default, null):Array<String> = [];

    static function refuse(why:String) {
        refusals.push(why);
        // Told after what the current step says of itself ("Opened ..."), so the refusal stays.
        haxe.Timer.delay(function() {
            if (onRefused != null)
                onRefused(why);
        }, 1);
    }

    /** The URLs that may reach the file at this path, most likely first. */
    public static function candidates(path:String):Array<String> {
        return Paths.urlsFor(path, prefix);
    }

    /** Loads a text file; calls done with the text, or failed with the reason, exactly once. */
    public static function readText(path:String, done:String->Void, failed:String->Void) {
        // Loads finish on the movie's frames: the editor stays at full rate until this one ends.
        Pace.hold();
        var reported = done;
        done = function(text:String) { Pace.release(); reported(text); };
        var reportedFailure = failed;
        failed = function(reason:String) { Pace.release(); reportedFailure(reason); };
        var urls = candidates(path);
        var lastError = "no address";
        function attempt(i:Int) {
            if (i >= urls.length) {
                failed(lastError);
                return;
            }
            var loader = new URLLoader();
            loader.dataFormat = URLLoaderDataFormat.TEXT;
            var finished = false;
            function fail(reason:String) {
                if (finished) return;
                finished = true;
                lastError = reason;
                attempt(i + 1);
            }
            loader.addEventListener(Event.COMPLETE, function(_) {
                if (finished) return;
                finished = true;
                var text:String = loader.data;
                done(stripByteOrderMark(text == null ? "" : text));
            });
            loader.addEventListener(IOErrorEvent.IO_ERROR, function(e:IOErrorEvent) fail(e.text));
            loader.addEventListener(SecurityErrorEvent.SECURITY_ERROR, function(e:SecurityErrorEvent) fail(e.text));
            try {
                loader.load(new URLRequest(urls[i]));
            } catch (e:Dynamic) {
                fail(Std.string(e));
            }
        }
        attempt(0);
    }

    /**
        Loads an image into a new Loader; calls done with it, or failed, exactly once. The bytes are
        read first and shown only when they are a PNG, JPEG or GIF image, so a movie passed off as an
        image is never run.
    **/
    public static function loadImage(path:String, done:Loader->Void, failed:String->Void) {
        Pace.hold();
        var reported = done;
        done = function(loader:Loader) { Pace.release(); reported(loader); };
        var reportedFailure = failed;
        failed = function(reason:String) { Pace.release(); reportedFailure(reason); };
        // Pictures come from files: an address is never fetched (its server would learn that the
        // project was opened), and shows as a missing picture.
        if (PictureCheck.isAddress(path)) {
            var why = Strings.format(Strings.PICTURE_ADDRESS, [path]);
            refuse(why);
            failed(why);
            return;
        }
        var urls = candidates(path);
        var lastError = "no address";
        function attempt(i:Int) {
            if (i >= urls.length) {
                failed(lastError);
                return;
            }
            var reader = new URLLoader();
            reader.dataFormat = URLLoaderDataFormat.BINARY;
            var finished = false;
            function fail(reason:String) {
                if (finished) return;
                finished = true;
                lastError = reason;
                attempt(i + 1);
            }
            reader.addEventListener(Event.COMPLETE, function(_) {
                if (finished) return;
                finished = true;
                var bytes:ByteArray = reader.data;
                if (!isImage(bytes)) {
                    failed("not an image");
                    return;
                }
                // The header's size is checked before the player decodes anything.
                var why = PictureCheck.refusal(path, haxe.io.Bytes.ofData(bytes));
                if (why != null) {
                    refuse(why);
                    failed(why);
                    return;
                }
                var loader = new Loader();
                loader.contentLoaderInfo.addEventListener(Event.COMPLETE, function(_) done(loader));
                loader.contentLoaderInfo.addEventListener(IOErrorEvent.IO_ERROR, function(e:IOErrorEvent) failed(e.text));
                try {
                    loader.loadBytes(bytes);
                } catch (e:Dynamic) {
                    failed(Std.string(e));
                }
            });
            reader.addEventListener(IOErrorEvent.IO_ERROR, function(e:IOErrorEvent) fail(e.text));
            reader.addEventListener(SecurityErrorEvent.SECURITY_ERROR, function(e:SecurityErrorEvent) fail(e.text));
            try {
                reader.load(new URLRequest(urls[i]));
            } catch (e:Dynamic) {
                fail(Std.string(e));
            }
        }
        attempt(0);
    }

    /** Whether the bytes start as a PNG, JPEG or GIF file does. */
    public static function isImage(bytes:ByteArray):Bool {
        if (bytes == null || bytes.length < 8)
            return false;
        var b = [for (i in 0...8) bytes[i]];
        var png = b[0] == 0x89 && b[1] == 0x50 && b[2] == 0x4E && b[3] == 0x47 && b[4] == 0x0D && b[5] == 0x0A && b[6] == 0x1A && b[7] == 0x0A;
        var jpeg = b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
        var gif = b[0] == 0x47 && b[1] == 0x49 && b[2] == 0x46 && b[3] == 0x38 && (b[4] == 0x37 || b[4] == 0x39) && b[5] == 0x61;
        return png || jpeg || gif;
    }

    static function stripByteOrderMark(text:String):String {
        return text.length > 0 && text.charCodeAt(0) == 0xFEFF ? text.substr(1) : text;
    }
}
