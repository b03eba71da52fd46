// The project document: the one reader and writer of the project format for the editor, the
// component movie and the HTML5 creative. Version 2 holds a list of elements (images, texts,
// buttons, shapes) drawn over the background, placed per banner size, with enter and exit
// animations on a looping timeline. Version 1 (background image, one headline, one entrance
// effect) is read too: it is converted in memory to elements for editing, and kept as it was
// read (legacy) so that the movies draw it exactly as they always have.
//
// Reading never fails: a damaged or partial document gives defaults for what is missing and values
// out of range are clamped into it. What goes past a limit of the reader (more than MAX_ELEMENTS
// elements, more than MAX_SIZES sizes, a text longer than MAX_LABEL) is never dropped silently:
// it is listed in overLimits, and whoever holds such a document must not write it over the file
// nor publish it, since part of the project is missing from it.

enum ElementKind {
	Image;
	Text;
	Button;
	Shape;
}

// An element's geometry at one banner size; fontSize matters for texts and buttons. hidden: the
// element is left out at that size (the automatic layout found no room for it).
// A limit of the reader that a document went past: what was counted, how many the document has
// and how many are read.
// A face of the user's own, from a font file of the project (src, relative to the project's
// folder like a picture); texts name it by its family.
typedef UserFont = {
	family:String,
	src:String
}

typedef OverLimit = {
	what:String,
	count:Int,
	limit:Int
}

typedef Box = {
	x:Float,
	y:Float,
	width:Float,
	height:Float,
	fontSize:Int,
	?hidden:Bool
}

class BannerAnimation {
	public static var TYPES = ["none", "fade", "slide", "zoom"];
	public static var SIDES = ["left", "right", "top", "bottom"];
	public static var EASINGS = ["linear", "easeIn", "easeOut", "easeInOut"];

	public var type:String; // none|fade|slide|zoom
	public var side:String; // slide: the enter's "from" or the exit's "to" side
	public var delay:Int; // ms from the start of the loop
	public var duration:Int; // ms
	public var easing:String;

	public function new(type = "none", delay = 0, duration = 500, easing = "easeOut", side = "left") {
		this.type = type;
		this.delay = delay;
		this.duration = duration;
		this.easing = easing;
		this.side = side;
	}

	public function clone():BannerAnimation {
		return new BannerAnimation(type, delay, duration, easing, side);
	}
}

class BannerElement {
	public static var FONTS = ["Liberation Sans", "Liberation Serif", "DejaVu Sans"];
	public static var ALIGNS = ["left", "center", "right"];
	public static var FITS = ["contain", "cover", "stretch"];
	public static var ANCHORS_X = ["left", "center", "right", "stretch"];
	public static var ANCHORS_Y = ["top", "middle", "bottom", "stretch"];
	public static var SCALINGS = ["keep", "shorter", "fill"];
	public static var ROLES = ["logo", "headline", "body", "cta", "product", "decoration", "background"];

	public var kind:ElementKind;
	public var id:String;
	// Geometry at the first size.
	public var x:Float = 0;
	public var y:Float = 0;
	public var width:Float = 100;
	public var height:Float = 40;
	public var opacity:Float = 1;
	// Image.
	public var src:String = "";
	public var fit:String = "contain";
	// Text and button.
	public var label:String = "";
	public var font:String = "Liberation Sans";
	public var size:Int = 24;
	public var bold:Bool = false;
	public var italic:Bool = false;
	public var color:Int = 0xFFFFFF;
	public var align:String = "left";
	public var lineHeight:Float = 1.2;
	public var shadowColor:Null<Int> = null; // no shadow when null
	public var shadowX:Float = 1;
	public var shadowY:Float = 1;
	public var shadowBlur:Float = 2;
	// Shape and button; null is "none".
	public var fill:Null<Int> = 0xFFFFFF;
	public var stroke:Null<Int> = null;
	public var strokeWidth:Float = 0;
	public var radius:Float = 0;
	public var shapeKind:String = "rect"; // rect|ellipse
	// Button: its own link; none ("") opens the banner's link.
	public var url:String = "";
	public var target:String = "_blank";
	public var enter:BannerAnimation;
	public var exit:Null<BannerAnimation> = null;
	// How the element follows the banner's size (SizeLayout); "" where the project says nothing,
	// and SizeLayout guesses from the element's kind and place.
	public var anchorX:String = ""; // left|center|right|stretch
	public var anchorY:String = ""; // top|middle|bottom|stretch
	public var scaling:String = ""; // keep|shorter|fill
	public var role:String = ""; // logo|headline|body|cta|product|decoration|background
	// Text: the font shrinks (down to the legible minimum), then the text wraps, then it is cut
	// with an ellipsis, so that it never spills out of its box.
	public var autoFit:Bool = false;

	// How the editor lists and handles the element; no renderer of the banner reads them.
	public var name:String = ""; // the name in the layer list; "" shows its kind and content
	public var locked:Bool = false; // the canvas neither picks nor moves it
	public var editorHidden:Bool = false; // not drawn in the editor; the published banner shows it
	// The group it belongs to ("" for none): the editor selects, moves and arranges a group's
	// elements together. The banner draws each as it would without it.
	public var group:String = "";

	// An element of the kind with that kind's defaults.
	public function new(kind:ElementKind, id = "") {
		this.kind = kind;
		this.id = id;
		enter = new BannerAnimation();
		switch (kind) {
			case Button:
				fill = 0xFF6A00;
				radius = 6;
				size = 16;
				bold = true;
				align = "center";
			case Text:
				fill = null;
			case Image:
				fill = null;
			case Shape:
		}
	}

	public function clone():BannerElement {
		var e = new BannerElement(kind, id);
		copyTo(e);
		return e;
	}

	// Makes e this element again, field by field (e keeps its identity).
	public function copyTo(e:BannerElement) {
		e.kind = kind;
		e.id = id;
		e.x = x;
		e.y = y;
		e.width = width;
		e.height = height;
		e.opacity = opacity;
		e.src = src;
		e.fit = fit;
		e.label = label;
		e.font = font;
		e.size = size;
		e.bold = bold;
		e.italic = italic;
		e.color = color;
		e.align = align;
		e.lineHeight = lineHeight;
		e.shadowColor = shadowColor;
		e.shadowX = shadowX;
		e.shadowY = shadowY;
		e.shadowBlur = shadowBlur;
		e.fill = fill;
		e.stroke = stroke;
		e.strokeWidth = strokeWidth;
		e.radius = radius;
		e.shapeKind = shapeKind;
		e.url = url;
		e.target = target;
		e.enter = enter.clone();
		e.exit = exit == null ? null : exit.clone();
		e.anchorX = anchorX;
		e.anchorY = anchorY;
		e.scaling = scaling;
		e.role = role;
		e.autoFit = autoFit;
		e.name = name;
		e.locked = locked;
		e.editorHidden = editorHidden;
		e.group = group;
	}
}

class BannerSize {
	public var width:Int;
	public var height:Int;
	// Element id -> its place at this size. The first size has none: the elements' own geometry
	// is its place.
	public var places:Map<String, Box>;

	public function new(width:Int, height:Int) {
		this.width = width;
		this.height = height;
		places = new Map();
	}

	public function clone():BannerSize {
		var s = new BannerSize(width, height);
		for (id in places.keys()) {
			var b = places.get(id);
			s.places.set(id, {
				x: b.x,
				y: b.y,
				width: b.width,
				height: b.height,
				fontSize: b.fontSize,
				hidden: b.hidden == true
			});
		}
		return s;
	}
}

class BannerDocument {
	public static inline var MAX_ELEMENTS = 1000;
	public static inline var MAX_SIZES = 20;
	public static inline var MAX_ID = 32;
	public static inline var MAX_LABEL = 5000;
	public static inline var MAX_NAME = 60;
	public static inline var MIN_FONT = 6;
	public static inline var MAX_FONT = 200;
	public static inline var MIN_LENGTH = 1000;
	public static inline var MAX_LENGTH = 30000;
	public static inline var DEFAULT_LENGTH = 5000;
	public static inline var MAX_LOOPS = 10;
	public static inline var MAX_DURATION = 10000;
	// Coordinates beyond this (either way) are clamped to it.
	public static inline var MAX_COORDINATE = 16384.0;
	public static inline var DEFAULT_COMPONENT_URL = "res/template.swf";

	public var version:Int = 2; // as read: 1 (the first format) or 2
	public var sizes:Array<BannerSize>; // sizes[0] is the first size; element geometry is at it
	public var background:Int = 0xFFFFFF;
	public var image:String = ""; // the background image; "" for none
	public var fit:String = "cover";
	public var link:String = ""; // the banner's click-through; "" for none
	public var linkTarget:String = "_blank";
	public var componentUrl:String = DEFAULT_COMPONENT_URL;
	public var length:Int = DEFAULT_LENGTH;
	public var loops:Int = 1;
	public var elements:Array<BannerElement>;
	// A version-1 document as the movies have always drawn it; null for version 2.
	public var legacy:Null<BannerProject> = null;
	// The size demoWidth x demoHeight names: 0 for a project, another size in the copy of a
	// project that publishing writes for that size.
	public var shownSize:Int = 0;
	// Whether the text read was a project at all (XML with a template root); a document is read
	// from anything, so a caller that must refuse other files asks this.
	public var isProject:Bool = true;
	// The limits the text read went past; empty when the whole document was read.
	public var overLimits:Array<OverLimit> = [];
	// The user's own faces, each family once and none of the shipped ones.
	public var fonts:Array<UserFont> = [];

	public function new() {
		sizes = [new BannerSize(720, 540)];
		elements = [];
	}

	public static function blank(width:Int, height:Int):BannerDocument {
		var d = new BannerDocument();
		d.sizes = [new BannerSize(clampSide(width), clampSide(height))];
		d.background = 0x1E3A5F;
		return d;
	}

	// --- Reading ---------------------------------------------------------------------------

	public static function parse(text:String):BannerDocument {
		var d = new BannerDocument();
		var root:Xml = null;
		try {
			var doc = Xml.parse(text == null ? "" : text);
			for (e in doc.elements()) {
				root = e;
				break;
			}
		} catch (e:Dynamic) {}
		if (root == null || root.nodeName != "template")
			d.isProject = false;
		if (root == null) {
			d.version = 1;
			d.legacy = BannerProject.parse(text);
			d.convertLegacy();
			return d;
		}
		var w = ProjectRules.side(root.get("demoWidth"), 720);
		var h = ProjectRules.side(root.get("demoHeight"), 540);
		d.sizes = [new BannerSize(w, h)];
		d.background = colour(root.get("bgColor"), 0xFFFFFF);
		d.image = orEmpty(root.get("img"));
		d.fit = oneOf(root.get("fit"), ["cover", "contain", "stretch"], "cover");
		var component = first(root, "component");
		if (component != null) {
			var info = first(component, "info");
			if (info != null && info.get("url") != null && StringTools.trim(info.get("url")) != "")
				d.componentUrl = info.get("url");
		}
		var link = first(root, "link");
		if (link != null) {
			d.link = ProjectRules.allowedLink(link.get("url")) ? StringTools.trim(link.get("url")) : "";
			if (link.get("target") != null && StringTools.trim(link.get("target")) != "")
				d.linkTarget = StringTools.trim(link.get("target"));
		}
		var version = Std.parseInt(orEmpty(root.get("version")));
		if (version == null || version < 2) {
			d.version = 1;
			d.legacy = BannerProject.parse(text);
			d.convertLegacy();
			return d;
		}
		d.version = 2;
		d.length = intClamped(root.get("length"), MIN_LENGTH, MAX_LENGTH, DEFAULT_LENGTH);
		d.loops = intClamped(root.get("loops"), 1, MAX_LOOPS, 1);
		d.fitLoops();
		d.readFonts(first(root, "fonts"));
		var families = BannerElement.FONTS.concat([for (f in d.fonts) f.family]);
		var list = first(root, "elements");
		// An element whose id could not be kept is found by the id it was written with.
		var renamed = new Map<String, String>();
		var count = 0, longest = 0;
		if (list != null) {
			for (node in list.elements()) {
				var e = readElement(node, families);
				if (e == null)
					continue;
				count++;
				if (e.label.length > longest)
					longest = e.label.length;
				if (d.elements.length >= MAX_ELEMENTS)
					continue;
				if (e.label.length > MAX_LABEL)
					e.label = e.label.substr(0, MAX_LABEL);
				// An unusable or repeated id gets a new one (places naming it stay with the first).
				if (!validId(e.id) || d.find(e.id) != null) {
					var written = e.id;
					e.id = d.newId(e.kind);
					if (!renamed.exists(written) && d.find(written) == null)
						renamed.set(written, e.id);
				}
				d.elements.push(e);
			}
		}
		if (count > MAX_ELEMENTS)
			d.overLimits.push({what: "elements", count: count, limit: MAX_ELEMENTS});
		if (longest > MAX_LABEL)
			d.overLimits.push({what: "characters in a text", count: longest, limit: MAX_LABEL});
		d.readSizes(first(root, "sizes"), w, h, renamed);
		d.tidyGroups();
		return d;
	}

	function readSizes(list:Xml, demoW:Int, demoH:Int, renamed:Map<String, String>) {
		if (list == null)
			return;
		var read:Array<BannerSize> = [];
		var skipped = 0;
		for (node in list.elementsNamed("size")) {
			var w = ProjectRules.side(node.get("width"), -1);
			var h = ProjectRules.side(node.get("height"), -1);
			if (w < 1 || h < 1)
				continue;
			var duplicate = false;
			for (s in read)
				if (s.width == w && s.height == h)
					duplicate = true;
			if (duplicate)
				continue;
			if (read.length >= MAX_SIZES) {
				skipped++;
				continue;
			}
			var size = new BannerSize(w, h);
			if (read.length > 0) {
				for (p in node.elementsNamed("place")) {
					var ref = orEmpty(p.get("ref"));
					var e = find(renamed.exists(ref) ? renamed.get(ref) : ref);
					if (e == null || size.places.exists(e.id))
						continue;
					var auto = ruleBox(e, read[0], size);
					size.places.set(e.id, {
						x: coordinate(p.get("x"), auto.x),
						y: coordinate(p.get("y"), auto.y),
						width: extent(p.get("width"), auto.width),
						height: extent(p.get("height"), auto.height),
						fontSize: intClamped(p.get("size"), MIN_FONT, MAX_FONT, auto.fontSize),
						hidden: p.get("hidden") == "true"
					});
				}
			}
			read.push(size);
		}
		if (skipped > 0)
			overLimits.push({what: "sizes", count: MAX_SIZES + skipped, limit: MAX_SIZES});
		if (read.length == 0)
			return;
		// demoWidth x demoHeight names the size to draw: the first for a project, another in the
		// copy publishing writes for each size. The element geometry is at the first listed size.
		var shown = -1;
		for (i in 0...read.length)
			if (read[i].width == demoW && read[i].height == demoH)
				shown = i;
		if (shown < 0) {
			// A size the list lacks is drawn by the automatic rule.
			read.push(new BannerSize(demoW, demoH));
			shown = read.length - 1;
		}
		sizes = read;
		shownSize = shown;
	}

	public static inline var MAX_FONTS = 20;
	static inline var MAX_FAMILY = 64;

	// The user's faces: a family no other face has (not a shipped one), with a file; at most MAX_FONTS.
	function readFonts(list:Null<Xml>) {
		if (list == null)
			return;
		var count = 0;
		for (node in list.elementsNamed("font")) {
			var family = StringTools.trim(orEmpty(node.get("family")));
			var src = StringTools.trim(orEmpty(node.get("src")));
			if (!usableFamily(family) || src == "" || fontNamed(family) != null)
				continue;
			count++;
			if (fonts.length < MAX_FONTS)
				fonts.push({family: family, src: src});
		}
		if (count > MAX_FONTS)
			overLimits.push({what: "fonts", count: count, limit: MAX_FONTS});
	}

	// Whether family can name a face of the user's: some text, not too long, not a shipped face's,
	// without control characters, quotes or backslashes (it is written into style sheets).
	public static function usableFamily(family:String):Bool {
		if (family == "" || family.length > MAX_FAMILY || BannerElement.FONTS.indexOf(family) >= 0)
			return false;
		for (i in 0...family.length)
			if (family.charCodeAt(i) < 32 || family.charAt(i) == '"' || family.charAt(i) == "\\")
				return false;
		return true;
	}

	// The user's face of that family, or null (a shipped family or none).
	public function fontNamed(family:String):Null<UserFont> {
		for (f in fonts)
			if (f.family == family)
				return f;
		return null;
	}

	static function readElement(node:Xml, families:Array<String>):BannerElement {
		var kind = switch (node.nodeName) {
			case "image": Image;
			case "text": Text;
			case "button": Button;
			case "shape": Shape;
			default: null;
		};
		if (kind == null)
			return null;
		var e = new BannerElement(kind, orEmpty(node.get("id")));
		e.x = coordinate(node.get("x"), e.x);
		e.y = coordinate(node.get("y"), e.y);
		e.width = extent(node.get("width"), e.width);
		e.height = extent(node.get("height"), e.height);
		e.opacity = number(node.get("opacity"), 0, 1, 1);
		e.anchorX = oneOf(node.get("anchorX"), BannerElement.ANCHORS_X, "");
		e.anchorY = oneOf(node.get("anchorY"), BannerElement.ANCHORS_Y, "");
		e.scaling = oneOf(node.get("scaling"), BannerElement.SCALINGS, "");
		e.role = oneOf(node.get("role"), BannerElement.ROLES, "");
		e.name = layerName(node.get("name"));
		e.locked = flag(node.get("locked"), false);
		e.editorHidden = flag(node.get("editorHidden"), false);
		var group = node.get("group");
		e.group = validId(group) ? group : "";
		switch (kind) {
			case Image:
				e.src = orEmpty(node.get("src"));
				e.fit = oneOf(node.get("fit"), BannerElement.FITS, "contain");
			case Text | Button:
				var label = first(node, "label");
				e.label = label == null ? "" : textOf(label);
				e.font = oneOf(node.get("font"), families, "Liberation Sans");
				e.size = intClamped(node.get("size"), MIN_FONT, MAX_FONT, e.size);
				e.bold = flag(node.get("bold"), e.bold);
				e.italic = flag(node.get("italic"), false);
				e.color = colour(node.get("color"), 0xFFFFFF);
				if (kind == Text) {
					e.align = oneOf(node.get("align"), BannerElement.ALIGNS, "left");
					e.lineHeight = number(node.get("lineHeight"), 0.8, 3, 1.2);
					e.autoFit = flag(node.get("autoFit"), false);
					if (node.get("shadowColor") != null) {
						e.shadowColor = colour(node.get("shadowColor"), 0x000000);
						e.shadowX = number(node.get("shadowX"), -MAX_COORDINATE, MAX_COORDINATE, 1);
						e.shadowY = number(node.get("shadowY"), -MAX_COORDINATE, MAX_COORDINATE, 1);
						e.shadowBlur = number(node.get("shadowBlur"), 0, 20, 2);
					}
				} else {
					e.fill = colourOrNone(node.get("fill"), 0xFF6A00);
					e.radius = number(node.get("radius"), 0, MAX_COORDINATE, 6);
					e.url = ProjectRules.allowedLink(node.get("url")) ? StringTools.trim(node.get("url")) : "";
					var target = StringTools.trim(orEmpty(node.get("target")));
					e.target = target == "" ? "_blank" : target;
				}
			case Shape:
				e.shapeKind = oneOf(node.get("kind"), ["rect", "ellipse"], "rect");
				e.fill = colourOrNone(node.get("fill"), 0xFFFFFF);
				e.stroke = colourOrNone(node.get("stroke"), null);
				e.strokeWidth = number(node.get("strokeWidth"), 0, 50, 0);
				e.radius = number(node.get("radius"), 0, MAX_COORDINATE, 0);
		}
		var enter = first(node, "enter");
		if (enter != null)
			e.enter = readAnimation(enter, "from");
		var exit = first(node, "exit");
		if (exit != null)
			e.exit = readAnimation(exit, "to");
		return e;
	}

	static function readAnimation(node:Xml, sideName:String):BannerAnimation {
		return new BannerAnimation(oneOf(node.get("type"), BannerAnimation.TYPES, "none"),
			intClamped(node.get("delay"), 0, MAX_LENGTH, 0), intClamped(node.get("duration"), 0, MAX_DURATION, 500),
			oneOf(node.get("easing"), BannerAnimation.EASINGS, "easeOut"), oneOf(node.get(sideName), BannerAnimation.SIDES, "left"));
	}

	// A version-1 document as elements: the background stays the background, the headline
	// becomes one text element where the movies draw it, the effect its entrance.
	function convertLegacy() {
		var p = legacy;
		sizes = [new BannerSize(p.width, p.height)];
		background = p.background;
		image = p.image == null ? "" : p.image;
		fit = switch (p.fit) {
			case Contain: "contain";
			case Stretch: "stretch";
			default: "cover";
		};
		link = p.link == null ? "" : p.link;
		linkTarget = p.linkTarget;
		length = DEFAULT_LENGTH;
		loops = 1;
		var headline = BannerLayout.headline(p);
		if (headline == null)
			return;
		var e = new BannerElement(Text, "headline");
		e.label = headline.text;
		e.size = headline.size;
		e.color = headline.colour;
		e.bold = headline.bold;
		e.align = headline.align;
		e.lineHeight = 1.2;
		e.x = headline.x;
		e.width = headline.width;
		e.height = estimateTextHeight(e.label, e.size, e.lineHeight, e.width);
		e.y = BannerLayout.headlineTop(p, e.height);
		var type = switch (p.effect) {
			case None: "none";
			case Slide: "slide";
			case Zoom: "zoom";
			default: "fade";
		};
		e.enter = new BannerAnimation(type, 0, Std.int(p.duration), "easeOut", "left");
		elements.push(e);
	}

	// The height a wrapped text needs, estimated without a font (about 0.55 em a character).
	public static function estimateTextHeight(text:String, size:Int, lineHeight:Float, width:Float):Float {
		var perLine = Math.max(1, Math.floor((width - 4) / (size * 0.55)));
		var lines = 0;
		for (paragraph in text.split("\n"))
			lines += Std.int(Math.max(1, Math.ceil(paragraph.length / perLine)));
		return Math.ceil(lines * size * lineHeight + 4);
	}

	// --- Writing ---------------------------------------------------------------------------

	// The document as version 2. Backslashes are written as character references so that the
	// host's line-break unwrapping (backslash + "n" becomes a line feed) never changes a text.
	public function toXml():String {
		var b = new StringBuf();
		var first = sizes[0];
		b.add('<?xml version="1.0" encoding="UTF-8"?>\n');
		b.add('<template version="2" demoWidth="' + first.width + '" demoHeight="' + first.height + '" img="' + escape(image, true)
			+ '" bgColor="' + colourText(background) + '" fit="' + escape(fit, true) + '" length="' + length + '" loops="' + loops + '">\n');
		b.add('  <component><info url="' + escape(componentUrl, true) + '"/></component>\n');
		b.add('  <link url="' + escape(link, true) + '" target="' + escape(linkTarget, true) + '"/>\n');
		if (fonts.length > 0) {
			b.add('  <fonts>\n');
			for (f in fonts)
				b.add('    <font family="' + escape(f.family, true) + '" src="' + escape(f.src, true) + '"/>\n');
			b.add('  </fonts>\n');
		}
		b.add('  <elements>\n');
		for (e in elements)
			writeElement(b, e);
		b.add('  </elements>\n');
		b.add('  <sizes>\n');
		for (i in 0...sizes.length) {
			var s = sizes[i];
			if (i == 0 || !s.places.keys().hasNext()) {
				b.add('    <size width="' + s.width + '" height="' + s.height + '"/>\n');
				continue;
			}
			b.add('    <size width="' + s.width + '" height="' + s.height + '">\n');
			for (e in elements) {
				var p = s.places.get(e.id);
				if (p == null)
					continue;
				b.add('      <place ref="' + escape(e.id, true) + '"' + geometry(p.x, p.y, p.width, p.height));
				if (e.kind == Text || e.kind == Button)
					b.add(' size="' + p.fontSize + '"');
				if (p.hidden == true)
					b.add(' hidden="true"');
				b.add('/>\n');
			}
			b.add('    </size>\n');
		}
		b.add('  </sizes>\n');
		b.add('</template>\n');
		return b.toString();
	}

	// One element as toXml writes it: equal texts, equal elements.
	public static function elementXml(e:BannerElement):String {
		var b = new StringBuf();
		writeElement(b, e);
		return b.toString();
	}

	// Everything of the document but its elements and their places, as text: equal texts, equal
	// banners around the elements.
	public function headXml():String {
		var b = new StringBuf();
		b.add(escape(image, true) + '|' + background + '|' + escape(fit, true) + '|' + length + '|' + loops + '|' + escape(componentUrl, true) + '|'
			+ escape(link, true) + '|' + escape(linkTarget, true) + '|' + version + '|' + shownSize + '|' + isProject);
		for (s in sizes)
			b.add('|' + s.width + 'x' + s.height);
		for (f in fonts)
			b.add('|' + escape(f.family, true) + '=' + escape(f.src, true));
		return b.toString();
	}

	static function writeElement(b:StringBuf, e:BannerElement) {
		var name = switch (e.kind) {
			case Image: "image";
			case Text: "text";
			case Button: "button";
			case Shape: "shape";
		};
		b.add('    <' + name + ' id="' + escape(e.id, true) + '"');
		if (e.kind == Shape)
			b.add(' kind="' + escape(e.shapeKind, true) + '"');
		b.add(geometry(e.x, e.y, e.width, e.height));
		b.add(' opacity="' + num(e.opacity) + '"');
		// Constraints only where set, so that a project without them is written as it was read.
		for (c in [["anchorX", e.anchorX], ["anchorY", e.anchorY], ["scaling", e.scaling], ["role", e.role]])
			if (c[1] != "")
				b.add(' ' + c[0] + '="' + escape(c[1], true) + '"');
		// The editor's own marks, likewise only where set.
		if (e.name != "")
			b.add(' name="' + escape(e.name, true) + '"');
		if (e.locked)
			b.add(' locked="true"');
		if (e.editorHidden)
			b.add(' editorHidden="true"');
		if (e.group != "")
			b.add(' group="' + escape(e.group, true) + '"');
		switch (e.kind) {
			case Image:
				b.add(' src="' + escape(e.src, true) + '" fit="' + escape(e.fit, true) + '"');
			case Text:
				b.add(fontAttributes(e));
				b.add(' align="' + escape(e.align, true) + '" lineHeight="' + num(e.lineHeight) + '"');
				if (e.autoFit)
					b.add(' autoFit="true"');
				if (e.shadowColor != null)
					b.add(' shadowColor="' + colourText(e.shadowColor) + '" shadowX="' + num(e.shadowX) + '" shadowY="' + num(e.shadowY)
						+ '" shadowBlur="' + num(e.shadowBlur) + '"');
			case Button:
				b.add(' url="' + escape(e.url, true) + '" target="' + escape(e.target, true) + '" fill="' + colourOrNoneText(e.fill)
					+ '" radius="' + num(e.radius) + '"');
				b.add(fontAttributes(e));
			case Shape:
				b.add(' fill="' + colourOrNoneText(e.fill) + '" stroke="' + colourOrNoneText(e.stroke) + '" strokeWidth="'
					+ num(e.strokeWidth) + '" radius="' + num(e.radius) + '"');
		}
		b.add('>\n');
		if (e.kind == Text || e.kind == Button)
			b.add('      <label>' + escape(e.label, false) + '</label>\n');
		writeAnimation(b, "enter", "from", e.enter);
		if (e.exit != null)
			writeAnimation(b, "exit", "to", e.exit);
		b.add('    </' + name + '>\n');
	}

	static function fontAttributes(e:BannerElement):String {
		return ' font="' + escape(e.font, true) + '" size="' + e.size + '" bold="' + e.bold + '" italic="' + e.italic + '" color="' + colourText(e.color)
			+ '"';
	}

	static function writeAnimation(b:StringBuf, name:String, sideName:String, a:BannerAnimation) {
		b.add('      <' + name + ' type="' + escape(a.type, true) + '"');
		if (a.type == "slide")
			b.add(' ' + sideName + '="' + escape(a.side, true) + '"');
		b.add(' delay="' + a.delay + '" duration="' + a.duration + '" easing="' + escape(a.easing, true) + '"/>\n');
	}

	static function geometry(x:Float, y:Float, w:Float, h:Float):String {
		return ' x="' + num(x) + '" y="' + num(y) + '" width="' + num(w) + '" height="' + num(h) + '"';
	}

	// A number with at most two decimals, without a trailing ".0".
	public static function num(v:Float):String {
		var r = Math.round(v * 100);
		var sign = r < 0 ? "-" : "";
		var a = r < 0 ? -r : r;
		var whole = Std.string(Std.int(a / 100));
		var cents = a % 100;
		if (cents == 0)
			return sign + whole;
		return sign + whole + "." + (cents % 10 == 0 ? Std.string(Std.int(cents / 10)) : StringTools.lpad(Std.string(cents), "0", 2));
	}

	// --- Editing ---------------------------------------------------------------------------

	public function clone():BannerDocument {
		var d = new BannerDocument();
		copyHeadTo(d);
		d.sizes = [for (s in sizes) s.clone()];
		d.elements = [for (e in elements) e.clone()];
		return d;
	}

	// Gives d everything of this document but its sizes and elements.
	public function copyHeadTo(d:BannerDocument) {
		d.version = version;
		d.background = background;
		d.image = image;
		d.fit = fit;
		d.link = link;
		d.linkTarget = linkTarget;
		d.componentUrl = componentUrl;
		d.length = length;
		d.loops = loops;
		d.legacy = legacy;
		d.shownSize = shownSize;
		d.isProject = isProject;
		d.overLimits = overLimits.copy();
		d.fonts = [for (f in fonts) {family: f.family, src: f.src}];
	}

	public function find(id:String):Null<BannerElement> {
		// Where each id was last seen, checked at every use: a list changed since is looked
		// through again.
		if (seenAt != null) {
			var i = seenAt.get(id);
			if (i != null && i < elements.length && elements[i].id == id)
				return elements[i];
		}
		seenAt = new Map();
		var found:Null<BannerElement> = null;
		for (i in 0...elements.length) {
			var e = elements[i];
			if (!seenAt.exists(e.id))
				seenAt.set(e.id, i);
			if (found == null && e.id == id)
				found = e;
		}
		return found;
	}

	var seenAt:Null<Map<String, Int>> = null;
	// The elements of e's group in drawing order; e alone when it is in none.
	public function groupOf(e:BannerElement):Array<BannerElement> {
		if (e.group == "")
			return [e];
		return [for (m in elements) if (m.group == e.group) m];
	}

	// A group name no element has yet.
	public function newGroup():String {
		var taken = new Map<String, Bool>();
		for (e in elements)
			taken.set(e.group, true);
		var n = 1;
		while (taken.exists("group" + n))
			n++;
		return "group" + n;
	}

	// A group needs two elements: one left alone (the others deleted) is in none.
	public function tidyGroups() {
		var counts = new Map<String, Int>();
		for (e in elements)
			if (e.group != "")
				counts.set(e.group, (counts.exists(e.group) ? counts.get(e.group) : 0) + 1);
		for (e in elements)
			if (e.group != "" && counts.get(e.group) < 2)
				e.group = "";
	}

	// An id no element has yet: the kind's name and a number.
	public function newId(kind:ElementKind):String {
		var prefix = switch (kind) {
			case Image: "image";
			case Text: "text";
			case Button: "button";
			case Shape: "shape";
		};
		var n = 1;
		while (find(prefix + n) != null)
			n++;
		return prefix + n;
	}

	public static function validId(id:String):Bool {
		if (id == null || id.length == 0 || id.length > MAX_ID)
			return false;
		for (i in 0...id.length) {
			var c = id.charCodeAt(i);
			if (!((c >= 48 && c <= 57) || (c >= 65 && c <= 90) || (c >= 97 && c <= 122) || c == 45 || c == 95))
				return false;
		}
		return true;
	}

	public function sizeIndexFor(width:Int, height:Int):Int {
		for (i in 0...sizes.length)
			if (sizes[i].width == width && sizes[i].height == height)
				return i;
		return -1;
	}

	// The element's geometry at a size: its own at the first, its place at another, or the
	// automatic rule where it has none.
	public function box(e:BannerElement, sizeIndex:Int):Box {
		if (sizeIndex <= 0 || sizeIndex >= sizes.length)
			return {x: e.x, y: e.y, width: e.width, height: e.height, fontSize: e.size};
		var p = sizes[sizeIndex].places.get(e.id);
		if (p != null)
			return {
				x: p.x,
				y: p.y,
				width: p.width,
				height: p.height,
				fontSize: p.fontSize,
				hidden: p.hidden == true
			};
		return ruleBox(e, sizes[0], sizes[sizeIndex]);
	}

	// x and width scale with the width, y and height with the height, the font by the smaller.
	static function ruleBox(e:BannerElement, from:BannerSize, to:BannerSize):Box {
		var sx = to.width / from.width, sy = to.height / from.height;
		return {
			x: e.x * sx,
			y: e.y * sy,
			width: Math.max(1, e.width * sx),
			height: Math.max(1, e.height * sy),
			fontSize: fontAt(e.size, Math.min(sx, sy))
		};
	}

	static function fontAt(size:Int, scale:Float):Int {
		var s = Math.round(size * scale);
		return s < MIN_FONT ? MIN_FONT : (s > MAX_FONT ? MAX_FONT : s);
	}

	public function setBox(e:BannerElement, sizeIndex:Int, b:Box) {
		var c:Box = {
			x: clampCoordinate(b.x),
			y: clampCoordinate(b.y),
			width: clampExtent(b.width),
			height: clampExtent(b.height),
			fontSize: b.fontSize < MIN_FONT ? MIN_FONT : (b.fontSize > MAX_FONT ? MAX_FONT : b.fontSize),
			hidden: b.hidden == true
		};
		if (sizeIndex <= 0 || sizeIndex >= sizes.length) {
			e.x = c.x;
			e.y = c.y;
			e.width = c.width;
			e.height = c.height;
			e.size = c.fontSize;
		} else {
			sizes[sizeIndex].places.set(e.id, c);
		}
	}

	// Adds a size (or answers the one there is) and lays every element out on it by the
	// automatic layout (SizeLayout) from the size `source` (the first unless given).
	public function addSize(width:Int, height:Int, source = 0):Int {
		var w = clampSide(width), h = clampSide(height);
		var existing = sizeIndexFor(w, h);
		if (existing >= 0)
			return existing;
		if (sizes.length >= MAX_SIZES)
			return -1;
		sizes.push(new BannerSize(w, h));
		var index = sizes.length - 1;
		SizeLayout.apply(this, source < 0 || source >= index ? 0 : source, index);
		return index;
	}

	// Removes a size; the last one stays. When the first goes, the next becomes the first and
	// the elements take their places there as their own geometry.
	public function removeSize(index:Int) {
		if (sizes.length <= 1 || index < 0 || index >= sizes.length)
			return;
		if (index == 0) {
			for (e in elements) {
				var b = box(e, 1);
				e.x = b.x;
				e.y = b.y;
				e.width = b.width;
				e.height = b.height;
				e.size = b.fontSize;
			}
			sizes[1].places = new Map();
		}
		sizes.splice(index, 1);
		if (shownSize >= sizes.length || shownSize == index)
			shownSize = 0;
		else if (shownSize > index)
			shownSize--;
	}

	// Lowers the loop count until the whole banner plays within MAX_LENGTH.
	public function fitLoops() {
		if (length < MIN_LENGTH)
			length = MIN_LENGTH;
		if (length > MAX_LENGTH)
			length = MAX_LENGTH;
		if (loops < 1)
			loops = 1;
		if (loops > MAX_LOOPS)
			loops = MAX_LOOPS;
		while (loops > 1 && length * loops > MAX_LENGTH)
			loops--;
	}

	// --- Values ----------------------------------------------------------------------------

	static function clampSide(v:Int):Int {
		return v < ProjectRules.MIN_SIDE ? ProjectRules.MIN_SIDE : (v > ProjectRules.MAX_SIDE ? ProjectRules.MAX_SIDE : v);
	}

	static function clampCoordinate(v:Float):Float {
		return Math.isNaN(v) ? 0 : Math.max(-MAX_COORDINATE, Math.min(MAX_COORDINATE, v));
	}

	static function clampExtent(v:Float):Float {
		return Math.isNaN(v) ? 1 : Math.max(1, Math.min(MAX_COORDINATE, v));
	}

	// A decimal number; missing or not a number gives the fallback, the rest is clamped.
	static function number(text:String, low:Float, high:Float, fallback:Float):Float {
		if (text == null)
			return fallback;
		var v = Std.parseFloat(StringTools.trim(text));
		if (Math.isNaN(v))
			return fallback;
		return v < low ? low : (v > high ? high : v);
	}

	static function coordinate(text:String, fallback:Float):Float {
		return number(text, -MAX_COORDINATE, MAX_COORDINATE, fallback);
	}

	static function extent(text:String, fallback:Float):Float {
		return number(text, 1, MAX_COORDINATE, fallback);
	}

	static function intClamped(text:String, low:Int, high:Int, fallback:Int):Int {
		var v = number(text, low, high, fallback);
		return Math.round(v);
	}

	static function flag(text:String, fallback:Bool):Bool {
		return text == "true" ? true : (text == "false" ? false : fallback);
	}

	static function oneOf(value:String, allowed:Array<String>, fallback:String):String {
		return value != null && allowed.indexOf(value) >= 0 ? value : fallback;
	}

	static function first(root:Xml, name:String):Xml {
		for (e in root.elementsNamed(name))
			return e;
		return null;
	}

	// A layer's name: one line, trimmed, at most MAX_NAME characters.
	public static function layerName(text:String):String {
		if (text == null)
			return "";
		var b = new StringBuf();
		for (i in 0...text.length) {
			var c = text.charCodeAt(i);
			b.add(c < 32 ? " " : text.charAt(i));
		}
		var t = StringTools.trim(b.toString());
		return t.length > MAX_NAME ? t.substr(0, MAX_NAME) : t;
	}

	static function orEmpty(s:String):String {
		return s == null ? "" : s;
	}

	static function textOf(node:Xml):String {
		var b = new StringBuf();
		for (c in node)
			if (c.nodeType == Xml.PCData || c.nodeType == Xml.CData)
				b.add(c.nodeValue);
		return b.toString();
	}

	// "#RRGGBB", "0xRRGGBB" or "RRGGBB"; the fallback for anything else.
	public static function colour(text:String, fallback:Int):Int {
		var v = colourOrNone(text, fallback);
		return v == null ? fallback : v;
	}

	// A colour, or null for "none".
	public static function colourOrNone(text:String, fallback:Null<Int>):Null<Int> {
		if (text == null)
			return fallback;
		var t = StringTools.trim(text);
		if (t == "none")
			return null;
		if (StringTools.startsWith(t, "#"))
			t = t.substr(1);
		else if (StringTools.startsWith(t.toLowerCase(), "0x"))
			t = t.substr(2);
		if (t.length != 6)
			return fallback;
		for (i in 0...6)
			if ("0123456789abcdefABCDEF".indexOf(t.charAt(i)) < 0)
				return fallback;
		return Std.parseInt("0x" + t);
	}

	public static function colourText(colour:Int):String {
		return "#" + StringTools.hex(colour & 0xFFFFFF, 6);
	}

	static function colourOrNoneText(colour:Null<Int>):String {
		return colour == null ? "none" : colourText(colour);
	}

	public static function escape(s:String, inAttribute:Bool):String {
		if (s == null)
			return "";
		var b = new StringBuf();
		for (i in 0...s.length) {
			var c = s.charCodeAt(i);
			switch (c) {
				case "&".code:
					b.add("&amp;");
				case "<".code:
					b.add("&lt;");
				case ">".code:
					b.add("&gt;");
				case '"'.code:
					b.add(inAttribute ? "&quot;" : '"');
				case "\\".code:
					b.add("&#92;");
				case 10:
					b.add(inAttribute ? "&#10;" : "\n");
				case 13:
					b.add("&#13;");
				case 9:
					b.add(inAttribute ? "&#9;" : "\t");
				default:
					// Other control characters cannot appear in XML 1.0 at all: each is written as
					// U+FFFD, as the host writes them.
					b.add(c >= 32 ? s.charAt(i) : "\u{FFFD}");
			}
		}
		return b.toString();
	}
}
