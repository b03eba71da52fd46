// A row of a product feed applied to a design. A column named after an element's id replaces
// its content (a text's or button's label, an image's picture); "<id>.url" sets a button's
// link, "<id>.color" a text's or button's label colour, "<id>.fill" a button's or shape's fill,
// and "link" the banner's link; "name" names the variant only. An empty cell keeps the design's value. A column that names
// nothing the design has is unknown: it is ignored, and the caller says so once.

import BannerDocument;

typedef FeedVariant = {
	doc:BannerDocument,
	unknown:Array<String>,
	error:String
}

class FeedBinding {
	// The column that names the banner's own link.
	public static inline var LINK = "link";
	// The column that names the variant (its folder); it never sets anything of the design.
	public static inline var NAME = "name";

	// Whether the column names something of the design (whatever the cell holds).
	public static function known(doc:BannerDocument, column:String):Bool {
		return target(doc, column) != null;
	}

	// The element and what of it a column sets ("" for its content); null when nothing.
	static function target(doc:BannerDocument, column:String):Null<{e:BannerElement, part:String}> {
		if (column == LINK)
			return {e: null, part: LINK};
		var e = doc.find(column);
		if (e != null)
			return e.kind == Shape ? null : {e: e, part: ""};
		var dot = column.lastIndexOf(".");
		if (dot <= 0)
			return null;
		e = doc.find(column.substr(0, dot));
		if (e == null)
			return null;
		var part = column.substr(dot + 1);
		var fits = switch (part) {
			case "url": e.kind == Button;
			case "color": e.kind == Text || e.kind == Button;
			case "fill": e.kind == Button || e.kind == Shape;
			default: false;
		};
		return fits ? {e: e, part: part} : null;
	}

	// A picture named by a feed: an absolute path as it is, a relative one below the feed's folder.
	public static function picturePath(folder:String, value:String):String {
		if (StringTools.startsWith(value, "/") || value.indexOf(":\\") >= 0 || value.indexOf(":/") >= 0
			|| folder == "")
			return value;
		return StringTools.endsWith(folder, "/") ? folder + value : folder + "/" + value;
	}

	// A copy of doc with the row's cells (pairs of column and value, in the feed's order) applied.
	public static function apply(doc:BannerDocument, cells:Array<Array<String>>, folder:String):FeedVariant {
		var copy = doc.clone();
		var unknown:Array<String> = [];
		for (cell in cells) {
			var column = cell[0], value = cell[1];
			if (column == NAME)
				continue;
			var t = target(copy, column);
			if (t == null) {
				if (unknown.indexOf(column) < 0)
					unknown.push(column);
				continue;
			}
			if (value == null || StringTools.trim(value) == "")
				continue;
			var refused = set(copy, t.e, t.part, value, folder);
			if (refused != null)
				return {doc: null, unknown: unknown, error: 'the column "' + column + '": ' + refused};
		}
		return {doc: copy, unknown: unknown, error: null};
	}

	// Sets one value; why it is refused, or null.
	static function set(doc:BannerDocument, e:BannerElement, part:String, value:String, folder:String):Null<String> {
		switch (part) {
			case "link" | "url":
				var link = StringTools.trim(value);
				if (!ProjectRules.allowedLink(link))
					return '"' + link + '" is not a web or mail link (http:, https: or mailto:)';
				if (e == null)
					doc.link = link;
				else
					e.url = link;
			case "color" | "fill":
				var none = part == "fill" ? "none" : null;
				var colour = BannerDocument.colourOrNone(value, -1);
				if (colour == -1 || (colour == null && none == null))
					return '"' + StringTools.trim(value) + '" is not a colour (#RRGGBB' + (none == null ? ")" : " or none)");
				if (part == "color")
					e.color = colour;
				else
					e.fill = colour;
			default:
				if (e.kind == Image) {
					e.src = picturePath(folder, StringTools.trim(value));
				} else {
					if (value.length > BannerDocument.MAX_LABEL)
						return "the text is " + value.length + " characters long (at most " + BannerDocument.MAX_LABEL + ")";
					e.label = value;
				}
		}
		return null;
	}
}
