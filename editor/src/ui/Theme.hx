// Colours, fonts and text-field helpers shared by the editor's widgets.
package ui;

import flash.text.TextField;
import flash.text.TextFieldAutoSize;
import flash.text.TextFormat;

class Theme {
    public static inline var FONT = "_sans";
    public static inline var BACKGROUND = 0xD3D6DD;
    public static inline var CAPTION = 0x3B4A63;
    public static inline var CAPTION_TEXT = 0xFFFFFF;
    public static inline var PANEL = 0xF4F5F8;
    public static inline var PANEL_LINE = 0xB9BECB;
    public static inline var TEXT = 0x1E2430;
    public static inline var MUTED = 0x5A6275;
    public static inline var ACCENT = 0x2F6FD6;
    public static inline var ERROR = 0xB3261E;
    public static inline var BUTTON = 0xFFFFFF;
    public static inline var BUTTON_HOVER = 0xE6EEFB;
    public static inline var BUTTON_DOWN = 0xC9DAF6;
    public static inline var BUTTON_SELECTED = 0x2F6FD6;
    public static inline var FIELD = 0xFFFFFF;

    public static function format(size:Int, color:Int, bold:Bool = false):TextFormat {
        return new TextFormat(FONT, size, color, bold);
    }

    /** A read-only text line or block. */
    public static function label(text:String, size:Int = 12, color:Int = TEXT, bold:Bool = false):TextField {
        var t = new TextField();
        t.defaultTextFormat = format(size, color, bold);
        t.selectable = false;
        t.mouseEnabled = false;
        t.autoSize = TextFieldAutoSize.LEFT;
        t.text = text;
        return t;
    }

    /** A read-only block of the given width that wraps its text. */
    public static function paragraph(text:String, width:Float, size:Int = 12, color:Int = TEXT):TextField {
        var t = label(text, size, color);
        t.wordWrap = true;
        t.multiline = true;
        t.width = width;
        t.text = text;
        return t;
    }

    /** The width a one-line label of this text takes. */
    public static function textWidth(text:String, size:Int = 12, bold:Bool = false):Float {
        return label(text, size, TEXT, bold).width;
    }

    /**
     * Shows the text in a field of fixed width, shortened at its end with an ellipsis when it is
     * longer than the field (names in lists and rows).
     */
    public static function elide(t:TextField, text:String) {
        t.text = text;
        if (t.textWidth + 4 <= t.width)
            return;
        var low = 0, high = text.length;
        while (low < high) {
            var mid = (low + high + 1) >> 1;
            t.text = StringTools.rtrim(text.substr(0, mid)) + "\u2026";
            if (t.textWidth + 4 <= t.width)
                low = mid;
            else
                high = mid - 1;
        }
        t.text = StringTools.rtrim(text.substr(0, low)) + "\u2026";
    }

    /**
     * Shows the text in a wrapping block in at most the given number of lines; a longer text loses
     * its middle to an ellipsis, so a path keeps its start and its file name.
     */
    public static function fitLines(t:TextField, text:String, lines:Int) {
        t.text = text;
        if (t.numLines <= lines)
            return;
        var keepEnd = Std.int(Math.min(text.length, 40));
        var low = 0, high = text.length - keepEnd;
        while (low < high) {
            var mid = (low + high + 1) >> 1;
            t.text = text.substr(0, mid) + "\u2026" + text.substr(text.length - keepEnd);
            if (t.numLines <= lines)
                low = mid;
            else
                high = mid - 1;
        }
        t.text = text.substr(0, low) + "\u2026" + text.substr(text.length - keepEnd);
        // A very long file name alone may still need more: shorten it from its start.
        var cut = 0;
        while (t.numLines > lines && cut < keepEnd) {
            cut++;
            t.text = text.substr(0, low) + "\u2026" + text.substr(text.length - keepEnd + cut);
        }
    }
}
