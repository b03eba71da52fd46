// The component movie: draws a banner from a project XML (BannerRenderer on flash.display) at
// the size its demoWidth x demoHeight names, once the faces its texts use are loaded from their
// movies beside it (ShippedFaces, BannerFonts). Compiled with -D every_face, it embeds every face
// instead and loads none (the movie the editor borrows its faces from).
// Loaded by the banner movie, it receives the project over its loader's shared event channel;
// played on its own, it reads "template.xml" from the folder above its own.

import BannerDocument;
import flash.events.DataEvent;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.net.URLLoader;
import flash.net.URLRequest;

class ComponentMain {
	static inline var READY_EVENT = "pennoriaComponentReady";
	static inline var PROJECT_EVENT = "pennoriaProject";

	var root:flash.display.MovieClip;
	var shown = false;

	static function main() {
		new ComponentMain();
	}

	function new() {
		root = flash.Lib.current;
		#if every_face
		BannerFonts.registerFrom(flash.system.ApplicationDomain.currentDomain);
		#end
		var standalone = root.parent == root.stage;
		if (standalone) {
			var own = MovieUrls.folderOf(root.loaderInfo.url);
			var parentFolder = MovieUrls.folderOf(own.substr(0, own.length - 1));
			var request = new URLLoader();
			request.addEventListener(Event.COMPLETE, function(_) show(parentFolder, MovieUrls.withoutBom(Std.string(request.data))));
			request.addEventListener(IOErrorEvent.IO_ERROR, function(_) {});
			request.load(new URLRequest(parentFolder + "template.xml"));
		} else {
			var shared = root.loaderInfo.sharedEvents;
			shared.addEventListener(PROJECT_EVENT, function(e:DataEvent) {
				var cut = e.data.indexOf("\n");
				if (cut >= 0)
					show(e.data.substr(0, cut), e.data.substr(cut + 1));
			});
			shared.dispatchEvent(new Event(READY_EVENT));
		}
	}

	function show(projectFolder:String, text:String) {
		if (shown)
			return;
		shown = true;
		var doc = BannerDocument.parse(text);
		var draw = function(_) {
			var renderer = new BannerRenderer(doc, new FlashSurface(root), doc.shownSize);
			// Texts in scripts the player cannot set come as the pictures publishing painted.
			renderer.hostTexts = true;
			renderer.start(projectFolder);
		};
		// The user's faces the texts use come too, from the face movies publishing wrote.
		var movies = [];
		for (f in doc.fonts) {
			var used = false;
			for (e in doc.elements)
				if ((e.kind == Text || e.kind == Button) && e.font == f.family)
					used = true;
			if (used && StringTools.endsWith(f.src.toLowerCase(), ".swf"))
				movies.push(MovieUrls.resolve(projectFolder, f.src));
		}
		#if every_face
		BannerFonts.loadUserFaces(movies, function() draw(0));
		#else
		BannerFonts.load(MovieUrls.folderOf(root.loaderInfo.url), ShippedFaces.moviesOf(doc), function(_) BannerFonts.loadUserFaces(movies, function() draw(0)));
		#end
	}
}
