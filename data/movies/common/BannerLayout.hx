// The banner's layout and timing rules, the one place every renderer takes them from: how the
// image is fitted, where the headline's box lies and how it wraps, and what the entrance effect
// shows at a given moment.

import BannerProject.Effect;
import BannerProject.Fit;

typedef Rect = {
	x:Float,
	y:Float,
	width:Float,
	height:Float
}

// The headline as a renderer draws it: the text wraps at word boundaries inside a box of the
// given width whose left edge is x (line breaks in the text are kept); each line is aligned in
// that box. The top is placed afterwards from the wrapped text's height (headlineTop).
typedef HeadlineLayout = {
	text:String,
	x:Float,
	width:Float,
	size:Int,
	colour:Int,
	bold:Bool,
	align:String // "left", "center" or "right"
}

// What the entrance effect does to the banner's content (image and headline) at one moment:
// opacity, then a scale about the top-left corner, then a shift.
typedef EntranceState = {
	alpha:Float,
	x:Float,
	y:Float,
	scale:Float
}

class BannerLayout {
	// The fraction of the banner's shorter side kept free around the headline.
	static inline var MARGIN_SHARE = 0.06;
	// The zoom effect starts at this scale.
	static inline var ZOOM_FROM = 1.25;
	// Inside a text box, the glyphs start this far from its edges (a text field's gutter).
	public static inline var TEXT_GUTTER = 2;

	// Where an image of imageWidth x imageHeight lands in the banner under the project's fit.
	public static function fitImage(p:BannerProject, imageWidth:Float, imageHeight:Float):Rect {
		var fit = switch (p.fit) {
			case Stretch: "stretch";
			case Contain: "contain";
			case Cover: "cover";
		};
		return fitRect(fit, p.width, p.height, imageWidth, imageHeight);
	}

	// Where an image of imageWidth x imageHeight lands in a box of boxWidth x boxHeight (at 0, 0)
	// fitted "contain" (whole, centred), "cover" (filling it, centred, the rest cut off) or
	// "stretch"; null for an image without a size.
	public static function fitRect(fit:String, boxWidth:Float, boxHeight:Float, imageWidth:Float, imageHeight:Float):Rect {
		if (imageWidth <= 0 || imageHeight <= 0)
			return null;
		var sx = boxWidth / imageWidth, sy = boxHeight / imageHeight;
		switch (fit) {
			case "stretch":
			case "contain":
				sx = sy = Math.min(sx, sy);
			default:
				sx = sy = Math.max(sx, sy);
		}
		var w = imageWidth * sx, h = imageHeight * sy;
		return {x: (boxWidth - w) / 2, y: (boxHeight - h) / 2, width: w, height: h};
	}

	public static function margin(p:BannerProject):Float {
		return Math.round(Math.min(p.width, p.height) * MARGIN_SHARE);
	}

	// The headline's box, or null when there is no headline.
	public static function headline(p:BannerProject):HeadlineLayout {
		if (p.headline == null || p.headline == "")
			return null;
		var m = margin(p);
		var align = switch (p.headlineAlign) {
			case "left" | "right": p.headlineAlign;
			default: "center";
		};
		return {
			text: p.headline,
			x: m,
			width: Math.max(1, p.width - 2 * m),
			size: p.headlineSize,
			colour: p.headlineColor,
			bold: p.headlineBold,
			align: align
		};
	}

	// The top of the headline's box once its wrapped height (gutters included) is known.
	public static function headlineTop(p:BannerProject, boxHeight:Float):Float {
		var m = margin(p);
		return switch (p.headlineVAlign) {
			case "top": m;
			case "middle": (p.height - boxHeight) / 2;
			default: p.height - m - boxHeight;
		};
	}

	// Whether the entrance is animated at all; a banner without one shows its end state at once.
	public static function animated(p:BannerProject):Bool {
		return p.effect != None && p.duration > 0;
	}

	// Progress (0 to 1) of the entrance elapsedMs after it started.
	public static function progress(p:BannerProject, elapsedMs:Float):Float {
		if (!animated(p) || elapsedMs >= p.duration)
			return 1;
		return elapsedMs <= 0 ? 0 : elapsedMs / p.duration;
	}

	// The content's state at progress t (0 to 1) of the entrance, eased out (cubic).
	public static function entrance(p:BannerProject, t:Float):EntranceState {
		var e = 1 - (1 - t) * (1 - t) * (1 - t);
		return switch (p.effect) {
			case None: {alpha: 1, x: 0, y: 0, scale: 1};
			case Fade: {alpha: e, x: 0, y: 0, scale: 1};
			case Slide: {alpha: 1, x: -p.width * (1 - e), y: 0, scale: 1};
			case Zoom:
				var s = ZOOM_FROM - (ZOOM_FROM - 1) * e;
				{alpha: e, x: p.width * (1 - s) / 2, y: p.height * (1 - s) / 2, scale: s};
		};
	}
}
