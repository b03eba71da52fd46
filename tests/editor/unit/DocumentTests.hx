// The project document (BannerDocument, Timeline) run by Haxe's interpreter: version 2 written
// and read back, version 1 read and converted, damaged input, sizes and the timeline; and what
// the renderer asks of a surface when it draws a document and when the document changes.
import BannerDocument;
import BannerLayout.EntranceState;
import BannerLayout.HeadlineLayout;
import BannerLayout.Rect;

class DocumentTests {
	static var passed = 0;
	static var failed = 0;

	static function check(what:String, ok:Bool, ?detail:String) {
		if (ok) {
			passed++;
		} else {
			failed++;
			Sys.println("FAIL: " + what + (detail != null ? " (" + detail + ")" : ""));
		}
	}

	static function same<T>(what:String, expected:T, actual:T) {
		check(what, expected == actual, "expected <" + Std.string(expected) + "> got <" + Std.string(actual) + ">");
	}

	static function near(what:String, expected:Float, actual:Float) {
		check(what, Math.abs(expected - actual) < 0.01, "expected <" + expected + "> got <" + actual + ">");
	}

	static function main() {
		roundTrip();
		readsVersionOne();
		damageAndLimits();
		onePastEachLimit();
		sizes();
		timeline();
		renderer();
		editorMarks();
		Sys.println(passed + " passed, " + failed + " failed");
		Sys.exit(failed == 0 ? 0 : 1);
	}

	public static var EXAMPLE = '<?xml version="1.0" encoding="UTF-8"?>
<template version="2" demoWidth="300" demoHeight="250" img="res/bg.jpg" bgColor="#1E3A5F" fit="cover" length="8000" loops="2">
  <component><info url="res/template.swf"/></component>
  <link url="https://example.org/sale" target="_blank"/>
  <elements>
    <shape id="s1" kind="rect" x="0" y="190" width="300" height="60" opacity="0.8" fill="#000000" stroke="#FFFFFF" strokeWidth="0" radius="0">
      <enter type="fade" delay="0" duration="500" easing="easeOut"/>
    </shape>
    <image id="logo" src="res/logo.png" x="10" y="10" width="80" height="40" fit="contain">
      <enter type="slide" from="left" delay="200" duration="600" easing="easeOut"/>
    </image>
    <text id="t1" x="10" y="195" width="180" height="50" font="Liberation Sans" size="22" bold="true" italic="false" color="#FFFFFF"
          align="left" lineHeight="1.2" shadowColor="#000000" shadowX="1" shadowY="1" shadowBlur="2">
      <label>Summer sale: 30% off</label>
      <enter type="zoom" delay="400" duration="600" easing="easeInOut"/>
      <exit type="fade" delay="7000" duration="500" easing="linear"/>
    </text>
    <button id="b1" x="200" y="205" width="90" height="32" url="https://example.org/buy" target="_blank" fill="#FF6A00" color="#FFFFFF"
            radius="8" font="Liberation Sans" size="14" bold="true" italic="false">
      <label>Shop now</label>
      <enter type="fade" delay="900" duration="400" easing="linear"/>
    </button>
  </elements>
  <sizes>
    <size width="300" height="250"/>
    <size width="728" height="90">
      <place ref="t1" x="100" y="20" width="400" height="50" size="24"/>
      <place ref="b1" x="620" y="29" width="96" height="32" size="14"/>
    </size>
  </sizes>
</template>
';

	static function roundTrip() {
		var d = BannerDocument.parse(EXAMPLE);
		same("version", 2, d.version);
		same("no legacy drawing for version 2", null, d.legacy);
		same("sizes", "300x250 728x90", [for (s in d.sizes) s.width + "x" + s.height].join(" "));
		same("timing", "8000 2", d.length + " " + d.loops);
		same("kinds in drawing order", "Shape Image Text Button", [for (e in d.elements) Std.string(e.kind)].join(" "));
		var t = d.find("t1");
		same("text", "Summer sale: 30% off|22|true|0|1.2", t.label + "|" + t.size + "|" + t.bold + "|" + t.shadowColor + "|" + t.lineHeight);
		same("text exit", "fade 7000 500 linear", t.exit.type + " " + t.exit.delay + " " + t.exit.duration + " " + t.exit.easing);
		var s = d.find("s1");
		same("shape", "rect 0.8 0 16777215", s.shapeKind + " " + s.opacity + " " + s.fill + " " + s.stroke);
		same("button link", "https://example.org/buy", d.find("b1").url);
		same("image slides from the left", "slide left", d.find("logo").enter.type + " " + d.find("logo").enter.side);
		var placed = d.box(t, 1);
		same("a place", "100 20 400 50 24", [placed.x, placed.y, placed.width, placed.height, placed.fontSize].join(" "));

		// Everything an editor may put in survives writing and reading, and writing is stable.
		var e = new BannerElement(Text, d.newId(Text));
		e.label = "Line 1\nC:\\new & <b> \"q\" \u00dcber \u0395\u03bb\u03bb\u03ac\u03b4\u03b1 \u041c\u0438\u0440";
		e.x = -12.5;
		e.y = 3.25;
		e.width = 99.99;
		e.font = "DejaVu Sans";
		e.italic = true;
		e.align = "right";
		e.exit = new BannerAnimation("slide", 100, 200, "easeIn", "bottom");
		d.elements.push(e);
		var shape = new BannerElement(Shape, d.newId(Shape));
		shape.shapeKind = "ellipse";
		shape.fill = null;
		shape.stroke = 0x123456;
		shape.strokeWidth = 3;
		d.elements.push(shape);
		d.image = "C:\\Art\\sky.png";
		d.link = "";
		var xml = d.toXml();
		check("no backslash in the text", xml.indexOf("\\") < 0);
		check("link and component are always written",
			xml.indexOf('<link url="" target="_blank"/>') > 0 && xml.indexOf('<info url="res/template.swf"/>') > 0);
		var back = BannerDocument.parse(xml);
		same("written again", xml, back.toXml());
		same("label", e.label, back.find(e.id).label);
		same("fractions", "-12.5 3.25 99.99", [back.find(e.id).x, back.find(e.id).y, back.find(e.id).width].join(" "));
		same("exit slide", "slide bottom", back.find(e.id).exit.type + " " + back.find(e.id).exit.side);
		same("no fill", null, back.find(shape.id).fill);
		same("image path", d.image, back.image);

		// A clone is deep.
		var c = d.clone();
		c.find("t1").label = "changed";
		c.sizes[1].places.get("t1").x = 1;
		c.find("t1").enter.delay = 1;
		same("clone leaves the original", "Summer sale: 30% off 100 400",
			d.find("t1").label + " " + d.sizes[1].places.get("t1").x + " " + d.find("t1").enter.delay);
		same("clone writes the same", xml, d.clone().toXml());
	}

	// The editor's marks on an element (name, lock, hidden in the editor) survive a save; an element
	// without them is written as before; a name is one trimmed line of at most 60 characters; only
	// the editor's renderer leaves a hidden element out.
	static function editorMarks() {
		var d = BannerDocument.parse(EXAMPLE);
		same("no marks written", false, d.toXml().indexOf("locked") >= 0 || d.toXml().indexOf("name=") >= 0);
		var logo = d.find("logo");
		logo.name = BannerDocument.layerName("  Brand\nmark <1>  ");
		logo.locked = true;
		logo.editorHidden = true;
		var back = BannerDocument.parse(d.toXml());
		var again = back.find("logo");
		same("name", "Brand mark <1>", again.name);
		same("locked", true, again.locked);
		same("hidden in the editor", true, again.editorHidden);
		same("written again the same", d.toXml(), back.toXml());
		same("a long name is cut", 60, BannerDocument.layerName(StringTools.lpad("", "x", 200)).length);
		var banner = new RecordingSurface(), editor = new RecordingSurface();
		new BannerRenderer(back, banner, 0).render(5000);
		var editing = new BannerRenderer(back, editor, 0);
		editing.editing = true;
		editing.render(5000);
		same("the banner shows it", "10,10 1", banner.shown.get(1));
		same("the editor does not", "hidden", editor.shown.get(1));

		// Groups: a name two elements share is kept; one element alone in a group, or a name
		// that is no id, is in none; the banner draws the members as it did without the group.
		var plain = BannerDocument.parse(EXAMPLE);
		var grouped = BannerDocument.parse(EXAMPLE);
		grouped.find("logo").group = "g1";
		grouped.find("t1").group = "g1";
		grouped.find("b1").group = "alone";
		var written = grouped.toXml().split('group="alone"').join('group="no good"');
		var read = BannerDocument.parse(StringTools.replace(written, 'id="s1"', 'id="s1" group="alone"'));
		same("groups read", "logo:g1 t1:g1 b1: s1:", [for (id in ["logo", "t1", "b1", "s1"]) id + ":" + read.find(id).group].join(" "));
		same("members together", "logo,t1", [for (e in read.groupOf(read.find("t1"))) e.id].join(","));
		same("written again the same", read.toXml(), BannerDocument.parse(read.toXml()).toXml());
		var drawnPlain = new RecordingSurface(), drawnGrouped = new RecordingSurface();
		new BannerRenderer(plain, drawnPlain, 0).render(5000);
		new BannerRenderer(read, drawnGrouped, 0).render(5000);
		same("the banner draws the members alone", drawnPlain.calls.join("\n") + Std.string(drawnPlain.shown), drawnGrouped.calls.join("\n") + Std.string(drawnGrouped.shown));

		// The user's own faces: a family with a file is kept and may be set; a shipped family, one
		// named twice, one without a file or with a quote is skipped; a text naming a family the
		// project lacks reads as Liberation Sans; the faces are written again as read.
		var withFonts = StringTools.replace(StringTools.replace(EXAMPLE, '<elements>', '<fonts><font family="Acme Display" src="fonts/acme.otf"/>'
			+ '<font family="Liberation Serif" src="x.ttf"/><font family="Acme Display" src="other.ttf"/><font family="No File"/>'
			+ '<font family="Say &quot;hi&quot;" src="q.ttf"/></fonts><elements>'), 'id="t1" x="10" y="195" width="180" height="50" font="Liberation Sans"',
			'id="t1" x="10" y="195" width="180" height="50" font="Acme Display"');
		var fonts = BannerDocument.parse(StringTools.replace(withFonts, 'font="Liberation Sans" size="14"', 'font="No File" size="14"'));
		same("faces read", "Acme Display=fonts/acme.otf", [for (f in fonts.fonts) f.family + "=" + f.src].join(","));
		same("set in it", "Acme Display", fonts.find("t1").font);
		same("a family not there", "Liberation Sans", fonts.find("b1").font);
		same("written again the same", fonts.toXml(), BannerDocument.parse(fonts.toXml()).toXml());
		check("the head follows the faces", fonts.headXml() != BannerDocument.parse(EXAMPLE).headXml());
		var many = new StringBuf();
		for (i in 0...BannerDocument.MAX_FONTS + 2)
			many.add('<font family="F' + i + '" src="f' + i + '.ttf"/>');
		var crowded = BannerDocument.parse(StringTools.replace(EXAMPLE, '<elements>', '<fonts>' + many.toString() + '</fonts><elements>'));
		same("at most 20, the rest reported", "20 fonts 22", crowded.fonts.length + " " + crowded.overLimits[0].what + " " + crowded.overLimits[0].count);
	}

	static function readsVersionOne() {
		var v1 = '<template demoWidth="300" demoHeight="250" img="res/beach.png" bgColor="#1E3A5F" fit="contain">'
			+ '<component><info url="res/x.swf"/></component>'
			+ '<headline color="#FFCC00" size="26" bold="true" align="center" valign="bottom">Summer sale: 30% off</headline>'
			+ '<link url="https://example.org/sale" target="_self"/><effect type="zoom" duration="900"/></template>';
		var d = BannerDocument.parse(v1);
		same("version 1", 1, d.version);
		check("a project", d.isProject && !BannerDocument.parse("<banner/>").isProject);
		check("kept for drawing", d.legacy != null && d.legacy.headline == "Summer sale: 30% off");
		same("background", "300x250 res/beach.png 1E3A5F contain res/x.swf", d.sizes[0].width + "x" + d.sizes[0].height + " " + d.image + " "
			+ StringTools.hex(d.background, 6) + " " + d.fit + " " + d.componentUrl);
		same("link", "https://example.org/sale _self", d.link + " " + d.linkTarget);
		same("one text element", 1, d.elements.length);
		var t = d.elements[0];
		same("headline as text", "Text Summer sale: 30% off 26 FFCC00 center", Std.string(t.kind) + " " + t.label + " " + t.size + " "
			+ StringTools.hex(t.color, 6) + " " + t.align);
		same("effect as entrance", "zoom 900", t.enter.type + " " + t.enter.duration);
		check("headline near the bottom, inside", t.y > 125 && t.y + t.height <= 250 && t.x >= 0 && t.x + t.width <= 300);
		same("saved as version 2", 2, BannerDocument.parse(d.toXml()).version);
		// The banner's size follows the rules every reader shares.
		same("demoWidth 0", 1, BannerDocument.parse('<template demoWidth="0"/>').sizes[0].width);
		same("no demoWidth", 720, BannerDocument.parse('<template/>').sizes[0].width);
		var bare = BannerDocument.parse("<template/>");
		same("bare: fades nothing, no elements", 0, bare.elements.length);
	}

	// A project of `elements` texts (the first `long` characters long) at `sizes` sizes, each size
	// past the first placing every element.
	static function project(elements:Int, sizes:Int, long:Int):String {
		var b = new StringBuf();
		b.add('<template version="2" demoWidth="300" demoHeight="250"><elements>');
		for (i in 0...elements)
			b.add('<text id="t' + i + '" x="' + (i % 300) + '" y="1" width="20" height="20"><label>'
				+ (i == 0 ? StringTools.lpad("", "w", long) : "e" + i) + '</label></text>');
		b.add('</elements><sizes><size width="300" height="250"/>');
		for (s in 1...sizes) {
			b.add('<size width="' + (300 + s) + '" height="250">');
			for (i in 0...elements)
				b.add('<place ref="t' + i + '" x="' + s + '" y="2" width="10" height="10" size="12"/>');
			b.add('</size>');
		}
		b.add('</sizes></template>');
		return b.toString();
	}

	static function limitsOf(d:BannerDocument):String {
		return [for (l in d.overLimits) l.count + " " + l.what + " (" + l.limit + ")"].join(", ");
	}

	// Up to each limit everything is read and written back the same; one past it, the document
	// says which limit, how far past, and keeps what it read of the rest.
	static function onePastEachLimit() {
		var full = BannerDocument.parse(project(BannerDocument.MAX_ELEMENTS, BannerDocument.MAX_SIZES, BannerDocument.MAX_LABEL));
		same("at every limit nothing is past", "", limitsOf(full));
		same("at the limits all elements", BannerDocument.MAX_ELEMENTS, full.elements.length);
		same("at the limits all sizes", BannerDocument.MAX_SIZES, full.sizes.length);
		same("at the limits the last size's last place", 19.0, full.sizes[19].places.get("t999").x);
		same("at the limits the whole text", BannerDocument.MAX_LABEL, full.elements[0].label.length);
		same("at the limits written back the same", full.toXml(), BannerDocument.parse(full.toXml()).toXml());

		var elements = BannerDocument.parse(project(1001, 2, 10));
		same("one element past", "1001 elements (1000)", limitsOf(elements));
		same("the first 1000 elements kept", "t999", elements.elements[999].id);
		var sizes = BannerDocument.parse(project(3, BannerDocument.MAX_SIZES + 1, 10));
		same("one size past", "21 sizes (20)", limitsOf(sizes));
		same("the first 20 sizes kept", 20, sizes.sizes.length);
		var text = BannerDocument.parse(project(3, 1, BannerDocument.MAX_LABEL + 1));
		same("one character past", "5001 characters in a text (5000)", limitsOf(text));
		var all = BannerDocument.parse(project(1001, 21, 5001));
		same("every limit past", "1001 elements (1000), 5001 characters in a text (5000), 21 sizes (20)", limitsOf(all));
		same("a copy knows", limitsOf(all), limitsOf(all.clone()));
		// A size written twice is one size, not one past the limit.
		var twice = project(2, BannerDocument.MAX_SIZES, 1).split('<size width="301" height="250">').join('<size width="301" height="250"></size><size width="301" height="250">');
		same("a repeated size is no size more", "", limitsOf(BannerDocument.parse(twice)));

		// An id the format cannot hold gets a new one, and its places follow it.
		var renamed = BannerDocument.parse('<template version="2" demoWidth="300" demoHeight="250"><elements>'
			+ '<shape id="bad id!" x="1" y="1" width="5" height="5"/><shape id="bad id!" x="2" y="2" width="5" height="5"/></elements>'
			+ '<sizes><size width="300" height="250"/><size width="600" height="500"><place ref="bad id!" x="77" y="7" width="9" height="9"/></size></sizes></template>');
		var first = renamed.elements[0];
		check("a bad id is replaced", BannerDocument.validId(first.id) && first.id != renamed.elements[1].id);
		same("its place follows it", 77.0, renamed.box(first, 1).x);
		same("the repeated one has the rule's place", 4.0, renamed.box(renamed.elements[1], 1).x);
	}

	static function damageAndLimits() {
		for (text in ["", "not xml", "<template", null]) {
			var d = BannerDocument.parse(text);
			check("damaged <" + text + "> gives a banner", d != null && d.sizes.length == 1 && d.toXml().indexOf("<template") >= 0);
			check("damaged <" + text + "> is no project", !d.isProject);
		}
		var many = new StringBuf();
		many.add('<template version="2" demoWidth="100" demoHeight="100" length="50000" loops="9"><elements>');
		for (i in 0...250)
			many.add('<shape id="same" x="nan" y="-1e9" width="0" height="1e12" opacity="7" strokeWidth="99" fill="red"/>');
		many.add('<video id="v"/><text id="bad id!" size="1000" font="Comic" lineHeight="9" align="justify"><label>x</label>'
			+ '<enter type="spin" delay="-5" duration="99999" easing="bounce"/></text>');
		many.add('</elements></template>');
		var d = BannerDocument.parse(many.toString());
		same("all 251 elements read", 251, d.elements.length);
		same("nothing past a limit", 0, d.overLimits.length);
		same("length and loops clamped to 30 s", "30000 1", d.length + " " + d.loops);
		var ids = new Map<String, Bool>();
		for (e in d.elements)
			ids.set(e.id, true);
		same("ids made unique", 251, [for (k in ids.keys()) k].length);
		var s = d.elements[1];
		same("clamped geometry", "0 -16384 1 16384 1 50 16777215", [s.x, s.y, s.width, s.height, s.opacity, s.strokeWidth, s.fill].join(" "));
		var t = BannerDocument.parse('<template version="2"><elements><video id="v"/><text id="bad id!" size="1000" font="Comic" '
			+ 'lineHeight="9" align="justify"><enter type="spin" delay="-5" duration="99999" easing="bounce"/></text>'
			+ '<button id="b"  url="javascript:alert(1)"/></elements></template>');
		same("unknown kinds skipped", 2, t.elements.length);
		var e = t.elements[0];
		same("text limits", "text1 200 Liberation Sans 3 left", e.id + " " + e.size + " " + e.font + " " + e.lineHeight + " " + e.align);
		same("animation limits", "none 0 10000 easeOut", e.enter.type + " " + e.enter.delay + " " + e.enter.duration + " " + e.enter.easing);
		same("a script link is no link", "", t.elements[1].url);
		var loops = BannerDocument.parse('<template version="2" length="7000" loops="10"/>');
		same("loops lowered to fit", 4, loops.loops);
	}

	static function inside(d:BannerDocument, i:Int):Bool {
		var s = d.sizes[i];
		for (e in d.elements) {
			var b = d.box(e, i);
			if (b.x < 0 || b.y < 0 || b.x + b.width > s.width + 0.01 || b.y + b.height > s.height + 0.01)
				return false;
		}
		return true;
	}

	static function sizes() {
		var d = BannerDocument.parse(EXAMPLE);
		// The automatic rule where a size has no place.
		var logo = d.find("logo");
		var auto = d.box(logo, 1);
		same("automatic rule", "24.27 3.6 194.13 14.4", [auto.x, auto.y, auto.width, auto.height].map(BannerDocument.num).join(" "));
		var unplaced = d.clone();
		unplaced.sizes[1].places.remove("t1");
		same("automatic font by the smaller scale", 8, unplaced.box(unplaced.find("t1"), 1).fontSize);

		for (size in [[160, 600], [970, 250], [320, 50], [468, 60]]) {
			var i = d.addSize(size[0], size[1]);
			check("added " + size, i > 0 && d.sizes[i].width == size[0]);
			check("laid out inside " + size, inside(d, i));
			for (e in d.elements)
				check("a place for " + e.id + " at " + size, d.sizes[i].places.exists(e.id));
		}
		same("an existing size is answered", 1, d.addSize(728, 90));
		// Survives writing.
		var back = BannerDocument.parse(d.toXml());
		same("sizes written", d.sizes.length, back.sizes.length);
		var b = back.box(back.find("logo"), 3);
		var a = d.box(d.find("logo"), 3);
		same("place written", [a.x, a.y, a.width, a.height].join(" "), [b.x, b.y, b.width, b.height].join(" "));

		// setBox at the first size moves the element, at another its place only.
		var t = d.find("t1");
		d.setBox(t, 0, {x: 5, y: 6, width: 0, height: 8, fontSize: 500});
		same("set at the first size", "5 6 1 8 200", [t.x, t.y, t.width, t.height, t.size].join(" "));
		d.setBox(t, 2, {x: 50, y: 60, width: 70, height: 80, fontSize: 9});
		same("first size unchanged", 5.0, t.x);
		same("set at a size", 50.0, d.box(t, 2).x);

		// Removing the first size makes the next the first, with its places as the geometry.
		var second = d.box(d.find("b1"), 1);
		d.removeSize(0);
		same("next is first", "728x90", d.sizes[0].width + "x" + d.sizes[0].height);
		same("its place is the geometry", second.x, d.find("b1").x);
		while (d.sizes.length > 1)
			d.removeSize(d.sizes.length - 1);
		d.removeSize(0);
		same("the last size stays", 1, d.sizes.length);

		// A published copy for one size names that size in demoWidth x demoHeight.
		var published = BannerDocument.parse(StringTools.replace(StringTools.replace(EXAMPLE, 'demoWidth="300"', 'demoWidth="728"'),
			'demoHeight="250"', 'demoHeight="90"'));
		same("published copy draws its size", "1 300", published.shownSize + " " + published.sizes[0].width);
		var unlisted = BannerDocument.parse(StringTools.replace(EXAMPLE, 'demoWidth="300"', 'demoWidth="600"'));
		var e = unlisted.find("logo");
		same("a size the list lacks is drawn by the rule", "2 600x250 20 160", unlisted.shownSize + " "
			+ unlisted.sizes[2].width + "x" + unlisted.sizes[2].height + " " + unlisted.box(e, 2).x + " " + unlisted.box(e, 2).width);
	}

	public static function round(v:Float):String {
		return BannerDocument.num(v);
	}

	static function renderer() {
		var doc = BannerDocument.parse(StringTools.replace(EXAMPLE, 'img="res/bg.jpg"', 'img="bg.jpg"'));
		var surface = new RecordingSurface();
		var r = new BannerRenderer(doc, surface, 1);
		var ready = false;
		r.load("http://x/", function() ready = true);
		same("everything drawn once at the size", "begin 728x90 1E3A5F; image http://x/bg.jpg; link https://example.org/sale; layers 4; "
			+ "draw 0 shape rect; draw 1 image http://x/res/logo.png; draw 2 text Summer sale: 30% off 24; draw 3 button Shop now",
			surface.take());
		check("not ready before the images", !ready);
		for (load in surface.images)
			load();
		check("ready once they have loaded", ready);
		same("the background image placed", "place", surface.take());
		same("the first moment", "hidden", surface.shown.get(1));

		r.render(8000);
		same("nothing drawn again", "", surface.take());
		same("the text has gone at the end", "hidden", surface.shown.get(2));
		same("the button at its place", "620,29 1", surface.shown.get(3));

		doc.setBox(doc.find("b1"), 1, {x: 10, y: 5, width: 96, height: 32, fontSize: 14});
		doc.find("t1").label = "New";
		r.render(8000);
		same("only the changed text drawn again", "draw 2 text New 24", surface.take());
		same("the moved button", "10,5 1", surface.shown.get(3));

		doc.elements.splice(0, 1);
		r.render(8000);
		same("layers follow the elements", "layers 3; draw 0 image http://x/res/logo.png; draw 1 text New 24; draw 2 button Shop now",
			surface.take());

		doc.background = 0x102030;
		r.render(8000);
		check("a new background sets the banner up again", StringTools.startsWith(surface.take(), "begin 728x90 102030; image"));

		var legacy = new RecordingSurface();
		new BannerRenderer(BannerDocument.parse("<template demoWidth='300' demoHeight='250'><headline>Hi</headline></template>"), legacy)
			.start("");
		same("version 1 drawn as always", "begin 300x250 FFFFFF; headline Hi", legacy.take());
	}

	static function timeline() {
		var d = BannerDocument.parse(EXAMPLE);
		var W = 300, H = 250;
		function at(id:String, t:Float) {
			var e = d.find(id);
			return Timeline.stateAt(d, e, d.box(e, 0), W, H, t);
		}
		check("before its entrance the image is hidden", !at("logo", 100).visible);
		near("slide starts outside the left edge", -90, at("logo", 200).dx);
		near("slide half way (eased out)", -90 * 0.25, at("logo", 500).dx);
		near("slide ends at its place", 0, at("logo", 800).dx);
		near("fade keeps the opacity", 0.8 * 0.75, at("s1", 250).alpha);
		near("zoom half way (ease in-out)", 0.5, at("t1", 700).scale);
		near("exit fade half way", 0.5, at("t1", 7250).alpha);
		check("gone after its exit", !at("t1", 7600).visible);
		check("button shown at the end", at("b1", Timeline.finalTime(d)).visible && at("b1", 8000).alpha == 1);
		same("final frame", 8000.0, Timeline.finalTime(d));
		same("second loop", 1000.0, Timeline.loopTime(d, 9000));
		same("after the last loop", 8000.0, Timeline.loopTime(d, 60000));
		var e = d.find("logo");
		e.enter = new BannerAnimation("slide", 0, 100, "linear", "bottom");
		near("slide from the bottom", 250 - 10, Timeline.stateAt(d, e, d.box(e, 0), W, H, 0).dy);
		e.exit = new BannerAnimation("none", 300, 0);
		check("an exit without animation hides at its time", Timeline.stateAt(d, e, d.box(e, 0), W, H, 299).visible
			&& !Timeline.stateAt(d, e, d.box(e, 0), W, H, 300).visible);
	}
}

// Records what a renderer asks for; images load when load() is called on it.
class RecordingSurface implements BannerSurface {
	public var calls:Array<String> = [];
	public var shown:Map<Int, String> = new Map();
	public var images:Array<Void->Void> = [];

	public function new() {}

	public function begin(width:Int, height:Int, background:Int)
		calls.push("begin " + width + "x" + height + " " + StringTools.hex(background, 6));

	public function loadImage(url:String, loaded:Float->Float->Void, failed:Void->Void) {
		calls.push("image " + url);
		images.push(function() loaded(10, 10));
	}

	public function placeImage(box:Rect)
		calls.push("place");

	public function addHeadline(headline:HeadlineLayout):Float {
		calls.push("headline " + headline.text);
		return 20;
	}

	public function moveHeadline(top:Float) {}

	public function addLink(url:String, target:String)
		calls.push("link " + url);

	public function showContent(state:EntranceState) {}

	public function now():Float
		return 0;

	public function everyFrame(tick:Void->Bool) {}

	public function finished() {}

	public function layers(count:Int)
		calls.push("layers " + count);

	public function drawImage(layer:Int, url:String, fit:String, width:Float, height:Float, done:Void->Void) {
		calls.push("draw " + layer + " image " + url);
		images.push(done);
	}

	public function drawText(layer:Int, e:BannerElement, width:Float, height:Float, fontSize:Int, lines:Array<String>)
		calls.push("draw " + layer + " text " + e.label + " " + fontSize);

	public function drawButton(layer:Int, e:BannerElement, width:Float, height:Float, fontSize:Int)
		calls.push("draw " + layer + " button " + e.label);

	public function drawShape(layer:Int, e:BannerElement, width:Float, height:Float)
		calls.push("draw " + layer + " shape " + e.shapeKind);

	public function showLayer(layer:Int, visible:Bool, alpha:Float, x:Float, y:Float, scale:Float)
		shown.set(layer, visible ? DocumentTests.round(x) + "," + DocumentTests.round(y) + " " + DocumentTests.round(alpha) : "hidden");

	public function take():String {
		var text = calls.join("; ");
		calls = [];
		return text;
	}
}
