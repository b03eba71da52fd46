// The automatic layout of a banner at another size, from one of its sizes (the source, normally
// the first): the one rule the editor, `pennoria-cli layout` and every renderer follow.
//
// Sizes fall into three aspect classes: wide (a row: logo and pictures on the left, the texts in
// the middle, the call to action on the right), tall (a column: logo, texts, picture, call to
// action from the top) and near-square. A size of the source's own class is the design scaled:
// each element keeps to its anchors and scales as its constraint says. Texts are fitted with the
// shipped faces' widths (TextFit) and stay legible (TextFit.legible); the call to action keeps a
// height one can hit; pictures are not shrunk to specks; texts, pictures and buttons never overlap
// (backgrounds and decorations may lie under them). Where a size has no room for every text, the
// lowest-priority texts are left out (the place is marked hidden) and the layout says so.
//
// Constraints an element lacks are guessed from its kind and place at the source size (guess).

import BannerDocument;
import TextFit.FittedText;

typedef Constraints = {
	anchorX:String, // left|center|right|stretch
	anchorY:String, // top|middle|bottom|stretch
	scaling:String, // keep|shorter|fill
	role:String // logo|headline|body|cta|product|decoration|background
}

// What a layout of one size did beyond placing: texts left out and texts that do not fit.
typedef LayoutNote = {
	id:String,
	width:Int,
	height:Int,
	what:String // "omitted" or "overflow"
}

private typedef Item = {
	e:BannerElement,
	src:Box,
	c:Constraints
}

class SizeLayout {
	// width / height at or above WIDE is a row, at or below TALL a column.
	public static inline var WIDE = 2.0;
	public static inline var TALL = 0.7;
	// The call to action is at least this high (CTA_LOW on banners lower than TextFit.LOW_BANNER).
	public static inline var CTA = 20;
	public static inline var CTA_LOW = 16;
	// A picture's shorter side is at least this (or the source's, if that was smaller).
	public static inline var PICTURE = 16;

	public static function aspectClass(width:Int, height:Int):String {
		var r = width / height;
		return r >= WIDE ? "wide" : (r <= TALL ? "tall" : "square");
	}

	public static function ctaHeight(bannerHeight:Int):Int {
		return bannerHeight < TextFit.LOW_BANNER ? CTA_LOW : CTA;
	}

	// --- Constraints -------------------------------------------------------------------------

	// Every element's constraints: those the project sets, the rest guessed from the element's
	// kind and its place at the size `source`.
	public static function constraintsAll(doc:BannerDocument, source = 0):Map<String, Constraints> {
		var size = doc.sizes[source < doc.sizes.length ? source : 0];
		var W = size.width, H = size.height;
		// The headline: the text with the largest font (the first of equals).
		var headline:String = null, largest = -1;
		for (e in doc.elements)
			if (e.kind == Text && e.role == "") {
				var f = doc.box(e, source).fontSize;
				if (f > largest) {
					largest = f;
					headline = e.id;
				}
			}
		var out = new Map<String, Constraints>();
		for (e in doc.elements) {
			var b = doc.box(e, source);
			var role = e.role;
			if (role == "") {
				var share = (b.width * b.height) / (W * H);
				role = switch (e.kind) {
					case Button: "cta";
					case Text: e.id == headline ? "headline" : "body";
					case Shape: share >= 0.5 ? "background" : "decoration";
					case Image:
						if (share >= 0.5)
							"background";
						else if (b.y + b.height / 2 < H / 3 && b.width <= W * 0.5 && b.height <= H * 0.4)
							"logo";
						else
							"product";
				};
			}
			out.set(e.id, {
				anchorX: e.anchorX != "" ? e.anchorX : guessAnchor(b.x, b.width, W, ["left", "center", "right", "stretch"]),
				anchorY: e.anchorY != "" ? e.anchorY : guessAnchor(b.y, b.height, H, ["top", "middle", "bottom", "stretch"]),
				scaling: e.scaling != "" ? e.scaling : (role == "background" || (e.kind == Shape && e.shapeKind == "rect")) ? "fill" : "shorter",
				role: role
			});
		}
		return out;
	}

	public static function constraints(doc:BannerDocument, e:BannerElement, source = 0):Constraints {
		return constraintsAll(doc, source).get(e.id);
	}

	// Spanning nearly the whole side: stretch; else by the third its centre lies in.
	static function guessAnchor(at:Float, extent:Float, side:Int, words:Array<String>):String {
		if (extent >= side * 0.9)
			return words[3];
		var centre = at + extent / 2;
		return centre < side / 3 ? words[0] : (centre > side * 2 / 3 ? words[2] : words[1]);
	}

	// --- Applying --------------------------------------------------------------------------

	// Lays every element out at the size `target` from the size `source`; answers what it left out
	// and the texts that do not fit.
	public static function apply(doc:BannerDocument, source:Int, target:Int):Array<LayoutNote> {
		var size = doc.sizes[target];
		var notes:Array<LayoutNote> = [];
		var places = layout(doc, source, size.width, size.height, notes);
		if (target == 0) {
			for (e in doc.elements) {
				var b = places.get(e.id);
				doc.setBox(e, 0, b);
			}
		} else {
			size.places = places;
		}
		return notes;
	}

	// The places of every element at width x height, laid out from the size `source`.
	public static function layout(doc:BannerDocument, source:Int, width:Int, height:Int, ?notes:Array<LayoutNote>):Map<String, Box> {
		if (notes == null)
			notes = [];
		if (source < 0 || source >= doc.sizes.length)
			source = 0;
		var from = doc.sizes[source];
		var all = constraintsAll(doc, source);
		var items:Array<Item> = [for (e in doc.elements) {e: e, src: doc.box(e, source), c: all.get(e.id)}];
		var places = new Map<String, Box>();
		var kind = aspectClass(width, height);
		if (kind == aspectClass(from.width, from.height))
			scaled(items, from.width, from.height, width, height, places, notes);
		else if (kind == "wide")
			row(items, from.width, from.height, width, height, places, notes);
		else
			column(items, from.width, from.height, width, height, places, notes);
		// An element no part of the row or column took (a shape named a headline, say) keeps its
		// place relative to the banner, as a decoration does.
		var rest = [for (it in items) if (!places.exists(it.e.id)) {e: it.e, src: it.src, c: {anchorX: it.c.anchorX, anchorY: it.c.anchorY, scaling: it.c.scaling, role: "decoration"}}];
		under(rest, from.width, from.height, width, height, places);
		for (e in doc.elements) {
			var b = places.get(e.id);
			b.x = round2(b.x);
			b.y = round2(b.y);
			b.width = round2(Math.max(1, b.width));
			b.height = round2(Math.max(1, b.height));
		}
		return places;
	}

	// --- The design scaled -----------------------------------------------------------------

	static function scaled(items:Array<Item>, W0:Int, H0:Int, W:Int, H:Int, places:Map<String, Box>, notes:Array<LayoutNote>) {
		var sx = W / W0, sy = H / H0, s = Math.min(sx, sy);
		var legible = TextFit.legible(H);
		for (it in items) {
			var b = it.src, c = it.c;
			var w = b.width, h = b.height;
			switch (c.scaling) {
				case "keep":
				case "fill":
					w *= sx;
					h *= sy;
				default:
					w *= s;
					h *= s;
			}
			var x = anchored(c.anchorX, b.x, b.width, W0, W, s, w);
			var y = anchored(c.anchorY, b.y, b.height, H0, H, s, h);
			if (c.anchorX == "stretch")
				w = Math.max(1, W - (W0 - b.x - b.width) * s - x);
			if (c.anchorY == "stretch")
				h = Math.max(1, H - (H0 - b.y - b.height) * s - y);
			var font = c.scaling == "keep" ? b.fontSize : Std.int(Math.max(BannerDocument.MIN_FONT, Math.round(b.fontSize * s)));
			var place:Box = {x: x, y: y, width: w, height: h, fontSize: font};
			switch (it.e.kind) {
				case Text:
					place.fontSize = Std.int(Math.max(font, legible));
					var t = TextFit.fit(it.e.label, it.e.font, it.e.bold, it.e.italic, it.e.lineHeight, w, h, place.fontSize, true, legible);
					place.fontSize = t.size;
					if (!t.fits)
						note(notes, it.e, W, H, "overflow");
				case Button:
					fitButton(it.e, place, W, H, W, notes);
				case Image:
					unspeck(place, b);
				case Shape:
			}
			inside(place, W, H);
			places.set(it.e.id, place);
		}
	}

	// Where an element anchored so lies at the new size: its margin to the anchored edge (or its
	// centre's offset from the middle) scaled by s.
	static function anchored(anchor:String, at:Float, extent:Float, side0:Int, side:Int, s:Float, newExtent:Float):Float {
		return switch (anchor) {
			case "right" | "bottom": side - (side0 - at - extent) * s - newExtent;
			case "center" | "middle": side / 2 + (at + extent / 2 - side0 / 2) * s - newExtent / 2;
			default: at * s;
		};
	}

	// --- A row -------------------------------------------------------------------------------

	static function row(items:Array<Item>, W0:Int, H0:Int, W:Int, H:Int, places:Map<String, Box>, notes:Array<LayoutNote>) {
		var m = clampInt(Math.round(H * 0.1), 4, 16);
		var inner = H - 2 * m;
		var left:Float = m, right:Float = W - m;
		under(items, W0, H0, W, H, places);
		// The calls to action, from the right edge.
		for (it in byRole(items, "cta")) {
			var b = it.src;
			var ch = Math.min(inner, Math.max(ctaHeight(H), Math.min(Math.round(inner * 0.5), b.height * 1.2)));
			var place:Box = {x: 0, y: (H - ch) / 2, width: b.width, height: ch, fontSize: b.fontSize};
			fitButton(it.e, place, W, H, Std.int(W * 0.3), notes);
			place.x = right - place.width;
			right = place.x - m;
			places.set(it.e.id, place);
		}
		// Logo and pictures, from the left edge.
		for (it in byRole(items, "logo").concat(byRole(items, "product"))) {
			var b = it.src;
			var aspect = b.width / b.height;
			var ph = Math.min(inner, Math.min(W * 0.22 / aspect, b.height * Math.max(1, Math.min(W / W0, H / H0))));
			var place:Box = {x: left, y: (H - ph) / 2, width: ph * aspect, height: ph, fontSize: b.fontSize};
			unspeck(place, b);
			// Grown to no speck, it still starts at the left edge and stays in the banner.
			place.x = left;
			place.y = (H - place.height) / 2;
			inside(place, W, H);
			left += place.width + m;
			places.set(it.e.id, place);
		}
		// The texts between them, stacked and centred in the height.
		var texts = textsByPriority(items);
		var gap = Math.round(m / 2);
		var fitted = stack(texts, right - left, inner, gap, TextFit.legible(H), W, H, notes);
		var total = 0.0;
		for (t in fitted)
			total += t.height;
		total += gap * (fitted.length - 1);
		var y = (H - total) / 2;
		for (i in 0...texts.length) {
			var e = texts[i].e;
			if (i >= fitted.length) {
				places.set(e.id, hiddenBox(texts[i].src));
				continue;
			}
			var t = fitted[i];
			places.set(e.id, {x: left, y: y, width: Math.max(1, right - left), height: t.height, fontSize: t.size});
			y += t.height + gap;
		}
	}

	// --- A column ----------------------------------------------------------------------------

	static function column(items:Array<Item>, W0:Int, H0:Int, W:Int, H:Int, places:Map<String, Box>, notes:Array<LayoutNote>) {
		var m = clampInt(Math.round(Math.min(W, H) * 0.08), 6, 20);
		var inner = W - 2 * m;
		var s = Math.max(1, Math.min(W / W0, H / H0));
		under(items, W0, H0, W, H, places);
		var gap = m;
		var top:Array<Box> = [], bottom:Array<Box> = [];
		var used = 0.0;
		for (it in byRole(items, "logo")) {
			var b = it.src;
			var aspect = b.width / b.height;
			var ph = Math.min(H * 0.15, Math.min(inner * 0.7 / aspect, b.height * s));
			var place:Box = {x: 0, y: 0, width: ph * aspect, height: ph, fontSize: b.fontSize};
			unspeck(place, b);
			places.set(it.e.id, place);
			top.push(place);
			used += place.height + gap;
		}
		for (it in byRole(items, "product")) {
			var b = it.src;
			var aspect = b.width / b.height;
			var ph = Math.min(H * 0.35, Math.min(inner / aspect, b.height * s));
			var place:Box = {x: 0, y: 0, width: ph * aspect, height: ph, fontSize: b.fontSize};
			unspeck(place, b);
			places.set(it.e.id, place);
			bottom.push(place);
			used += place.height + gap;
		}
		for (it in byRole(items, "cta")) {
			var b = it.src;
			var place:Box = {
				x: 0,
				y: 0,
				width: b.width,
				height: Math.max(ctaHeight(H), Math.min(b.height * s, H * 0.15)),
				fontSize: b.fontSize
			};
			fitButton(it.e, place, W, H, inner, notes);
			places.set(it.e.id, place);
			bottom.push(place);
			used += place.height + gap;
		}
		var texts = textsByPriority(items);
		var fitted = stack(texts, inner, H - 2 * m - used, gap, TextFit.legible(H), W, H, notes);
		var middle:Array<Box> = [];
		for (i in 0...texts.length) {
			var e = texts[i].e;
			if (i >= fitted.length) {
				places.set(e.id, hiddenBox(texts[i].src));
				continue;
			}
			var t = fitted[i];
			var place:Box = {x: m, y: 0, width: inner, height: t.height, fontSize: t.size};
			places.set(e.id, place);
			middle.push(place);
		}
		// Top to bottom, the free height shared evenly between the items (at most a tenth of the
		// banner between two), the whole centred.
		var order = top.concat(middle).concat(bottom);
		var content = 0.0;
		for (b in order)
			content += b.height;
		var between = order.length > 1 ? Math.min(H * 0.1, Math.max(0, (H - 2 * m - content) / (order.length - 1))) : 0;
		var y = (H - content - between * (order.length - 1)) / 2;
		for (b in order) {
			b.y = y;
			b.x = (W - b.width) / 2;
			inside(b, W, H);
			y += b.height + between;
		}
	}

	// --- Parts -------------------------------------------------------------------------------

	// Backgrounds fill the banner; decorations keep their place relative to the banner (their
	// centre moves with it) at the size their scaling gives.
	static function under(items:Array<Item>, W0:Int, H0:Int, W:Int, H:Int, places:Map<String, Box>) {
		var sx = W / W0, sy = H / H0, s = Math.min(sx, sy);
		for (it in items) {
			var b = it.src;
			if (it.c.role == "background") {
				places.set(it.e.id, {x: 0, y: 0, width: W, height: H, fontSize: b.fontSize});
			} else if (it.c.role == "decoration") {
				var w = b.width, h = b.height;
				switch (it.c.scaling) {
					case "keep":
					case "fill":
						w *= sx;
						h *= sy;
					default:
						w *= s;
						h *= s;
				}
				var place:Box = {
					x: (b.x + b.width / 2) * sx - w / 2,
					y: (b.y + b.height / 2) * sy - h / 2,
					width: w,
					height: h,
					fontSize: Std.int(Math.max(BannerDocument.MIN_FONT, Math.round(b.fontSize * s)))
				};
				inside(place, W, H);
				places.set(it.e.id, place);
			}
		}
	}

	static function byRole(items:Array<Item>, role:String):Array<Item> {
		return [for (it in items) if (it.c.role == role) it];
	}

	// Headlines first, then the other texts by font size (larger first), then in drawing order.
	static function textsByPriority(items:Array<Item>):Array<Item> {
		var texts = [for (it in items) if (it.e.kind == Text && it.c.role != "background" && it.c.role != "decoration") it];
		var order = [for (i in 0...texts.length) i];
		var rank = function(it:Item) return it.c.role == "headline" ? 0 : 1;
		order.sort(function(a, b) {
			var d = rank(texts[a]) - rank(texts[b]);
			if (d == 0)
				d = texts[b].src.fontSize - texts[a].src.fontSize;
			return d != 0 ? d : a - b;
		});
		return [for (i in order) texts[i]];
	}

	// The texts fitted into a column of width x height, one below the other `gap` apart, all at
	// the largest sizes that fit (each in proportion to its size at the source, none below
	// `legible`); the last texts are left out while even the smallest sizes do not fit. Answers
	// the fitted texts kept, in order.
	static function stack(texts:Array<Item>, width:Float, height:Float, gap:Float, legible:Int, W:Int, H:Int,
			notes:Array<LayoutNote>):Array<FittedText> {
		var n = texts.length;
		while (n > 0) {
			var lead = Std.int(Math.max(legible, texts[0].src.fontSize));
			var at = function(size:Int):Array<FittedText> {
				var out:Array<FittedText> = [];
				var total = gap * (n - 1);
				for (i in 0...n) {
					var e = texts[i].e;
					var own = Std.int(Math.max(legible, texts[i].src.fontSize));
					var s = Std.int(Math.max(legible, Math.min(own, Math.round(own * size / lead))));
					var t = TextFit.fit(e.label, e.font, e.bold, e.italic, e.lineHeight, width, 1e9, s, false, s);
					if (!t.fits)
						return null;
					total += t.height;
					out.push(t);
				}
				return total <= height + 0.5 ? out : null;
			};
			var best = at(lead);
			if (best == null) {
				best = at(legible);
				if (best != null) {
					var good = legible, bad = lead;
					while (bad - good > 1) {
						var mid = (good + bad) >> 1;
						var t = at(mid);
						if (t != null) {
							good = mid;
							best = t;
						} else {
							bad = mid;
						}
					}
				}
			}
			if (best != null)
				return best;
			if (n == 1) {
				// The first text alone, cut to the room there is.
				var e = texts[0].e;
				var t = TextFit.fit(e.label, e.font, e.bold, e.italic, e.lineHeight, width, Math.max(1, height), legible, true, legible);
				if (!t.fits)
					note(notes, e, W, H, "overflow");
				t.height = Math.min(t.height, Math.max(t.size * e.lineHeight, height));
				return [t];
			}
			n--;
			note(notes, texts[n].e, W, H, "omitted");
		}
		return [];
	}

	// A button's label at a legible size that fits the button: the font follows the button's
	// height, the button is as wide as its label needs (up to maxWidth) and at least as high as
	// one can hit.
	static function fitButton(e:BannerElement, place:Box, W:Int, H:Int, maxWidth:Int, notes:Array<LayoutNote>) {
		var legible = TextFit.legible(H);
		var minHeight = ctaHeight(H);
		if (place.height < minHeight) {
			place.y -= (minHeight - place.height) / 2;
			place.height = minHeight;
		}
		var lines = e.label.split("\r\n").join("\n").split("\n");
		var font = Std.int(Math.max(legible, Math.min(Math.round(place.height * 0.45), Math.max(e.size, legible))));
		var fits = false;
		while (true) {
			var pad = Math.max(6, Math.round(place.height * 0.35));
			var widest = 0.0;
			for (l in lines)
				widest = Math.max(widest, TextFit.lineWidth(l, e.font, e.bold, e.italic, font));
			var need = Math.ceil(widest + 2 * pad);
			fits = lines.length * font * 1.2 <= place.height && widest <= maxWidth - 4;
			if ((fits && need <= maxWidth) || font <= legible) {
				var centre = place.x + place.width / 2;
				place.width = Math.min(maxWidth, Math.max(place.width, need));
				place.x = centre - place.width / 2;
				break;
			}
			font--;
		}
		place.fontSize = font;
		if (!fits)
			note(notes, e, W, H, "overflow");
	}

	// A picture keeps its shorter side at PICTURE (or at the source's, if smaller), its
	// proportions kept.
	static function unspeck(place:Box, src:Box) {
		var least = Math.min(PICTURE, Math.min(src.width, src.height));
		var shorter = Math.min(place.width, place.height);
		if (shorter < least) {
			var k = least / shorter;
			place.x -= place.width * (k - 1) / 2;
			place.y -= place.height * (k - 1) / 2;
			place.width *= k;
			place.height *= k;
		}
	}

	// Moved (and if need be shrunk) into the banner.
	static function inside(b:Box, W:Int, H:Int) {
		b.width = Math.min(b.width, W);
		b.height = Math.min(b.height, H);
		b.x = Math.max(0, Math.min(W - b.width, b.x));
		b.y = Math.max(0, Math.min(H - b.height, b.y));
	}

	static function hiddenBox(src:Box):Box {
		return {
			x: 0,
			y: 0,
			width: src.width,
			height: src.height,
			fontSize: src.fontSize,
			hidden: true
		};
	}

	static function note(notes:Array<LayoutNote>, e:BannerElement, W:Int, H:Int, what:String) {
		notes.push({id: e.id, width: W, height: H, what: what});
	}

	static function clampInt(v:Float, low:Int, high:Int):Int {
		return Std.int(Math.max(low, Math.min(high, v)));
	}

	static function round2(v:Float):Float {
		return Math.round(v * 100) / 100;
	}

	// Copies the places of the elements named (all when ids is null) from the size `from` to
	// the size `to` (meant for sizes of a similar aspect): the top-left corner scaled with each
	// side, the box and the font with the shorter side.
	public static function copyPlaces(doc:BannerDocument, from:Int, to:Int, ?ids:Array<String>) {
		if (from < 0 || to < 0 || from >= doc.sizes.length || to >= doc.sizes.length || from == to)
			return;
		var a = doc.sizes[from], b = doc.sizes[to];
		var sx = b.width / a.width, sy = b.height / a.height, s = Math.min(sx, sy);
		for (e in doc.elements) {
			if (ids != null && ids.indexOf(e.id) < 0)
				continue;
			var p = doc.box(e, from);
			var place:Box = {
				x: round2(p.x * sx),
				y: round2(p.y * sy),
				width: round2(p.width * s),
				height: round2(p.height * s),
				fontSize: Std.int(Math.max(BannerDocument.MIN_FONT, Math.round(p.fontSize * s))),
				hidden: p.hidden == true
			};
			doc.setBox(e, to, place);
		}
	}

	// --- Checking ----------------------------------------------------------------------------

	// The texts and buttons of every size whose text does not fit their box as drawn: each
	// with its size (what the editor marks and publishing reports).
	public static function overflows(doc:BannerDocument):Array<LayoutNote> {
		var out:Array<LayoutNote> = [];
		for (i in 0...doc.sizes.length) {
			var size = doc.sizes[i];
			for (e in doc.elements) {
				var b = doc.box(e, i);
				if (b.hidden == true)
					continue;
				var fits = switch (e.kind) {
					case Text: TextFit.forText(e, b, size.height).fits;
					case Button: buttonFits(e, b);
					default: true;
				};
				if (!fits)
					note(out, e, size.width, size.height, "overflow");
			}
		}
		return out;
	}

	static function buttonFits(e:BannerElement, b:Box):Bool {
		var lines = e.label.split("\r\n").join("\n").split("\n");
		for (l in lines)
			if (TextFit.lineWidth(l, e.font, e.bold, e.italic, b.fontSize) > b.width + 0.5)
				return false;
		return lines.length * b.fontSize * 1.2 <= b.height + 0.5;
	}

	// --- Whole projects (the command line) ---------------------------------------------------

	// The project text with the sizes added (each "WxH") by the automatic layout from the first
	// size; sizes it already has are laid out again only with relayout. Answers the new text and
	// a line per size and element left out or not fitting; refused: a size was not understood or
	// found no room among the project's sizes.
	public static function layoutProject(text:String, sizes:Array<String>, relayout:Bool):{project:String, notes:Array<String>, refused:Bool} {
		var doc = BannerDocument.parse(text);
		var notes:Array<String> = [];
		// Only a whole project is laid out: what a reader could not hold would be missing from
		// the text written.
		if (!doc.isProject)
			return {project: "", notes: ["it is not a project file (XML with a template element)"], refused: true};
		if (doc.overLimits.length > 0)
			return {
				project: "",
				notes: [
					"it holds more than can be read: "
					+ [for (l in doc.overLimits) l.count + " " + l.what + " (at most " + l.limit + ")"].join(", ")
				],
				refused: true
			};
		var refused = false;
		if (doc.version < 2) {
			// A version-1 project is converted, as the editor does when it opens one.
			doc.legacy = null;
			doc.version = 2;
		}
		for (word in sizes) {
			var parts = StringTools.trim(word).toLowerCase().split("x");
			var w = parts.length == 2 ? Std.parseInt(parts[0]) : null;
			var h = parts.length == 2 ? Std.parseInt(parts[1]) : null;
			if (w == null || h == null || w < ProjectRules.MIN_SIDE || h < ProjectRules.MIN_SIDE || w > ProjectRules.MAX_SIDE
				|| h > ProjectRules.MAX_SIDE) {
				notes.push("not a size: " + word);
				refused = true;
				continue;
			}
			var index = doc.sizeIndexFor(w, h);
			var laid:Array<LayoutNote> = [];
			if (index < 0) {
				if (doc.sizes.length >= BannerDocument.MAX_SIZES) {
					notes.push("too many sizes: " + w + "x" + h);
					refused = true;
					continue;
				}
				doc.sizes.push(new BannerSize(w, h));
				laid = SizeLayout.apply(doc, 0, doc.sizes.length - 1);
			} else if (relayout && index > 0) {
				laid = SizeLayout.apply(doc, 0, index);
			}
			for (n in laid)
				notes.push(n.width + "x" + n.height + " " + n.id + ": " + (n.what == "omitted" ? "left out, no room" : "text does not fit"));
		}
		return {project: doc.toXml(), notes: notes, refused: refused};
	}
}
