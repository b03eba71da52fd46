// Rules every reader of a project applies alike (the host, the banner movies and the editor):
// the banner's size and which links a banner may open.

class ProjectRules {
	public static inline var MIN_SIDE = 1;
	public static inline var MAX_SIDE = 8191;

	// A missing or non-numeric side gives the fallback; a number (white space, an optional sign,
	// decimal digits, anything after them ignored) is clamped to MIN_SIDE..MAX_SIDE.
	public static function side(text:String, fallback:Int):Int {
		if (text == null)
			return fallback;
		var i = 0;
		var n = text.length;
		while (i < n && isSpace(text.charCodeAt(i)))
			i++;
		var negative = false;
		if (i < n && (text.charAt(i) == "+" || text.charAt(i) == "-")) {
			negative = text.charAt(i) == "-";
			i++;
		}
		if (i >= n || !isDigit(text.charCodeAt(i)))
			return fallback;
		var value = 0.0;
		while (i < n && isDigit(text.charCodeAt(i))) {
			if (value < 1e10)
				value = value * 10 + (text.charCodeAt(i) - 48);
			i++;
		}
		if (negative)
			value = -value;
		return value < MIN_SIDE ? MIN_SIDE : (value > MAX_SIDE ? MAX_SIDE : Std.int(value));
	}

	// Only web and mail links open: "http:", "https:" or "mailto:", in any case, after white space.
	public static function allowedLink(url:String):Bool {
		if (url == null)
			return false;
		var t = StringTools.trim(url).toLowerCase();
		return StringTools.startsWith(t, "http:") || StringTools.startsWith(t, "https:") || StringTools.startsWith(t, "mailto:");
	}

	static function isSpace(c:Int):Bool {
		return c == 32 || (c >= 9 && c <= 13);
	}

	static function isDigit(c:Int):Bool {
		return c >= 48 && c <= 57;
	}
}
