// The banner drawn with flash.display: a clipped sprite, a background shape, a content sprite
// holding the image (and a version-1 headline), a transparent link area, and above it a sprite
// per element of a version-2 banner. Texts use the shipped faces where they are embedded
// (BannerFonts). Usable inside another movie (the editor's preview): the banner is the sprite
// `display`, added to the given container, and links can be left out.

import BannerLayout.Rect;
import BannerLayout.EntranceState;
import BannerLayout.HeadlineLayout;
import BannerDocument;
import flash.display.Bitmap;
import flash.display.BitmapData;
import flash.display.DisplayObjectContainer;
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
import flash.text.TextFormatAlign;

class FlashSurface implements BannerSurface {
	// Images already loaded, by URL: an element drawn again shows its image at once.
	static var pictures = new Map<String, BitmapData>();

	// The banner; null until the renderer begins.
	public var display(get, never):Sprite;

	var root:DisplayObjectContainer;
	var links:Bool;
	var banner:Sprite;
	var elements:Sprite;
	var layerSprites:Array<Sprite> = [];
	// Bumped when a layer is drawn again, so that a late image lands nowhere.
	var drawings:Array<Int> = [];
	var bannerLink:String = null;
	var bannerTarget = "_blank";
	var content:Sprite;
	var picture:Loader;
	var headline:TextField;
	var width = 0;
	var height = 0;

	// links: whether clicks open the banner's and the buttons' links.
	public function new(root:DisplayObjectContainer, links = true) {
		this.root = root;
		this.links = links;
	}

	function get_display():Sprite {
		return banner;
	}

	// Takes the banner off its container.
	public function dispose() {
		if (banner != null && banner.parent != null)
			banner.parent.removeChild(banner);
	}

	// Again for a banner set up anew: what was drawn goes.
	public function begin(w:Int, h:Int, background:Int) {
		// A banner set up again keeps its place among the container's children.
		var at = banner != null && banner.parent == root ? root.getChildIndex(banner) : -1;
		dispose();
		picture = null;
		headline = null;
		elements = null;
		layerSprites = [];
		drawings = [];
		buttonLinks = new Map();
		bannerLink = null;
		width = w;
		height = h;
		banner = new Sprite();
		var clip = new Shape();
		clip.graphics.beginFill(0);
		clip.graphics.drawRect(0, 0, w, h);
		clip.graphics.endFill();
		banner.addChild(clip);
		banner.mask = clip;
		if (at >= 0)
			root.addChildAt(banner, at);
		else
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
		var loader = new Loader();
		picture = loader;
		loader.contentLoaderInfo.addEventListener(Event.COMPLETE, function(_) {
			if (picture != loader) {
				failed(); // the banner was set up again meanwhile
				return;
			}
			var info = loader.contentLoaderInfo;
			var w:Float = info.width, h:Float = info.height;
			try {
				var bitmap:flash.display.Bitmap = cast loader.content;
				bitmap.smoothing = true;
				w = bitmap.bitmapData.width;
				h = bitmap.bitmapData.height;
			} catch (e:Dynamic) {}
			loaded(w, h);
		});
		loader.contentLoaderInfo.addEventListener(IOErrorEvent.IO_ERROR, function(_) failed());
		content.addChild(loader);
		loader.load(new URLRequest(url));
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
		bannerLink = url;
		bannerTarget = target;
		if (!links)
			return;
		var area = new Sprite();
		area.graphics.beginFill(0, 0);
		area.graphics.drawRect(0, 0, width, height);
		area.graphics.endFill();
		area.buttonMode = true;
		area.useHandCursor = true;
		area.addEventListener(MouseEvent.CLICK, function(_) open(url, target));
		banner.addChild(area);
	}

	static function open(url:String, target:String) {
		try {
			flash.Lib.getURL(new URLRequest(url), target);
		} catch (e:Dynamic) {}
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

	// --- Version 2: a sprite per element --------------------------------------------------

	public function layers(count:Int) {
		if (elements == null) {
			elements = new Sprite();
			banner.addChild(elements);
		}
		while (layerSprites.length > count) {
			elements.removeChild(layerSprites.pop());
			drawings.pop();
		}
		while (layerSprites.length < count) {
			var layer = new Sprite();
			layer.visible = false;
			layer.mouseEnabled = false;
			layer.mouseChildren = false;
			elements.addChild(layer);
			layerSprites.push(layer);
			drawings.push(0);
		}
	}

	// The layer emptied for a new drawing.
	function fresh(index:Int):Sprite {
		var layer = layerSprites[index];
		drawings[index]++;
		while (layer.numChildren > 0)
			layer.removeChildAt(0);
		layer.graphics.clear();
		layer.filters = [];
		layer.buttonMode = false;
		layer.useHandCursor = false;
		layer.mouseEnabled = false;
		if (layer.hasEventListener(MouseEvent.CLICK))
			layer.removeEventListener(MouseEvent.CLICK, clickButton);
		return layer;
	}

	public function drawImage(index:Int, url:String, fit:String, width:Float, height:Float, done:Void->Void) {
		var layer = fresh(index);
		var drawing = drawings[index];
		var clip = new Shape();
		clip.graphics.beginFill(0);
		clip.graphics.drawRect(0, 0, width, height);
		clip.graphics.endFill();
		layer.addChild(clip);
		var place = function(picture:flash.display.DisplayObject, w:Float, h:Float) {
			var box = BannerLayout.fitRect(fit, width, height, w, h);
			if (box == null)
				return;
			picture.x = box.x;
			picture.y = box.y;
			picture.scaleX = box.width / w;
			picture.scaleY = box.height / h;
			picture.mask = clip;
			layer.addChild(picture);
		};
		var cached = pictures.get(url);
		if (cached != null) {
			var bitmap = new Bitmap(cached);
			bitmap.smoothing = true;
			place(bitmap, cached.width, cached.height);
			done();
			return;
		}
		var loader = new Loader();
		loader.contentLoaderInfo.addEventListener(Event.COMPLETE, function(_) {
			if (drawings[index] == drawing && layerSprites[index] == layer) {
				var shown:flash.display.DisplayObject = loader;
				var w:Float = loader.contentLoaderInfo.width, h:Float = loader.contentLoaderInfo.height;
				try {
					var data = (cast loader.content : Bitmap).bitmapData;
					pictures.set(url, data);
					var bitmap = new Bitmap(data);
					bitmap.smoothing = true;
					shown = bitmap;
					w = data.width;
					h = data.height;
				} catch (e:Dynamic) {}
				place(shown, w, h);
			}
			done();
		});
		loader.contentLoaderInfo.addEventListener(IOErrorEvent.IO_ERROR, function(_) done());
		try {
			loader.load(new URLRequest(url));
		} catch (e:Dynamic) {
			done();
		}
	}

	// A text field in e's face at fontSize; with a lineHeight, its lines are fontSize x lineHeight
	// apart (otherwise the font's own spacing). Answers the field and the leading added per line.
	static function textField(e:BannerElement, fontSize:Int, align:String, ?lineHeight:Float):{field:TextField, leading:Float} {
		var embedded = BannerFonts.face(e.font, e.bold, e.italic);
		var bold = e.bold, italic = e.italic;
		// A face of the user's is one file for every style: drawn plain rather than not at all.
		if (embedded == null && (bold || italic) && BannerElement.FONTS.indexOf(e.font) < 0 && BannerFonts.face(e.font, false, false) != null) {
			embedded = e.font;
			bold = italic = false;
		}
		var format = new TextFormat(embedded != null ? embedded : BannerFonts.deviceFont(e.font), fontSize, e.color, bold, italic);
		format.align = switch (align) {
			case "center": TextFormatAlign.CENTER;
			case "right": TextFormatAlign.RIGHT;
			default: TextFormatAlign.LEFT;
		};
		var field = new TextField();
		field.embedFonts = embedded != null;
		field.selectable = false;
		field.mouseEnabled = false;
		field.defaultTextFormat = format;
		var leading = 0;
		if (lineHeight != null) {
			field.text = "X";
			// The font's own line height, to turn into the wanted one.
			var metrics = field.getLineMetrics(0);
			leading = Math.round(fontSize * lineHeight - (metrics.ascent + metrics.descent));
			format.leading = leading;
			field.defaultTextFormat = format;
			field.text = "";
		}
		return {field: field, leading: leading};
	}

	// The text starts at the box's edges: the field's gutter lies outside them, and each line's
	// extra spacing is shared above and below it, as web pages and the backup image lay lines out.
	// The lines are the model's, not wrapped again: the field takes the widest line's width and
	// keeps the edge (or the centre) the alignment names where the box has it.
	public function drawText(index:Int, e:BannerElement, width:Float, height:Float, fontSize:Int, lines:Array<String>) {
		var layer = fresh(index);
		var made = textField(e, fontSize, e.align, e.lineHeight);
		var field = made.field;
		field.multiline = true;
		field.wordWrap = false;
		field.width = width + 2 * BannerLayout.TEXT_GUTTER;
		field.x = -BannerLayout.TEXT_GUTTER;
		field.y = -BannerLayout.TEXT_GUTTER + made.leading / 2;
		field.autoSize = switch (e.align) {
			case "center": TextFieldAutoSize.CENTER;
			case "right": TextFieldAutoSize.RIGHT;
			default: TextFieldAutoSize.LEFT;
		};
		field.text = lines.join("\n");
		layer.addChild(field);
		if (e.shadowColor != null) {
			var distance = Math.sqrt(e.shadowX * e.shadowX + e.shadowY * e.shadowY);
			var angle = Math.atan2(e.shadowY, e.shadowX) * 180 / Math.PI;
			layer.filters = [
				new flash.filters.DropShadowFilter(distance, angle, e.shadowColor, 1, e.shadowBlur, e.shadowBlur, 1, 2)
			];
		}
	}

	public function drawButton(index:Int, e:BannerElement, width:Float, height:Float, fontSize:Int) {
		var layer = fresh(index);
		if (e.fill != null) {
			layer.graphics.beginFill(e.fill);
			var r = Math.min(e.radius, Math.min(width, height) / 2) * 2;
			if (r > 0)
				layer.graphics.drawRoundRect(0, 0, width, height, r, r);
			else
				layer.graphics.drawRect(0, 0, width, height);
			layer.graphics.endFill();
		}
		var field = textField(e, fontSize, "center").field;
		field.multiline = true;
		field.wordWrap = false;
		field.autoSize = TextFieldAutoSize.LEFT;
		field.text = e.label.split("\r\n").join("\n");
		field.x = (width - field.width) / 2;
		field.y = (height - field.height) / 2;
		layer.addChild(field);
		var url = e.url != "" ? e.url : bannerLink;
		if (links && url != null && url != "") {
			layer.mouseEnabled = true;
			layer.buttonMode = true;
			layer.useHandCursor = true;
			buttonLinks.set(layer, {url: url, target: e.url != "" ? e.target : bannerTarget});
			layer.addEventListener(MouseEvent.CLICK, clickButton);
		}
	}

	var buttonLinks = new Map<Sprite, {url:String, target:String}>();

	function clickButton(event:MouseEvent) {
		var link = buttonLinks.get(cast event.currentTarget);
		if (link != null)
			open(link.url, link.target);
	}

	public function drawShape(index:Int, e:BannerElement, width:Float, height:Float) {
		var layer = fresh(index);
		var g = layer.graphics;
		if (e.stroke != null && e.strokeWidth > 0)
			g.lineStyle(e.strokeWidth, e.stroke, 1, false, flash.display.LineScaleMode.NORMAL, null, flash.display.JointStyle.MITER);
		if (e.fill != null)
			g.beginFill(e.fill);
		if (e.shapeKind == "ellipse") {
			g.drawEllipse(0, 0, width, height);
		} else {
			var r = Math.min(e.radius, Math.min(width, height) / 2) * 2;
			if (r > 0)
				g.drawRoundRect(0, 0, width, height, r, r);
			else
				g.drawRect(0, 0, width, height);
		}
		if (e.fill != null)
			g.endFill();
	}

	public function showLayer(index:Int, visible:Bool, alpha:Float, x:Float, y:Float, scale:Float) {
		var layer = layerSprites[index];
		layer.visible = visible;
		layer.alpha = alpha;
		layer.x = x;
		layer.y = y;
		layer.scaleX = layer.scaleY = scale;
	}
}
