// Measuring, breaking and fitting texts with the shipped faces' advance widths (FontMetrics,
// generated from the faces at build time), so that one decision of font size and line breaks is
// drawn by every renderer: the SWF banner, the editor's canvas, the HTML5 creative and the backup
// image draw the lines this class answers, each line as it is, without kerning.
//
// Lines break at spaces; a word too long for a line on its own breaks after a hyphen inside it
// (between two letters or digits), and only then between characters. A hyphen that starts a word
// ("-30%") is never a break. Spaces at the end of a line take no room.

import BannerDocument;

typedef FittedText = {
	size:Int, // the font size drawn
	lines:Array<String>, // the lines drawn, top to bottom
	height:Float, // lines x size x lineHeight
	fits:Bool // the lines lie inside the box (nothing spills over or was cut off)
}

class TextFit {
	// Texts at a banner size are at least this large (LEGIBLE_LOW on banners lower than LOW_BANNER).
	public static inline var LEGIBLE = 10;
	public static inline var LEGIBLE_LOW = 8;
	public static inline var LOW_BANNER = 60;
	public static inline var ELLIPSIS = "\u2026";
	// A character no shipped face has is drawn by a fallback face: about this wide (em).
	static inline var UNKNOWN_WIDTH = 0.6;

	static var faces:Array<Array<Float>> = null; // per face: em widths in the order of RANGES

	// The smallest legible text on a banner of that height.
	public static function legible(bannerHeight:Int):Int {
		return bannerHeight < LOW_BANNER ? LEGIBLE_LOW : LEGIBLE;
	}

	public static function faceKey(font:String, bold:Bool, italic:Bool):String {
		if (font == "DejaVu Sans")
			return "DejaVuSans" + (bold ? (italic ? "-BoldOblique" : "-Bold") : (italic ? "-Oblique" : ""));
		var family = font == "Liberation Serif" ? "LiberationSerif" : "LiberationSans";
		return family + "-" + (bold ? (italic ? "BoldItalic" : "Bold") : (italic ? "Italic" : "Regular"));
	}

	static function face(font:String, bold:Bool, italic:Bool):Array<Float> {
		if (faces == null) {
			faces = [];
			for (i in 0...FontMetrics.KEYS.length) {
				var units = FontMetrics.UNITS[i];
				faces.push([for (w in FontMetrics.WIDTHS[i]) w < 0 ? -1.0 : w / units]);
			}
		}
		var i = FontMetrics.KEYS.indexOf(faceKey(font, bold, italic));
		return i < 0 ? null : faces[i];
	}

	// The advance of one character in em.
	static function advance(table:Array<Float>, code:Int):Float {
		if (code == 9)
			code = 32;
		var r = FontMetrics.RANGES, offset = 0, i = 0;
		while (i < r.length) {
			if (code >= r[i] && code <= r[i + 1]) {
				var w = table == null ? -1 : table[offset + code - r[i]];
				return w < 0 ? UNKNOWN_WIDTH : w;
			}
			offset += r[i + 1] - r[i] + 1;
			i += 2;
		}
		return UNKNOWN_WIDTH;
	}

	// The width of a line of text in pixels.
	public static function lineWidth(text:String, font:String, bold:Bool, italic:Bool, size:Float):Float {
		var table = face(font, bold, italic);
		var em = 0.0;
		for (i in 0...text.length)
			em += advance(table, StringTools.fastCodeAt(text, i));
		return em * size;
	}

	// The text broken into lines no wider than maxWidth (line breaks in the text are kept).
	public static function wrap(text:String, font:String, bold:Bool, italic:Bool, size:Float, maxWidth:Float):Array<String> {
		var table = face(font, bold, italic);
		var measure = function(s:String):Float {
			var em = 0.0;
			for (i in 0...s.length)
				em += advance(table, StringTools.fastCodeAt(s, i));
			return em * size;
		};
		var lines:Array<String> = [];
		for (paragraph in text.split("\r\n").join("\n").split("\n"))
			wrapParagraph(paragraph, measure, maxWidth, lines);
		return lines;
	}

	static function wrapParagraph(text:String, measure:String->Float, maxWidth:Float, lines:Array<String>) {
		// Words with the spaces before them: "a  b" is ["a", "  b"].
		var words:Array<String> = [];
		var start = 0;
		for (i in 1...text.length)
			if (isSpace(StringTools.fastCodeAt(text, i)) && !isSpace(StringTools.fastCodeAt(text, i - 1))) {
				words.push(text.substring(start, i));
				start = i;
			}
		words.push(text.substring(start));
		var line = "";
		for (word in words) {
			var candidate = line + word;
			if (line == "" || measure(trimEnd(candidate)) <= maxWidth) {
				line = candidate;
			} else {
				lines.push(trimEnd(line));
				line = StringTools.ltrim(word);
			}
			// A word wider than the whole line on its own breaks inside.
			while (measure(trimEnd(line)) > maxWidth && trimEnd(line).length > 1) {
				var cut = breakInside(line, measure, maxWidth);
				lines.push(trimEnd(line.substr(0, cut)));
				line = StringTools.ltrim(line.substr(cut));
			}
		}
		lines.push(trimEnd(line));
	}

	// Where an over-long line breaks: after the last hyphen inside a word that leaves a part that
	// fits, else after the last character that fits (at least one).
	static function breakInside(line:String, measure:String->Float, maxWidth:Float):Int {
		var best = -1;
		for (i in 1...line.length - 1) {
			if (StringTools.fastCodeAt(line, i) == "-".code && isWordChar(StringTools.fastCodeAt(line, i - 1))
				&& isWordChar(StringTools.fastCodeAt(line, i + 1)) && measure(line.substr(0, i + 1)) <= maxWidth)
				best = i + 1;
		}
		if (best > 0)
			return best;
		var n = 1;
		while (n < line.length && measure(line.substr(0, n + 1)) <= maxWidth)
			n++;
		return n;
	}

	static inline function isSpace(c:Int):Bool {
		return c == 32 || c == 9;
	}

	static function isWordChar(c:Int):Bool {
		return c > 32 && c != "-".code && c != 0xA0 && c != 0x2010 && c != 0x2013 && c != 0x2014;
	}

	static function trimEnd(s:String):String {
		var n = s.length;
		while (n > 0 && isSpace(StringTools.fastCodeAt(s, n - 1)))
			n--;
		return n == s.length ? s : s.substr(0, n);
	}

	// The text of e in a box of width x height at font size `size`: broken to the width; with
	// shrink, the largest size from `size` down to minSize at which the broken text fits the
	// box, and at minSize the lines that fit with the last one ending in an ellipsis.
	public static function fit(label:String, font:String, bold:Bool, italic:Bool, lineHeight:Float, width:Float, height:Float, size:Int,
			shrink:Bool, minSize:Int):FittedText {
		var at = function(s:Int):FittedText {
			var lines = wrap(label, font, bold, italic, s, width);
			var h = lines.length * s * lineHeight;
			return {
				size: s,
				lines: lines,
				height: h,
				fits: h <= height + 0.5 && widest(lines, font, bold, italic, s) <= width + 0.5
			};
		};
		var first = at(size);
		if (first.fits || !shrink)
			return first;
		if (minSize > size)
			minSize = size;
		var low = at(minSize);
		if (!low.fits)
			return ellipsize(low, label, font, bold, italic, lineHeight, width, height);
		// The largest size that fits, between minSize (fits) and size (does not).
		var good = minSize, bad = size;
		var best = low;
		while (bad - good > 1) {
			var mid = (good + bad) >> 1;
			var t = at(mid);
			if (t.fits) {
				good = mid;
				best = t;
			} else {
				bad = mid;
			}
		}
		return best;
	}

	// The lines that fit the box's height, the last cut so that an ellipsis fits after it.
	static function ellipsize(t:FittedText, label:String, font:String, bold:Bool, italic:Bool, lineHeight:Float, width:Float,
			height:Float):FittedText {
		var lineH = t.size * lineHeight;
		var keep = Std.int(Math.max(1, Math.floor((height + 0.5) / lineH)));
		var lines = t.lines.slice(0, keep);
		var last = lines[lines.length - 1];
		if (keep < t.lines.length || lineWidth(last, font, bold, italic, t.size) > width) {
			while (last.length > 0 && lineWidth(trimEnd(last) + ELLIPSIS, font, bold, italic, t.size) > width)
				last = last.substr(0, last.length - 1);
			lines[lines.length - 1] = trimEnd(last) + ELLIPSIS;
		}
		return {
			size: t.size,
			lines: lines,
			height: lines.length * lineH,
			// Cut short: the whole text does not fit.
			fits: false
		};
	}

	static function widest(lines:Array<String>, font:String, bold:Bool, italic:Bool, size:Float):Float {
		var w = 0.0;
		for (l in lines)
			w = Math.max(w, lineWidth(l, font, bold, italic, size));
		return w;
	}

	// The text element e as drawn in its box b on a banner bannerHeight high: its lines at the
	// box's font size, or fitted to the box when e fits its text.
	public static function forText(e:BannerElement, b:Box, bannerHeight:Int):FittedText {
		var min = legible(bannerHeight);
		return fit(e.label, e.font, e.bold, e.italic, e.lineHeight, b.width, b.height, b.fontSize, e.autoFit, min);
	}
}
