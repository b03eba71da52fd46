// The shipped font faces for text drawn with flash.text: which embedded face a text uses, and,
// for a movie that does not embed them itself (the editor), borrowing them from the component
// movie at run time: the component movie is loaded into an application domain of its own and its
// face classes registered, which costs the borrowing movie nothing in size.
//
// A text whose face is not available is drawn with the player's device font of the same kind
// (_sans or _serif).

import flash.display.Loader;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.net.URLRequest;
import flash.system.ApplicationDomain;
import flash.system.LoaderContext;
import flash.text.Font;
import flash.text.FontStyle;

class BannerFonts {
	// The class names of the faces in the component movie (EmbeddedFonts).
	public static var FACE_CLASSES = [
		"LiberationSansRegular", "LiberationSansBold", "LiberationSansItalic", "LiberationSansBoldItalic", "LiberationSerifRegular",
		"LiberationSerifBold", "LiberationSerifItalic", "LiberationSerifBoldItalic", "DejaVuSans", "DejaVuSansBold", "DejaVuSansOblique",
		"DejaVuSansBoldOblique"
	];

	static var known:Map<String, Bool> = null;
	static var loader:Loader; // kept while it loads

	// The embedded font name to draw family in that style with, or null when the face is not
	// available (see deviceFont).
	public static function face(family:String, bold:Bool, italic:Bool):Null<String> {
		if (known == null) {
			known = new Map();
			try {
				for (f in Font.enumerateFonts(false))
					known.set(f.fontName + "/" + f.fontStyle, true);
			} catch (e:Dynamic) {}
		}
		var style = bold ? (italic ? FontStyle.BOLD_ITALIC : FontStyle.BOLD) : (italic ? FontStyle.ITALIC : FontStyle.REGULAR);
		return known.exists(family + "/" + style) ? family : null;
	}

	// The device font for a family whose face is not embedded.
	public static function deviceFont(family:String):String {
		return family == "Liberation Serif" ? "_serif" : "_sans";
	}

	// Registers faces classes found in a domain (the component movie's own, or one it was loaded
	// into); answers how many.
	public static function registerFrom(domain:ApplicationDomain):Int {
		var count = 0;
		for (name in FACE_CLASSES) {
			try {
				if (domain.hasDefinition(name)) {
					Font.registerFont(cast domain.getDefinition(name));
					count++;
				}
			} catch (e:Dynamic) {}
		}
		known = null;
		return count;
	}

	// Loads the component movie (componentUrl, e.g. "res/template.swf") into this movie's
	// own application domain and registers its faces; done gets how many (0 when it failed).
	public static function load(componentUrl:String, done:Int->Void) {
		loader = new Loader();
		var info = loader.contentLoaderInfo;
		info.addEventListener(Event.INIT, function(_) {
			var count = registerFrom(info.applicationDomain);
			loader = null;
			done(count);
		});
		info.addEventListener(IOErrorEvent.IO_ERROR, function(_) {
			loader = null;
			done(0);
		});
		try {
			loader.load(new URLRequest(componentUrl), new LoaderContext(false, new ApplicationDomain(null)));
		} catch (e:Dynamic) {
			loader = null;
			done(0);
		}
	}
}
