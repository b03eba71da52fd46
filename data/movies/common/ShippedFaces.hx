// The shipped faces as movies: each face is embedded alone in a small movie named after its class
// ("LiberationSansBold.swf"), which lies beside the component movie; a banner loads only the faces
// its texts and buttons are set in, and the editor all of them.

import BannerDocument;

class ShippedFaces {
	// The faces' class names, four styles of each family (BannerElement.FONTS) in the order
	// regular, bold, italic, bold italic.
	public static var CLASSES = [
		"LiberationSansRegular", "LiberationSansBold", "LiberationSansItalic", "LiberationSansBoldItalic", "LiberationSerifRegular",
		"LiberationSerifBold", "LiberationSerifItalic", "LiberationSerifBoldItalic", "DejaVuSans", "DejaVuSansBold", "DejaVuSansOblique",
		"DejaVuSansBoldOblique"
	];

	// The class of the face a family is drawn with in a style; null for a family not shipped.
	public static function classOf(family:String, bold:Bool, italic:Bool):Null<String> {
		var index = BannerElement.FONTS.indexOf(family);
		return index < 0 ? null : CLASSES[index * 4 + (bold ? 1 : 0) + (italic ? 2 : 0)];
	}

	// The face movies a banner draws with, each once, in the order of first use.
	public static function moviesOf(doc:BannerDocument):Array<String> {
		var used = [];
		for (e in doc.elements) {
			if (e.kind != Text && e.kind != Button)
				continue;
			var name = classOf(e.font, e.bold, e.italic);
			if (name != null && used.indexOf(name) < 0)
				used.push(name);
		}
		return used;
	}
}
