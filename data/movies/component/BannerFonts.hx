// The shipped font faces for text drawn with flash.text: which face a text uses, and loading the
// faces at run time from their own small movies (ShippedFaces), each into an application domain of
// its own, their classes registered. A banner loads the faces it uses, the editor every one.
//
// A text whose face is not available is drawn with the player's device font of the same kind
// (_sans or _serif).

import flash.display.Loader;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.SecurityErrorEvent;
import flash.net.URLRequest;
import flash.system.ApplicationDomain;
import flash.system.LoaderContext;
import flash.text.Font;
import flash.text.FontStyle;

class BannerFonts {
	static var known:Map<String, Bool> = null;
	static var loading:Array<Loader> = []; // kept while they load

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

	// Registers the face classes found in a domain; answers how many.
	public static function registerFrom(domain:ApplicationDomain):Int {
		var count = 0;
		// The shipped faces' classes, and UserFace: a face of the user's that publishing or the
		// host wrote into a face movie.
		for (name in ShippedFaces.CLASSES.concat(["UserFace"])) {
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

	// Loads the movies of the user's faces (urls, written by publishing: their class is UserFace),
	// each into an application domain of its own, and registers their faces; done is called once
	// every one has loaded or failed.
	public static function loadUserFaces(urls:Array<String>, done:Void->Void) {
		var waiting = urls.length;
		if (waiting == 0) {
			done();
			return;
		}
		for (url in urls) {
			var l = new Loader();
			loading.push(l);
			var info = l.contentLoaderInfo;
			var finished = false;
			var finish = function() {
				if (finished)
					return;
				finished = true;
				loading.remove(l);
				if (--waiting == 0)
					done();
			};
			info.addEventListener(Event.INIT, function(_) {
				registerFrom(info.applicationDomain);
				finish();
			});
			info.addEventListener(IOErrorEvent.IO_ERROR, function(_) finish());
			info.addEventListener(SecurityErrorEvent.SECURITY_ERROR, function(_) finish());
			try {
				l.load(new URLRequest(url), new LoaderContext(false, new ApplicationDomain(null)));
			} catch (e:Dynamic) {
				finish();
			}
		}
	}

	// Loads the face movies named (ShippedFaces classes) from folder (ending in "/"), each into an
	// application domain of its own, and registers their faces; done gets how many were registered
	// once every movie has loaded or failed (at once when there are none).
	public static function load(folder:String, names:Array<String>, done:Int->Void) {
		var waiting = names.length;
		var count = 0;
		if (waiting == 0) {
			done(0);
			return;
		}
		for (name in names) {
			var loader = new Loader();
			loading.push(loader);
			var info = loader.contentLoaderInfo;
			var finished = false;
			var finish = function(registered:Int) {
				if (finished)
					return;
				finished = true;
				loading.remove(loader);
				count += registered;
				if (--waiting == 0)
					done(count);
			};
			info.addEventListener(Event.INIT, function(_) finish(registerFrom(info.applicationDomain)));
			info.addEventListener(IOErrorEvent.IO_ERROR, function(_) finish(0));
			info.addEventListener(SecurityErrorEvent.SECURITY_ERROR, function(_) finish(0));
			try {
				loader.load(new URLRequest(folder + name + ".swf"), new LoaderContext(false, new ApplicationDomain(null)));
			} catch (e:Dynamic) {
				finish(0);
			}
		}
	}
}
