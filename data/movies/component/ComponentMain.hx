// The component movie: draws a banner from a project XML: background, the image fitted to the
// banner, an optional headline, an optional click-through link and an entrance effect.
// Loaded by the banner movie, it receives the project over its loader's shared event channel;
// played on its own, it reads "template.xml" from the folder above its own.

import flash.display.Loader;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.DataEvent;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.MouseEvent;
import flash.net.URLLoader;
import flash.net.URLRequest;
import flash.text.TextField;
import flash.text.TextFieldAutoSize;
import flash.text.TextFormat;

class ComponentMain {
	static inline var READY_EVENT = "pennoriaComponentReady";
	static inline var PROJECT_EVENT = "pennoriaProject";

	var root:flash.display.MovieClip;
	var project:BannerProject;
	var folder:String;
	var banner:Sprite; // clipped to the banner rectangle
	var content:Sprite; // what the entrance effect moves
	var effectStart = -1.0;
	var shown = false;

	static function main() {
		new ComponentMain();
	}

	function new() {
		root = flash.Lib.current;
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
		folder = projectFolder;
		project = BannerProject.parse(text);

		banner = new Sprite();
		var clip = new Shape();
		clip.graphics.beginFill(0);
		clip.graphics.drawRect(0, 0, project.width, project.height);
		clip.graphics.endFill();
		banner.addChild(clip);
		banner.mask = clip;
		root.addChild(banner);

		var background = new Shape();
		background.graphics.beginFill(project.background);
		background.graphics.drawRect(0, 0, project.width, project.height);
		background.graphics.endFill();
		banner.addChild(background);

		content = new Sprite();
		content.visible = false;
		banner.addChild(content);

		if (project.image != null && project.image != "") {
			var picture = new Loader();
			picture.contentLoaderInfo.addEventListener(Event.COMPLETE, function(_) {
				placeImage(picture);
				finishContent();
			});
			picture.contentLoaderInfo.addEventListener(IOErrorEvent.IO_ERROR, function(_) finishContent());
			content.addChild(picture);
			picture.load(new URLRequest(MovieUrls.resolve(folder, project.image)));
		} else {
			finishContent();
		}
	}

	function placeImage(picture:Loader) {
		var info = picture.contentLoaderInfo;
		var w:Float = info.width, h:Float = info.height;
		try {
			var bitmap:flash.display.Bitmap = cast picture.content;
			bitmap.smoothing = true;
			w = bitmap.bitmapData.width;
			h = bitmap.bitmapData.height;
		} catch (e:Dynamic) {}
		if (w <= 0 || h <= 0)
			return;
		var sx = project.width / w, sy = project.height / h;
		switch (project.fit) {
			case Stretch:
			case Contain:
				sx = sy = Math.min(sx, sy);
			case Cover:
				sx = sy = Math.max(sx, sy);
		}
		picture.scaleX = sx;
		picture.scaleY = sy;
		picture.x = (project.width - w * sx) / 2;
		picture.y = (project.height - h * sy) / 2;
	}

	function finishContent() {
		if (project.headline != null && project.headline != "")
			content.addChild(makeHeadline());
		if (project.link != null && project.link != "")
			banner.addChild(makeLink());
		content.visible = true;
		applyEffect(0);
		if (project.effect != None && project.duration > 0) {
			effectStart = flash.Lib.getTimer();
			root.addEventListener(Event.ENTER_FRAME, onFrame);
		} else {
			applyEffect(1);
		}
	}

	function makeHeadline():TextField {
		var margin = Math.round(Math.min(project.width, project.height) * 0.06);
		var format = new TextFormat("_sans", project.headlineSize, project.headlineColor, project.headlineBold);
		format.align = switch (project.headlineAlign) {
			case "left": flash.text.TextFormatAlign.LEFT;
			case "right": flash.text.TextFormatAlign.RIGHT;
			default: flash.text.TextFormatAlign.CENTER;
		};
		var field = new TextField();
		field.selectable = false;
		field.mouseEnabled = false;
		field.multiline = true;
		field.wordWrap = true;
		field.width = project.width - 2 * margin;
		field.defaultTextFormat = format;
		field.autoSize = TextFieldAutoSize.LEFT;
		field.text = project.headline;
		field.x = margin;
		field.y = switch (project.headlineVAlign) {
			case "top": margin;
			case "middle": (project.height - field.height) / 2;
			default: project.height - margin - field.height;
		};
		return field;
	}

	function makeLink():Sprite {
		var area = new Sprite();
		area.graphics.beginFill(0, 0);
		area.graphics.drawRect(0, 0, project.width, project.height);
		area.graphics.endFill();
		area.buttonMode = true;
		area.useHandCursor = true;
		area.addEventListener(MouseEvent.CLICK, function(_) {
			try {
				flash.Lib.getURL(new URLRequest(project.link), project.linkTarget);
			} catch (e:Dynamic) {}
		});
		return area;
	}

	function onFrame(_) {
		var t = (flash.Lib.getTimer() - effectStart) / project.duration;
		if (t >= 1) {
			t = 1;
			root.removeEventListener(Event.ENTER_FRAME, onFrame);
		}
		applyEffect(t);
	}

	// Places the content at progress t (0 to 1) of the entrance effect, eased out.
	function applyEffect(t:Float) {
		var e = 1 - (1 - t) * (1 - t) * (1 - t);
		content.alpha = 1;
		content.x = content.y = 0;
		content.scaleX = content.scaleY = 1;
		switch (project.effect) {
			case None:
			case Fade:
				content.alpha = e;
			case Slide:
				content.x = -project.width * (1 - e);
			case Zoom:
				var s = 1.25 - 0.25 * e;
				content.scaleX = content.scaleY = s;
				content.x = project.width * (1 - s) / 2;
				content.y = project.height * (1 - s) / 2;
				content.alpha = e;
		}
	}
}
