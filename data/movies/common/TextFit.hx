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
	// A character no shipped face has and no script face sets (ScriptFaces) is drawn by a
	// fallback face: about this wide (em).
	static inline var UNKNOWN_WIDTH = 0.6;

	// Per face: em widths indexed by code point up to the last of RANGES (-1: no glyph).
	static var faces:Array<Array<Float>> = null;
	static var lastCode = 0;

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

	// The faces by family (Liberation Sans, Liberation Serif, DejaVu Sans) and style (regular,
	// bold, italic, bold italic).
	static var byStyle:Array<Array<Float>> = null;

	static function face(font:String, bold:Bool, italic:Bool):Array<Float> {
		if (byStyle == null) {
			load();
			byStyle = [];
			for (family in ["Liberation Sans", "Liberation Serif", "DejaVu Sans"])
				for (style in 0...4) {
					var i = FontMetrics.KEYS.indexOf(faceKey(family, style & 1 != 0, style & 2 != 0));
					byStyle.push(i < 0 ? null : faces[i]);
				}
		}
		var family = font == "Liberation Serif" ? 1 : (font == "DejaVu Sans" ? 2 : 0);
		return byStyle[family * 4 + (bold ? 1 : 0) + (italic ? 2 : 0)];
	}

	static function load() {
		if (faces == null) {
			faces = [];
			var r = FontMetrics.RANGES;
			lastCode = r[r.length - 1];
			for (i in 0...FontMetrics.KEYS.length) {
				var units = FontMetrics.UNITS[i], widths = FontMetrics.WIDTHS[i];
				var table:Array<Float> = [];
				for (c in 0...lastCode + 1)
					table.push(-1.0);
				var at = 0, j = 0;
				while (j < r.length) {
					for (c in r[j]...r[j + 1] + 1) {
						var w = widths[at++];
						table[c] = w < 0 ? -1.0 : w / units;
					}
					j += 2;
				}
				faces.push(table);
			}
		}
	}

	// The advance of one character in em.
	static inline function advance(table:Array<Float>, code:Int):Float {
		if (code == 9)
			code = 32;
		var w = table == null || code < 0 || code > lastCode ? -1.0 : table[code];
		if (w >= 0)
			return w;
		var script = ScriptFaces.advance(code);
		return script >= 0 ? script : UNKNOWN_WIDTH;
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
		if (text.indexOf("\r") >= 0)
			text = text.split("\r\n").join("\n");
		var lines:Array<String> = [];
		var limit = size > 0 ? maxWidth / size : 0;
		var start = 0;
		while (true) {
			var end = text.indexOf("\n", start);
			if (end < 0)
				end = text.length;
			wrapRange(text, start, end, table, limit, lines);
			if (end >= text.length)
				break;
			start = end + 1;
		}
		return lines;
	}

	// The lines of text[from, to) (no line break inside), each at most limit em wide. A word goes
	// with the spaces before it; advances add up (no kerning), so a line grows word by word.
	static function wrapRange(text:String, from:Int, to:Int, table:Array<Float>, limit:Float, lines:Array<String>) {
		var lineStart = from, lineEnd = from;
		var width = 0.0; // em from lineStart to lineEnd
		var i = from;
		while (i < to) {
			var spaces = 0.0, glyphs = 0.0;
			while (i < to && isSpace(StringTools.fastCodeAt(text, i)))
				spaces += advance(table, StringTools.fastCodeAt(text, i++));
			var wordStart = i;
			while (i < to && !isSpace(StringTools.fastCodeAt(text, i)))
				glyphs += advance(table, StringTools.fastCodeAt(text, i++));
			if (wordStart == i)
				break; // spaces at the end take no room
			if (lineEnd > lineStart && width + spaces + glyphs > limit) {
				lines.push(text.substring(lineStart, lineEnd));
				lineStart = wordStart;
				width = glyphs;
			} else {
				width += spaces + glyphs;
			}
			lineEnd = i;
			// A word wider than the whole line on its own breaks inside.
			while (width > limit && lineEnd - lineStart > 1) {
				var cut = breakInside(text, lineStart, lineEnd, table, limit);
				lines.push(text.substring(lineStart, cut));
				lineStart = cut;
				width = 0;
				for (j in cut...lineEnd)
					width += advance(table, StringTools.fastCodeAt(text, j));
			}
		}
		lines.push(text.substring(lineStart, lineEnd));
	}

	// Where an over-long line text[from, to) breaks: after the last hyphen inside a word that
	// leaves a part that fits, else after the last character that fits (at least one).
	static function breakInside(text:String, from:Int, to:Int, table:Array<Float>, limit:Float):Int {
		var best = -1, fitting = from + 1, width = 0.0;
		for (i in from...to) {
			width += advance(table, StringTools.fastCodeAt(text, i));
			if (width > limit)
				break;
			fitting = i + 1;
			if (i > from && i < to - 1 && StringTools.fastCodeAt(text, i) == "-".code && isWordChar(StringTools.fastCodeAt(text, i - 1))
				&& isWordChar(StringTools.fastCodeAt(text, i + 1)))
				best = i + 1;
		}
		return best > 0 ? best : fitting;
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
