// The banner as a project XML describes it; every value has a default, so a partial or damaged
// project still gives a banner.

enum Fit {
	Cover;
	Contain;
	Stretch;
}

enum Effect {
	None;
	Fade;
	Slide;
	Zoom;
}

class BannerProject {
	public var width = 720;
	public var height = 540;
	public var background = 0xFFFFFF;
	public var image:String = null;
	public var fit = Cover;
	public var headline:String = null;
	public var headlineColor = 0xFFFFFF;
	public var headlineSize = 28;
	public var headlineBold = true;
	public var headlineAlign = "center";
	public var headlineVAlign = "bottom";
	public var link:String = null;
	public var linkTarget = "_blank";
	public var effect = Fade;
	public var duration = 800.0;

	function new() {}

	public static function parse(text:String):BannerProject {
		var p = new BannerProject();
		var root:Xml = null;
		try {
			root = Xml.parse(text).firstElement();
		} catch (e:Dynamic) {}
		if (root == null)
			return p;
		p.width = ProjectRules.side(root.get("demoWidth"), p.width);
		p.height = ProjectRules.side(root.get("demoHeight"), p.height);
		p.background = colour(root.get("bgColor"), p.background);
		p.image = root.get("img");
		p.fit = switch (root.get("fit")) {
			case "contain": Contain;
			case "stretch": Stretch;
			default: Cover;
		};
		for (h in root.elementsNamed("headline")) {
			var buffer = new StringBuf();
			for (child in h)
				if (child.nodeType == Xml.PCData || child.nodeType == Xml.CData)
					buffer.add(child.nodeValue);
			p.headline = StringTools.trim(buffer.toString());
			p.headlineColor = colour(h.get("color"), p.headlineColor);
			p.headlineSize = intIn(h.get("size"), 6, 200, p.headlineSize);
			p.headlineBold = h.get("bold") != "false";
			if (h.get("align") != null)
				p.headlineAlign = h.get("align");
			if (h.get("valign") != null)
				p.headlineVAlign = h.get("valign");
			break;
		}
		for (l in root.elementsNamed("link")) {
			// Script and other schemes never reach the page that shows the banner.
			p.link = ProjectRules.allowedLink(l.get("url")) ? StringTools.trim(l.get("url")) : null;
			if (l.get("target") != null && l.get("target") != "")
				p.linkTarget = l.get("target");
			break;
		}
		for (e in root.elementsNamed("effect")) {
			p.effect = switch (e.get("type")) {
				case "none": None;
				case "slide": Slide;
				case "zoom": Zoom;
				default: Fade;
			};
			p.duration = intIn(e.get("duration"), 0, 10000, Std.int(p.duration));
			break;
		}
		return p;
	}

	static function intIn(text:String, low:Int, high:Int, fallback:Int):Int {
		if (text == null)
			return fallback;
		var v = Std.parseInt(StringTools.trim(text));
		return (v == null || v < low || v > high) ? fallback : v;
	}

	// "#RRGGBB", "0xRRGGBB" or "RRGGBB".
	static function colour(text:String, fallback:Int):Int {
		if (text == null)
			return fallback;
		var t = StringTools.trim(text);
		if (StringTools.startsWith(t, "#"))
			t = t.substr(1);
		else if (StringTools.startsWith(t.toLowerCase(), "0x"))
			t = t.substr(2);
		if (t.length != 6)
			return fallback;
		var v = Std.parseInt("0x" + t);
		return v == null ? fallback : v;
	}
}
