// The banner's timing, the same for every renderer: what an element shows at a moment of a loop
// under its enter and exit animations, and which moment of a loop a playing banner is at.

import BannerDocument;

typedef ElementState = {
	visible:Bool,
	alpha:Float, // the element's opacity times its fades
	dx:Float, // the slide's offset from the element's place
	dy:Float,
	scale:Float // the zoom, about the element's centre
}

class Timeline {
	// The state of element e, placed at b in a banner of bannerW x bannerH, t ms into a loop.
	public static function stateAt(doc:BannerDocument, e:BannerElement, b:Box, bannerW:Int, bannerH:Int, t:Float):ElementState {
		var s:ElementState = {visible: true, alpha: e.opacity, dx: 0, dy: 0, scale: 1};
		if (t < 0)
			t = 0;
		if (t > doc.length)
			t = doc.length;
		var a = e.enter;
		if (a != null && a.type != "none") {
			if (t < a.delay)
				return hidden();
			apply(s, a, 1 - progress(a, t), b, bannerW, bannerH);
		}
		var x = e.exit;
		if (x != null && t >= x.delay) {
			if (t >= x.delay + x.duration)
				return hidden();
			if (x.type != "none")
				apply(s, x, progress(x, t), b, bannerW, bannerH);
		}
		if (s.alpha <= 0 || s.scale <= 0)
			s.visible = false;
		return s;
	}

	// The final frame's time in a loop: the banner stays on it after its last loop.
	public static function finalTime(doc:BannerDocument):Float {
		return doc.length;
	}

	// The moment of a loop a banner shows elapsed ms after it started playing: loops run from
	// 0 to length, and after the last one the final frame stays.
	public static function loopTime(doc:BannerDocument, elapsed:Float):Float {
		if (elapsed <= 0)
			return 0;
		if (elapsed >= doc.length * doc.loops)
			return finalTime(doc);
		return elapsed % doc.length;
	}

	// Whether the banner has reached its final frame elapsed ms after it started.
	public static function ended(doc:BannerDocument, elapsed:Float):Bool {
		return elapsed >= doc.length * doc.loops;
	}

	static function hidden():ElementState {
		return {visible: false, alpha: 0, dx: 0, dy: 0, scale: 1};
	}

	// Eased progress (0 to 1) of an animation t ms into the loop.
	static function progress(a:BannerAnimation, t:Float):Float {
		if (a.duration <= 0 || t >= a.delay + a.duration)
			return 1;
		var p = (t - a.delay) / a.duration;
		if (p <= 0)
			return 0;
		return ease(a.easing, p);
	}

	public static function ease(easing:String, p:Float):Float {
		return switch (easing) {
			case "easeIn": p * p;
			case "easeOut": 1 - (1 - p) * (1 - p);
			case "easeInOut": p < 0.5 ? 2 * p * p : 1 - 2 * (1 - p) * (1 - p);
			default: p;
		};
	}

	// Applies an animation "away" by amount (0: at its place and whole, 1: fully away: faded out,
	// outside the banner's edge on the animation's side, or zoomed to nothing).
	static function apply(s:ElementState, a:BannerAnimation, away:Float, b:Box, bannerW:Int, bannerH:Int) {
		if (away <= 0)
			return;
		switch (a.type) {
			case "fade":
				s.alpha *= 1 - away;
			case "slide":
				switch (a.side) {
					case "right":
						s.dx += (bannerW - b.x) * away;
					case "top":
						s.dy += -(b.y + b.height) * away;
					case "bottom":
						s.dy += (bannerH - b.y) * away;
					default:
						s.dx += -(b.x + b.width) * away;
				}
			case "zoom":
				s.scale *= 1 - away;
			default:
		}
	}
}
