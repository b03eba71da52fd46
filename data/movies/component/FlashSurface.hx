// The banner drawn with flash.display: a clipped sprite, a background shape, a content sprite
// holding the image and the headline, and a transparent link area on top.

import BannerLayout.Rect;
import BannerLayout.EntranceState;
import BannerLayout.HeadlineLayout;
import flash.display.Loader;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.MouseEvent;
import flash.net.URLRequest;
import flash.text.TextField;
import flash.text.TextFieldAutoSize;
import flash.text.TextFormat;

class FlashSurface implements BannerSurface {
	var root:flash.display.MovieClip;
	var banner:Sprite;
	var content:Sprite;
	var picture:Loader;
	var headline:TextField;
	var width = 0;
	var height = 0;

	public function new(root:flash.display.MovieClip) {
		this.root = root;
	}

	public function begin(w:Int, h:Int, background:Int) {
		width = w;
		height = h;
		banner = new Sprite();
		var clip = new Shape();
		clip.graphics.beginFill(0);
		clip.graphics.drawRect(0, 0, w, h);
		clip.graphics.endFill();
		banner.addChild(clip);
		banner.mask = clip;
		root.addChild(banner);

		var fill = new Shape();
		fill.graphics.beginFill(background);
		fill.graphics.drawRect(0, 0, w, h);
		fill.graphics.endFill();
		banner.addChild(fill);

		content = new Sprite();
		content.visible = false;
		banner.addChild(content);
	}

	public function loadImage(url:String, loaded:Float->Float->Void, failed:Void->Void) {
		picture = new Loader();
		picture.contentLoaderInfo.addEventListener(Event.COMPLETE, function(_) {
			var info = picture.contentLoaderInfo;
			var w:Float = info.width, h:Float = info.height;
			try {
				var bitmap:flash.display.Bitmap = cast picture.content;
				bitmap.smoothing = true;
				w = bitmap.bitmapData.width;
				h = bitmap.bitmapData.height;
			} catch (e:Dynamic) {}
			loaded(w, h);
		});
		picture.contentLoaderInfo.addEventListener(IOErrorEvent.IO_ERROR, function(_) failed());
		content.addChild(picture);
		picture.load(new URLRequest(url));
	}

	public function placeImage(box:Rect) {
		var info = picture.contentLoaderInfo;
		var w:Float = info.width, h:Float = info.height;
		try {
			var bitmap:flash.display.Bitmap = cast picture.content;
			w = bitmap.bitmapData.width;
			h = bitmap.bitmapData.height;
		} catch (e:Dynamic) {}
		picture.scaleX = box.width / w;
		picture.scaleY = box.height / h;
		picture.x = box.x;
		picture.y = box.y;
	}

	public function addHeadline(layout:HeadlineLayout):Float {
		var format = new TextFormat("_sans", layout.size, layout.colour, layout.bold);
		format.align = switch (layout.align) {
			case "left": flash.text.TextFormatAlign.LEFT;
			case "right": flash.text.TextFormatAlign.RIGHT;
			default: flash.text.TextFormatAlign.CENTER;
		};
		headline = new TextField();
		headline.selectable = false;
		headline.mouseEnabled = false;
		headline.multiline = true;
		headline.wordWrap = true;
		headline.width = layout.width;
		headline.defaultTextFormat = format;
		headline.autoSize = TextFieldAutoSize.LEFT;
		headline.text = layout.text;
		headline.x = layout.x;
		content.addChild(headline);
		return headline.height;
	}

	public function moveHeadline(top:Float) {
		headline.y = top;
	}

	public function addLink(url:String, target:String) {
		var area = new Sprite();
		area.graphics.beginFill(0, 0);
		area.graphics.drawRect(0, 0, width, height);
		area.graphics.endFill();
		area.buttonMode = true;
		area.useHandCursor = true;
		area.addEventListener(MouseEvent.CLICK, function(_) {
			try {
				flash.Lib.getURL(new URLRequest(url), target);
			} catch (e:Dynamic) {}
		});
		banner.addChild(area);
	}

	public function showContent(state:EntranceState) {
		content.visible = true;
		content.alpha = state.alpha;
		content.scaleX = content.scaleY = state.scale;
		content.x = state.x;
		content.y = state.y;
	}

	public function now():Float {
		return flash.Lib.getTimer();
	}

	public function everyFrame(tick:Void->Bool) {
		var onFrame:Dynamic->Void = null;
		onFrame = function(_) {
			if (!tick())
				root.removeEventListener(Event.ENTER_FRAME, onFrame);
		};
		root.addEventListener(Event.ENTER_FRAME, onFrame);
	}

	public function finished() {}
}
