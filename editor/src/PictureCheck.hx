// What the editor checks before it asks the player to show a picture: that it names a file (an
// address would make the editor fetch it, telling whoever serves it that the project was opened),
// and that its header gives a size within the pixel budget (a 20000 x 20000 PNG of a few
// kilobytes would otherwise keep the player decoding until it dies). The budget is the program's
// (platform/PictureHeader.h): at most 16 777 216 pixels and 16 384 on either side.
import haxe.io.Bytes;

typedef PictureSize = {width:Int, height:Int};

class PictureCheck {
    public static inline var MAX_PIXELS:Float = 16777216;
    public static inline var MAX_SIDE:Int = 16384;

    /**
        Whether a picture's name is an address rather than a file: anything with a scheme but
        "file:" (http:, https:, data:, ftp:, ...), and "//host/..." names, which a page resolves
        to another host. "C:\..." is a path.
    **/
    public static function isAddress(name:String):Bool {
        if (name == null)
            return false;
        var n = StringTools.trim(name).split("\\").join("/");
        if (StringTools.startsWith(n, "//"))
            return true;
        var colon = n.indexOf(":");
        if (colon < 2)
            return false;
        for (i in 0...colon) {
            var c = n.charCodeAt(i);
            var letter = (c >= 65 && c <= 90) || (c >= 97 && c <= 122);
            var other = (c >= 48 && c <= 57) || c == 43 || c == 45 || c == 46;
            if (!(letter || (i > 0 && other)))
                return false;
        }
        return n.substr(0, colon).toLowerCase() != "file";
    }

    /** Whether a picture of this size lies within the budget. */
    public static function withinBudget(width:Float, height:Float):Bool {
        return width > 0 && height > 0 && width <= MAX_SIDE && height <= MAX_SIDE && width * height <= MAX_PIXELS;
    }

    /**
        The size a PNG (its IHDR), JPEG (its first frame header) or GIF (its logical screen, widened
        to every frame) gives in its header; null when the bytes are none of these or end first.
    **/
    public static function size(b:Bytes):Null<PictureSize> {
        if (b == null || b.length < 10)
            return null;
        if (b.get(0) == 0x89 && b.get(1) == 0x50 && b.get(2) == 0x4E && b.get(3) == 0x47)
            return png(b);
        if (b.get(0) == 0xFF && b.get(1) == 0xD8 && b.get(2) == 0xFF)
            return jpeg(b);
        if (b.get(0) == 0x47 && b.get(1) == 0x49 && b.get(2) == 0x46 && b.get(3) == 0x38)
            return gif(b);
        return null;
    }

    static function made(width:Float, height:Float):Null<PictureSize> {
        // Sides beyond what an Int holds are reported at its largest: far over the budget anyway.
        if (width <= 0 || height <= 0)
            return null;
        return {width: width > 0x7FFFFFFF ? 0x7FFFFFFF : Std.int(width), height: height > 0x7FFFFFFF ? 0x7FFFFFFF : Std.int(height)};
    }

    static function u32(b:Bytes, at:Int):Float {
        return b.get(at) * 16777216.0 + b.get(at + 1) * 65536 + b.get(at + 2) * 256 + b.get(at + 3);
    }

    static function png(b:Bytes):Null<PictureSize> {
        if (b.length < 24 || u32(b, 8) != 13 || b.getString(12, 4) != "IHDR")
            return null;
        return made(u32(b, 16), u32(b, 20));
    }

    static function jpeg(b:Bytes):Null<PictureSize> {
        var at = 2;
        while (at + 1 < b.length) {
            if (b.get(at) != 0xFF)
                return null;
            while (at < b.length && b.get(at) == 0xFF)
                at++;
            if (at >= b.length)
                return null;
            var marker = b.get(at++);
            if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
                continue;
            if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || marker == 0x00)
                return null;
            if (at + 2 > b.length)
                return null;
            var length = b.get(at) * 256 + b.get(at + 1);
            if (length < 2)
                return null;
            var frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
            if (frame) {
                if (at + 7 > b.length)
                    return null;
                return made(b.get(at + 5) * 256 + b.get(at + 6), b.get(at + 3) * 256 + b.get(at + 4));
            }
            at += length;
        }
        return null;
    }

    static function gif(b:Bytes):Null<PictureSize> {
        var width = b.get(6) + b.get(7) * 256;
        var height = b.get(8) + b.get(9) * 256;
        if (width == 0 || height == 0 || b.length < 13)
            return null;
        var flags = b.get(10);
        var at = 13 + ((flags & 0x80) != 0 ? 3 << ((flags & 7) + 1) : 0);
        function skipBlocks() {
            while (at < b.length) {
                var n = b.get(at++);
                if (n == 0)
                    return;
                at += n;
            }
        }
        while (at < b.length) {
            var introducer = b.get(at++);
            if (introducer == 0x21) {
                at++;
                skipBlocks();
            } else if (introducer == 0x2C) {
                if (at + 9 > b.length)
                    break;
                var right = b.get(at) + b.get(at + 1) * 256 + b.get(at + 4) + b.get(at + 5) * 256;
                var bottom = b.get(at + 2) + b.get(at + 3) * 256 + b.get(at + 6) + b.get(at + 7) * 256;
                if (right > width)
                    width = right;
                if (bottom > height)
                    height = bottom;
                var frameFlags = b.get(at + 8);
                at += 9 + ((frameFlags & 0x80) != 0 ? 3 << ((frameFlags & 7) + 1) : 0) + 1;
                skipBlocks();
            } else {
                break;
            }
        }
        return made(width, height);
    }

    /** Why the picture at name may not be shown (a text naming it), or null when it may. */
    public static function refusal(name:String, bytes:Bytes):String {
        var s = size(bytes);
        if (s == null)
            return null; // not a picture the header tells: the player's decoder says no
        if (withinBudget(s.width, s.height))
            return null;
        return Strings.format(Strings.PICTURE_TOO_LARGE, [name, s.width + " \u00d7 " + s.height]);
    }
}
