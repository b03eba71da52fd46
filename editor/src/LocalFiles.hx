// Reads local files (projects, images) named by the host: tries the URL forms the player serves, in turn.
import flash.display.Loader;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.SecurityErrorEvent;
import flash.net.URLLoader;
import flash.net.URLLoaderDataFormat;
import flash.net.URLRequest;

class LocalFiles {
    /** A URL prefix for local files given by the page (FlashVars "localFiles"), tried first. */
    public static var prefix:String = null;

    /** The URLs that may reach the file at this path, most likely first. */
    public static function candidates(path:String):Array<String> {
        var list = [];
        if (path.indexOf("://") > 0) {
            list.push(path);
            return list;
        }
        var unix = StringTools.replace(path, "\\", "/");
        var encoded = encodePath(unix);
        if (prefix != null && prefix != "")
            list.push(prefix + (StringTools.startsWith(encoded, "/") && StringTools.endsWith(prefix, "/") ? encoded.substr(1) : encoded));
        // An absolute path resolves against the movie's own origin, which the player serves.
        list.push(encoded);
        if (StringTools.startsWith(encoded, "/"))
            list.push("file://" + encoded);
        return list;
    }

    static function encodePath(path:String):String {
        var parts = path.split("/");
        for (i in 0...parts.length)
            parts[i] = StringTools.urlEncode(parts[i]);
        return parts.join("/");
    }

    /** Loads a text file; calls done with the text, or failed with the reason, exactly once. */
    public static function readText(path:String, done:String->Void, failed:String->Void) {
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

    /** Loads an image into a new Loader; calls done with it, or failed, exactly once. */
    public static function loadImage(path:String, done:Loader->Void, failed:String->Void) {
        var urls = candidates(path);
        var lastError = "no address";
        function attempt(i:Int) {
            if (i >= urls.length) {
                failed(lastError);
                return;
            }
            var loader = new Loader();
            var finished = false;
            function fail(reason:String) {
                if (finished) return;
                finished = true;
                lastError = reason;
                attempt(i + 1);
            }
            loader.contentLoaderInfo.addEventListener(Event.COMPLETE, function(_) {
                if (finished) return;
                finished = true;
                done(loader);
            });
            loader.contentLoaderInfo.addEventListener(IOErrorEvent.IO_ERROR, function(e:IOErrorEvent) fail(e.text));
            loader.contentLoaderInfo.addEventListener(SecurityErrorEvent.SECURITY_ERROR, function(e:SecurityErrorEvent) fail(e.text));
            try {
                loader.load(new URLRequest(urls[i]));
            } catch (e:Dynamic) {
                fail(Std.string(e));
            }
        }
        attempt(0);
    }

    static function stripByteOrderMark(text:String):String {
        return text.length > 0 && text.charCodeAt(0) == 0xFEFF ? text.substr(1) : text;
    }
}
