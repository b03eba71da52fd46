// A BannerSurface that draws nothing: it writes down what the renderer shows as a display list,
// plain drawing operations a host paints without a browser (rectangles, ellipses, pictures,
// text runs, each layer a group with its opacity and transform). Pictures have the natural
// sizes the host measured (by the name the renderer asks for); one it could not read is left
// out, as a page leaves out a broken picture. The clock is the caller's: now() answers the
// moment set last, and everyFrame runs its tick once per moment set (see ModelMain).

import BannerLayout.Rect;
import BannerLayout.EntranceState;
import BannerLayout.HeadlineLayout;
import BannerDocument;

// A picture's natural size, and its name as the document writes it.
typedef PictureSize = {width:Float, height:Float, name:String};

class RecordingSurface implements BannerSurface {
	var width = 0;
	var height = 0;
	var background = 0xFFFFFF;
	var sizes:Map<String, PictureSize>;
	// The content layer (background picture; a version-1 headline) and its state.
	var content:Array<Dynamic> = [];
	var contentState:EntranceState = {alpha: 1, x: 0, y: 0, scale: 1};
	var image:String = null;
	var imageSize:PictureSize = null;
	var headline:Dynamic = null;
	// How far a version-1 headline's top moves up per pixel of its measured height.
	public var headlineAnchor = 1.0;
	// The element layers: what each shows and where.
	var layerOps:Array<Array<Dynamic>> = [];
	var layerStates:Array<Dynamic> = [];
	var tick:Void->Bool = null;

	public var clock = 0.0;
	public var finishedAt:Null<Float> = null;

	public function new(sizes:Map<String, PictureSize>) {
		this.sizes = sizes;
	}

	// Runs the frame callback once at moment t; answers whether it wants more frames.
	public function advance(t:Float):Bool {
		clock = t;
		if (tick == null)
			return false;
		var more = tick();
		if (!more)
			tick = null;
		return more;
	}

	// The display list of what is shown now.
	public function displayList():Dynamic {
		var ops:Array<Dynamic> = [];
		var inContent:Array<Dynamic> = content.copy();
		if (headline != null)
			inContent.push(headline);
		if (inContent.length > 0)
			pushGroup(ops, inContent, contentState.alpha, contentState.x, contentState.y, contentState.scale);
		for (i in 0...layerOps.length) {
			var s = layerStates[i];
			if (s == null || !s.visible || layerOps[i].length == 0)
				continue;
			pushGroup(ops, layerOps[i], s.alpha, s.x, s.y, s.scale);
		}
		return {
			width: width,
			height: height,
			background: background,
			ops: ops
		};
	}

	static function pushGroup(ops:Array<Dynamic>, inner:Array<Dynamic>, alpha:Float, x:Float, y:Float, scale:Float) {
		if (alpha <= 0 || scale <= 0)
			return;
		ops.push({
			op: "group",
			opacity: alpha > 1 ? 1 : alpha,
			transform: [scale, 0, 0, scale, x, y],
			ops: inner
		});
	}

	public function begin(width:Int, height:Int, background:Int) {
		this.width = width;
		this.height = height;
		this.background = background;
		content = [];
		headline = null;
		image = null;
		layerOps = [];
		layerStates = [];
	}

	public function loadImage(url:String, loaded:Float->Float->Void, failed:Void->Void) {
		var size = sizes.get(url);
		if (size == null || size.width <= 0 || size.height <= 0) {
			failed();
			return;
		}
		image = url;
		imageSize = size;
		loaded(size.width, size.height);
	}

	public function placeImage(box:Rect) {
		if (image == null)
			return;
		content = [picture(image, imageSize, box, {x: 0, y: 0, width: width, height: height})];
	}

	static function picture(src:String, size:PictureSize, box:Rect, clip:Rect):Dynamic {
		return {
			op: "picture",
			src: size.name,
			source: [0, 0, size.width, size.height],
			x: box.x,
			y: box.y,
			w: box.width,
			h: box.height,
			clip: [clip.x, clip.y, clip.width, clip.height]
		};
	}

	// The headline is measured by the painter: its top is where it lies with no height, moved
	// up by anchor times its height, gutters included.
	public function addHeadline(layout:HeadlineLayout):Float {
		headline = {
			op: "text",
			text: layout.text,
			x: layout.x,
			y: 0,
			w: layout.width,
			h: 0,
			inset: BannerLayout.TEXT_GUTTER,
			anchor: headlineAnchor,
			face: "sans-serif",
			size: layout.size,
			bold: layout.bold,
			italic: false,
			color: layout.colour,
			align: layout.align,
			valign: "top",
			wrap: true,
			lineHeight: 0,
			shadow: null
		};
		return 0;
	}

	public function moveHeadline(top:Float) {
		if (headline != null)
			headline.y = top;
	}

	public function addLink(url:String, target:String) {}

	public function showContent(state:EntranceState) {
		contentState = state;
	}

	public function now():Float {
		return clock;
	}

	public function everyFrame(tick:Void->Bool) {
		this.tick = tick;
	}

	public function finished() {
		finishedAt = clock;
	}

	public function layers(count:Int) {
		while (layerOps.length > count) {
			layerOps.pop();
			layerStates.pop();
		}
		while (layerOps.length < count) {
			layerOps.push([]);
			layerStates.push(null);
		}
	}

	public function drawImage(layer:Int, url:String, fit:String, width:Float, height:Float, done:Void->Void) {
		var size = sizes.get(url);
		var box = size == null ? null : BannerLayout.fitRect(fit, width, height, size.width, size.height);
		layerOps[layer] = box == null ? [] : [picture(url, size, box, {x: 0, y: 0, width: width, height: height})];
		done();
	}

	// The lines as the model decided them, set as they are.
	public function drawText(layer:Int, e:BannerElement, width:Float, height:Float, fontSize:Int, lines:Array<String>) {
		if (e.label == "") {
			layerOps[layer] = [];
			return;
		}
		var op = HostText.textOp(e, width, height, fontSize);
		op.lines = lines;
		layerOps[layer] = [op];
	}

	public function drawButton(layer:Int, e:BannerElement, width:Float, height:Float, fontSize:Int) {
		var ops:Array<Dynamic> = [];
		if (e.fill != null)
			ops.push({
				op: "rect",
				x: 0,
				y: 0,
				w: width,
				h: height,
				fill: e.fill,
				stroke: null,
				strokeWidth: 0,
				radius: Math.min(e.radius, Math.min(width, height) / 2)
			});
		if (e.label != "") {
			// The label's lines as they are, centred in the box at the font's own spacing.
			var label = HostText.textOp(e, width, height, fontSize);
			label.align = "center";
			label.valign = "middle";
			label.wrap = false;
			label.lineHeight = 0;
			label.shadow = null;
			ops.push(label);
		}
		layerOps[layer] = ops;
	}

	public function drawShape(layer:Int, e:BannerElement, width:Float, height:Float) {
		if (e.fill == null && (e.stroke == null || e.strokeWidth <= 0)) {
			layerOps[layer] = [];
			return;
		}
		var ellipse = e.shapeKind == "ellipse";
		layerOps[layer] = [
			{
				op: ellipse ? "ellipse" : "rect",
				x: 0,
				y: 0,
				w: width,
				h: height,
				fill: e.fill,
				stroke: e.stroke != null && e.strokeWidth > 0 ? e.stroke : null,
				strokeWidth: e.stroke != null ? e.strokeWidth : 0,
				radius: ellipse ? 0 : Math.min(e.radius, Math.min(width, height) / 2)
			}
		];
	}

	public function showLayer(layer:Int, visible:Bool, alpha:Float, x:Float, y:Float, scale:Float) {
		layerStates[layer] = {
			visible: visible,
			alpha: alpha,
			x: x,
			y: y,
			scale: scale
		};
	}
}
