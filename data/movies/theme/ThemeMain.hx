// The banner movie: reads the project XML beside it, loads the component movie the project
// names and hands it the project; the banner is fitted into the movie's own stage rectangle,
// so a copy whose stage size was rewritten shows the banner at that size.

import flash.display.Loader;
import flash.display.Sprite;
import flash.events.DataEvent;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.SecurityErrorEvent;
import flash.net.URLLoader;
import flash.net.URLRequest;
import flash.system.ApplicationDomain;
import flash.system.LoaderContext;

class ThemeMain {
	// Events exchanged with the component movie over its loader's shared event channel.
	public static inline var READY_EVENT = "pennoriaComponentReady";
	public static inline var PROJECT_EVENT = "pennoriaProject";

	static inline var DEFAULT_XML = "template.xml";
	static inline var DEFAULT_COMPONENT = "res/template.swf";
	static inline var DEFAULT_WIDTH = 720;
	static inline var DEFAULT_HEIGHT = 540;

	var root:flash.display.MovieClip;
	var folder:String;
	var projectText:String;
	var bannerWidth = DEFAULT_WIDTH;
	var bannerHeight = DEFAULT_HEIGHT;
	var holder:Sprite;
	var component:Loader;
	var delivered = false;
	var componentReady = false;

	static function main() {
		new ThemeMain();
	}

	function new() {
		root = flash.Lib.current;
		centreStage();
		folder = MovieUrls.folderOf(root.loaderInfo.url);
		var params:Dynamic = root.loaderInfo.parameters;
		var xmlName:String = (params != null && params.xml != null && params.xml != "") ? params.xml : DEFAULT_XML;

		holder = new Sprite();
		root.addChild(holder);

		var request = new URLLoader();
		request.addEventListener(Event.COMPLETE, function(_) onProject(MovieUrls.withoutBom(Std.string(request.data))));
		request.addEventListener(IOErrorEvent.IO_ERROR, function(_) {});
		request.addEventListener(SecurityErrorEvent.SECURITY_ERROR, function(_) {});
		request.load(new URLRequest(MovieUrls.resolve(folder, xmlName)));
	}

	function onProject(text:String) {
		projectText = text;
		var componentUrl = DEFAULT_COMPONENT;
		try {
			var doc = Xml.parse(text).firstElement();
			if (doc != null) {
				bannerWidth = ProjectRules.side(doc.get("demoWidth"), DEFAULT_WIDTH);
				bannerHeight = ProjectRules.side(doc.get("demoHeight"), DEFAULT_HEIGHT);
				for (c in doc.elementsNamed("component"))
					for (info in c.elementsNamed("info")) {
						var url = info.get("url");
						if (url != null && url != "")
							componentUrl = url;
					}
			}
		} catch (e:Dynamic) {
			// Unreadable project: the component still gets the text and shows what it can.
		}
		fitBanner();

		component = new Loader();
		var shared = component.contentLoaderInfo.sharedEvents;
		shared.addEventListener(READY_EVENT, function(_) {
			// The component's start-up code aligns the stage top-left; undo that.
			centreStage();
			componentReady = true;
			deliver();
		});
		component.contentLoaderInfo.addEventListener(IOErrorEvent.IO_ERROR, function(_) {});
		holder.addChild(component);
		// A domain of its own keeps the component's runtime classes apart from ours.
		component.load(new URLRequest(MovieUrls.resolve(folder, componentUrl)), new LoaderContext(false, new ApplicationDomain()));
	}

	// The stage is centred when a page gives the player more or less room than the stage asks
	// for (an empty alignment means centred).
	function centreStage() {
		try {
			root.stage.align = cast "";
		} catch (e:Dynamic) {}
	}

	// Scales the banner rectangle into the stage rectangle of this movie's header, centred.
	function fitBanner() {
		var stageWidth = root.loaderInfo.width;
		var stageHeight = root.loaderInfo.height;
		var scale = Math.min(stageWidth / bannerWidth, stageHeight / bannerHeight);
		holder.scaleX = holder.scaleY = scale;
		holder.x = (stageWidth - bannerWidth * scale) / 2;
		holder.y = (stageHeight - bannerHeight * scale) / 2;
	}

	function deliver() {
		if (delivered || !componentReady || projectText == null)
			return;
		delivered = true;
		component.contentLoaderInfo.sharedEvents.dispatchEvent(new DataEvent(PROJECT_EVENT, false, false, folder + "\n" + projectText));
	}
}
