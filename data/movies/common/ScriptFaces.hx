// The faces for the scripts the shipped faces lack. Those are cut to Latin, Greek and Cyrillic,
// so Chinese, Japanese and Korean characters, Arabic and Hebrew letters, and Thai and Devanagari
// (Hindi, Marathi, Nepali...) letters are set in a face of the system instead: the same face, in
// the same place of the font list, in the HTML5 creative (which carries a cut of it holding only
// the characters it shows) and in the backup image and exports (whose painter finds it through
// fontconfig). Every character of such a script goes to
// its face whatever the element's family; the rest stays with the element's family.
//
// The Flash player sets text with the faces embedded in the movie and without shaping: it cannot
// draw these scripts (see needsHost). Thai and Devanagari need shaping as Arabic does (marks
// stacked on their letter, conjuncts, vowel signs before their consonant): the browser and the
// painter shape with the face's own layout tables, which its cut keeps.

typedef ScriptFace = {
	family:String, // the system family
	cssRange:String // the characters it sets, as a CSS unicode-range
}

class ScriptFaces {
	// Chinese, Japanese and Korean: a face with all three, and small (WenQuanYi Micro Hei).
	public static inline var CJK = "WenQuanYi Micro Hei";
	// Arabic and Hebrew: DejaVu Sans of the system, whose full face has both with their forms
	// (the shipped DejaVu Sans is cut to the Latin, Greek and Cyrillic letters).
	public static inline var RTL = "DejaVu Sans";
	// Thai: Loma, the sans-serif of the Thai fonts (fonts-tlwg-loma-ttf), with a bold.
	public static inline var THAI = "Loma";
	// Devanagari: Lohit Devanagari (fonts-lohit-deva), regular only.
	public static inline var DEVANAGARI = "Lohit Devanagari";

	public static var FACES:Array<ScriptFace> = [
		{family: CJK, cssRange: "U+1100-11FF, U+2E80-9FFF, U+A960-A97F, U+AC00-D7FF, U+F900-FAFF, U+FE30-FE4F, U+FF00-FFEF, U+20000-3FFFF"},
		{family: RTL, cssRange: "U+0590-08FF, U+FB1D-FDFF, U+FE70-FEFF"},
		{family: THAI, cssRange: "U+0E00-0E7F"},
		{family: DEVANAGARI, cssRange: "U+0900-097F, U+1CD0-1CFF, U+A8E0-A8FF"}
	];

	// The script face a UTF-16 unit is set in (an index into FACES), or -1: the element's own.
	// Both halves of a character beyond the Basic Multilingual Plane go with the CJK face
	// (ideographs of the extensions); a face lacking it leaves it to the next in the font list.
	public static function faceOf(code:Int):Int {
		if (code < 0x0590)
			return -1;
		if (code <= 0x08FF || (code >= 0xFB1D && code <= 0xFDFF) || (code >= 0xFE70 && code <= 0xFEFF))
			return 1;
		if (code >= 0x0E00 && code <= 0x0E7F)
			return 2;
		if ((code >= 0x0900 && code <= 0x097F) || (code >= 0x1CD0 && code <= 0x1CFF) || (code >= 0xA8E0 && code <= 0xA8FF))
			return 3;
		if ((code >= 0x1100 && code <= 0x11FF) || (code >= 0x2E80 && code <= 0x9FFF) || (code >= 0xA960 && code <= 0xA97F)
			|| (code >= 0xAC00 && code <= 0xDFFF) || (code >= 0xF900 && code <= 0xFAFF) || (code >= 0xFE30 && code <= 0xFE4F)
			|| (code >= 0xFF00 && code <= 0xFFEF))
			return 0;
		return -1;
	}

	// The advance (em) the model counts for a character of a script face, or -1 for other
	// characters: CJK characters are a full em in their face (halfwidth forms half of it);
	// Arabic and Hebrew letters are about 0.55 em; Thai letters about 0.65 em and Devanagari
	// ones 0.6 em (the means of their faces), their marks and signs set on or under a letter
	// none, so that a line broken inside a word never parts a letter from its marks.
	public static function advance(code:Int):Float {
		return switch (faceOf(code)) {
			case 0: code >= 0xFF61 && code <= 0xFFDC ? 0.5 : (code >= 0xD800 && code <= 0xDFFF ? 0.5 : 1.0);
			case 1: 0.55;
			case 2: code == 0x0E31 || (code >= 0x0E34 && code <= 0x0E3A) || (code >= 0x0E47 && code <= 0x0E4E) ? 0 : 0.65;
			case 3: code <= 0x0902 || code == 0x093A || code == 0x093C || (code >= 0x0941 && code <= 0x0948) || code == 0x094D
				|| (code >= 0x0951 && code <= 0x0957) || code == 0x0962 || code == 0x0963 || (code >= 0x1CD0 && code <= 0x1CFF) ? 0 : 0.6;
			default: -1;
		}
	}

	// Whether the text has a character the Flash player cannot draw: a script face's character,
	// or a right-to-left one.
	public static function needsHost(text:String):Bool {
		for (i in 0...text.length)
			if (faceOf(StringTools.fastCodeAt(text, i)) >= 0)
				return true;
		return false;
	}

	// The families a text element in `family` is set in, first to last, without the generic.
	public static function families(family:String):Array<String> {
		var list = [family];
		for (f in FACES)
			if (list.indexOf(f.family) < 0)
				list.push(f.family);
		return list;
	}

	// The text split by face: [the element's own characters, then one string per FACES entry].
	public static function split(text:String):Array<String> {
		var parts = [new StringBuf()];
		for (f in FACES)
			parts.push(new StringBuf());
		for (i in 0...text.length) {
			var c = StringTools.fastCodeAt(text, i);
			parts[faceOf(c) + 1].addChar(c);
		}
		return [for (p in parts) p.toString()];
	}
}
