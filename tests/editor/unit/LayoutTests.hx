// The automatic layout and text fitting of the banner model (SizeLayout, TextFit), run by Haxe's
// interpreter: the aspect classes, fitting, omission, the constraints written and read back, and
// old projects opening unchanged.
//
// usage: haxe ... --run LayoutTests EXAMPLES_DIR
import BannerDocument;
import SizeLayout;

class LayoutTests {
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

	public static var SIZES = [[728, 90], [160, 600], [320, 50], [300, 600], [970, 250], [468, 60], [336, 280], [320, 100]];
	public static var LONG_NAME = "Northwind Ultra-Light Trail Running Shoes Series 7"; // 50 characters
	public static var LONG_LINE = "Free delivery on every order over 30 euros until end of May!"; // 60

	// A 300 x 250 design: a logo, a headline, a sub-line and a call to action. Long texts are set
	// to fit, as a designer sets a box a product feed fills.
	public static function design(headline:String, subline:String):String {
		var fit = headline.length > 20 ? ' autoFit="true"' : '';
		return '<?xml version="1.0" encoding="UTF-8"?>
<template version="2" demoWidth="300" demoHeight="250" img="" bgColor="#1E3A5F" fit="cover" length="5000" loops="1">
  <component><info url="res/template.swf"/></component>
  <link url="https://example.org/" target="_blank"/>
  <elements>
    <image id="logo" x="10" y="10" width="80" height="40" opacity="1" src="logo.png" fit="contain"/>
    <text id="headline" x="10" y="70" width="280" height="64" opacity="1" font="Liberation Sans" size="26" bold="true" italic="false" color="#FFFFFF" align="center" lineHeight="1.2"' + fit + '>
      <label>' + headline + '</label>
    </text>
    <text id="subline" x="10" y="138" width="280" height="40" opacity="1" font="Liberation Sans" size="14" bold="false" italic="false" color="#FFFFFF" align="center" lineHeight="1.2"' + fit + '>
      <label>' + subline + '</label>
    </text>
    <button id="cta" x="90" y="194" width="120" height="36" opacity="1" url="" target="_blank" fill="#FF6A00" radius="6" font="Liberation Sans" size="15" bold="true" italic="false" color="#FFFFFF">
      <label>Shop now</label>
    </button>
  </elements>
  <sizes>
    <size width="300" height="250"/>
  </sizes>
</template>
';
	}

	static function main() {
		var examples = Sys.args().length > 0 ? Sys.args()[0] : null;
		aspectClasses();
		everyStandardSizePassesTheChecks();
		fitting();
		omission();
		constraintsRoundTrip();
		if (examples != null)
			oldProjectsOpenUnchanged(examples);
		Sys.println(passed + " passed, " + failed + " failed");
		Sys.exit(failed == 0 ? 0 : 1);
	}

	static function laidOut(headline:String, subline:String):BannerDocument {
		var result = SizeLayout.layoutProject(design(headline, subline), [for (s in SIZES) s[0] + "x" + s[1]], false);
		return BannerDocument.parse(result.project);
	}

	static function centreX(b:Box):Float
		return b.x + b.width / 2;

	static function centreY(b:Box):Float
		return b.y + b.height / 2;

	static function aspectClasses() {
		same("728 x 90 is wide", "wide", SizeLayout.aspectClass(728, 90));
		same("320 x 100 is wide", "wide", SizeLayout.aspectClass(320, 100));
		same("160 x 600 is tall", "tall", SizeLayout.aspectClass(160, 600));
		same("300 x 600 is tall", "tall", SizeLayout.aspectClass(300, 600));
		same("336 x 280 is near-square", "square", SizeLayout.aspectClass(336, 280));
		same("250 x 250 is near-square", "square", SizeLayout.aspectClass(250, 250));

		var d = laidOut("Summer sale", "Everything 30% off");
		var at = function(id:String, w:Int, h:Int) return d.box(d.find(id), d.sizeIndexFor(w, h));
		// A row: logo left, texts in the middle, call to action right, all centred in the height.
		for (size in [[728, 90], [468, 60], [320, 50], [970, 250]]) {
			var w = size[0], h = size[1];
			var logo = at("logo", w, h), head = at("headline", w, h), cta = at("cta", w, h);
			var what = w + "x" + h;
			check(what + ": logo, texts and button from left to right", logo.x + logo.width <= head.x && head.x + head.width <= cta.x,
				[logo.x, head.x, cta.x].join(" "));
			check(what + ": the row is centred in the height", Math.abs(centreY(cta) - h / 2) < 1 && Math.abs(centreY(logo) - h / 2) < 1);
			check(what + ": the headline keeps its lead over the sub-line",
				at("subline", w, h).hidden == true || head.fontSize >= at("subline", w, h).fontSize);
		}
		// A column: logo on top, then the texts, the call to action at the bottom.
		for (size in [[160, 600], [300, 600]]) {
			var w = size[0], h = size[1];
			var logo = at("logo", w, h), head = at("headline", w, h), sub = at("subline", w, h), cta = at("cta", w, h);
			var what = w + "x" + h;
			check(what + ": logo, headline, sub-line and button from top to bottom",
				logo.y + logo.height <= head.y && head.y + head.height <= sub.y && sub.y + sub.height <= cta.y);
			check(what + ": the column is centred across", Math.abs(centreX(cta) - w / 2) < 1 && Math.abs(centreX(logo) - w / 2) < 1);
		}
		// Near-square: the design scaled, the proportions and order kept.
		var logo = at("logo", 336, 280), head = at("headline", 336, 280);
		same("336x280: the logo scaled with the shorter side", "89.6 44.8", BannerDocument.num(logo.width) + " " + BannerDocument.num(logo.height));
		check("336x280: the headline scaled", head.fontSize >= 26 && head.y > logo.y + logo.height);
		// The sizes there already stay as they are; relayout lays them out again.
		var moved = d.clone();
		var i = moved.sizeIndexFor(728, 90);
		moved.setBox(moved.find("cta"), i, {x: 1, y: 1, width: 50, height: 30, fontSize: 12});
		var again = BannerDocument.parse(SizeLayout.layoutProject(moved.toXml(), ["728x90"], false).project);
		same("a size there already stays", 1.0, again.box(again.find("cta"), i).x);
		again = BannerDocument.parse(SizeLayout.layoutProject(moved.toXml(), ["728x90"], true).project);
		same("relayout lays it out again", d.box(d.find("cta"), i).x, again.box(again.find("cta"), i).x);
	}

	// The checks a designer (and the browser test) makes of every size: inside the banner, legible
	// texts, a call to action one can hit, pictures no specks, no overlap between texts, pictures
	// and the button, and every text fitting its box.
	static function everyStandardSizePassesTheChecks() {
		for (texts in [["Summer sale", "Everything 30% off"], [LONG_NAME, LONG_LINE]]) {
			var d = laidOut(texts[0], texts[1]);
			same("every size added", SIZES.length + 1, d.sizes.length);
			for (i in 0...d.sizes.length) {
				var size = d.sizes[i];
				var what = size.width + "x" + size.height + (texts[0].length > 20 ? " (long texts)" : "");
				var shown:Array<{id:String, b:Box}> = [];
				for (e in d.elements) {
					var b = d.box(e, i);
					if (b.hidden == true)
						continue;
					shown.push({id: e.id, b: b});
					check(what + ": " + e.id + " inside the banner",
						b.x >= 0 && b.y >= 0 && b.x + b.width <= size.width + 0.01 && b.y + b.height <= size.height + 0.01,
						[b.x, b.y, b.width, b.height].join(" "));
					switch (e.kind) {
						case Text:
							var fitted = TextFit.forText(e, b, size.height);
							check(what + ": " + e.id + " legible", fitted.size >= TextFit.legible(size.height), "" + fitted.size);
							check(what + ": " + e.id + " fits its box", fitted.fits, fitted.lines.join("|"));
						case Button:
							check(what + ": the button high enough", b.height >= SizeLayout.ctaHeight(size.height), "" + b.height);
							check(what + ": the button's label legible", b.fontSize >= TextFit.legible(size.height));
							check(what + ": the label fits the button",
								TextFit.lineWidth(e.label, e.font, e.bold, e.italic, b.fontSize) <= b.width, b.width + "");
						case Image:
							check(what + ": the logo no speck", Math.min(b.width, b.height) >= SizeLayout.PICTURE);
						case Shape:
					}
				}
				check(what + ": the headline and the button always shown", shown.filter(function(s) return s.id == "headline" || s.id == "cta").length == 2);
				for (a in 0...shown.length)
					for (c in a + 1...shown.length) {
						var p = shown[a].b, q = shown[c].b;
						var apart = p.x + p.width <= q.x + 0.01 || q.x + q.width <= p.x + 0.01 || p.y + p.height <= q.y + 0.01
							|| q.y + q.height <= p.y + 0.01;
						check(what + ": " + shown[a].id + " and " + shown[c].id + " do not overlap", apart);
					}
			}
		}
	}

	static function fitting() {
		var font = "Liberation Sans";
		// Widths from the faces: "M" is wider than "i", bold wider than regular.
		check("measured from the faces", TextFit.lineWidth("M", font, false, false, 100) > TextFit.lineWidth("i", font, false, false, 100));
		check("bold is wider", TextFit.lineWidth("Sale", font, true, false, 20) > TextFit.lineWidth("Sale", font, false, false, 20));
		same("Liberation Sans 'A' at 2048 units", 1366 / 2048 * 20, TextFit.lineWidth("A", font, false, false, 20));
		// Breaks prefer spaces: "-30%" never leaves its hyphen behind.
		var w = TextFit.lineWidth("Winter sale -30", font, true, false, 20);
		same("a space rather than the hyphen", "Winter sale|-30%", TextFit.wrap("Winter sale -30%", font, true, false, 20, w).join("|"));
		var narrow = TextFit.lineWidth("Ultra-", font, false, false, 20) + 1;
		same("an over-long word breaks after its hyphen", "Ultra-|Light", TextFit.wrap("Ultra-Light", font, false, false, 20, narrow).join("|"));
		same("a word without a hyphen breaks between characters", "ab|cd",
			TextFit.wrap("abcd", font, false, false, 20, TextFit.lineWidth("ab", font, false, false, 20) + 0.1).join("|"));
		same("line breaks are kept", "a|b", TextFit.wrap("a\nb", font, false, false, 20, 500).join("|"));
		same("spaces at a line's end take no room", "one|two",
			TextFit.wrap("one   two", font, false, false, 20, TextFit.lineWidth("one", font, false, false, 20) + 1).join("|"));
		// Shrink, then wrap, then ellipsize.
		var label = "Big summer sale";
		var one = TextFit.fit(label, font, true, false, 1.2, 120, 30, 40, true, 10);
		check("shrunk to one line in a one-line box", one.fits && one.lines.length == 1 && one.size < 40, one.size + " " + one.lines.join("|"));
		same("the largest size that fits", false, TextFit.fit(label, font, true, false, 1.2, 120, 30, one.size + 1, false, 10).fits);
		var two = TextFit.fit(label, font, true, false, 1.2, 120, 60, 40, true, 10);
		check("wrapped where the box has room for two lines", two.fits && two.lines.length == 2 && two.size > one.size,
			two.size + " " + two.lines.join("|"));
		var cut = TextFit.fit(LONG_NAME + " " + LONG_LINE, font, false, false, 1.2, 60, 13, 20, true, 10);
		check("cut with an ellipsis at the minimum", !cut.fits && cut.size == 10 && cut.lines.length == 1
			&& StringTools.endsWith(cut.lines[0], TextFit.ELLIPSIS), cut.lines.join("|"));
		check("the cut line fits", TextFit.lineWidth(cut.lines[0], font, false, false, 10) <= 60);
		// Without fit, the text keeps its size and spills over, and that is reported.
		var d = BannerDocument.parse(design("Sale", "Now"));
		d.find("headline").label = LONG_NAME;
		d.find("headline").height = 20;
		var report = SizeLayout.overflows(d);
		check("a spilling text is reported with its size", report.length == 1 && report[0].id == "headline" && report[0].width == 300,
			[for (n in report) n.id + " " + n.width].join("; "));
		d.find("headline").autoFit = true;
		var fitted = TextFit.forText(d.find("headline"), d.box(d.find("headline"), 0), 250);
		check("set to fit, it shrinks", fitted.size < 26 && fitted.size >= 10);
	}

	static function omission() {
		// 320 x 50 with long texts: no room for the sub-line beside the headline.
		var result = SizeLayout.layoutProject(design(LONG_NAME, LONG_LINE), ["320x50", "728x90"], false);
		var d = BannerDocument.parse(result.project);
		var small = d.sizeIndexFor(320, 50);
		same("the sub-line is left out at 320x50", true, d.box(d.find("subline"), small).hidden);
		check("and the layout says so", result.notes.indexOf("320x50 subline: left out, no room") >= 0, result.notes.join("; "));
		same("the headline stays", false, d.box(d.find("headline"), small).hidden == true);
		same("the sub-line stays at 728x90", false, d.box(d.find("subline"), d.sizeIndexFor(728, 90)).hidden == true);
		// Hidden places are written and read back, and the renderer does not show them.
		var surface = new DocumentTests.RecordingSurface();
		var publishedSmall = BannerDocument.parse(d.toXml());
		publishedSmall.shownSize = small;
		new BannerRenderer(publishedSmall, surface, small).render(5000);
		var subline = publishedSmall.elements.indexOf(publishedSmall.find("subline"));
		same("a left-out text is not shown", "hidden", surface.shown.get(subline));
		// A tiny banner gets no sub-line and a cut headline, but stays inside.
		var tiny = BannerDocument.parse(SizeLayout.layoutProject(design(LONG_NAME, LONG_LINE), ["120x20"], false).project);
		var h = tiny.box(tiny.find("headline"), 1);
		check("the headline inside a 120x20 banner", h.y >= 0 && h.y + h.height <= 20.01);
	}

	static function constraintsRoundTrip() {
		var d = BannerDocument.parse(design("Sale", "Now"));
		// Guessed from kind and place where the project has none.
		var c = SizeLayout.constraintsAll(d);
		same("a button is the call to action", "cta", c.get("cta").role);
		same("the largest text is the headline", "headline", c.get("headline").role);
		same("another text is body text", "body", c.get("subline").role);
		same("a small picture at the top is a logo", "logo", c.get("logo").role);
		same("the logo's anchors", "left top", c.get("logo").anchorX + " " + c.get("logo").anchorY);
		same("a text across the banner stretches", "stretch", c.get("headline").anchorX);
		same("the button's anchors", "center bottom", c.get("cta").anchorX + " " + c.get("cta").anchorY);
		// Nothing set, nothing written.
		check("guesses are not written", d.toXml().indexOf("anchorX") < 0 && d.toXml().indexOf("role=") < 0);
		var e = d.find("logo");
		e.anchorX = "right";
		e.anchorY = "bottom";
		e.scaling = "keep";
		e.role = "product";
		d.find("headline").autoFit = true;
		var back = BannerDocument.parse(d.toXml());
		var b = back.find("logo");
		same("constraints read back", "right bottom keep product", [b.anchorX, b.anchorY, b.scaling, b.role].join(" "));
		same("fit read back", true, back.find("headline").autoFit);
		same("written the same again", d.toXml(), back.toXml());
		same("a set role wins over the guess", "product", SizeLayout.constraints(back, b).role);
		// A word outside the lists counts as not set.
		var odd = BannerDocument.parse(StringTools.replace(design("a", "b"), 'id="logo"', 'id="logo" anchorX="sideways" role="boss"'));
		same("unknown words are not set", "", odd.find("logo").anchorX + odd.find("logo").role);
		// A keep-size element anchored right keeps its size and its margin to the right edge.
		d.sizes = [d.sizes[0]];
		var i = d.addSize(336, 280);
		var p = d.box(d.find("logo"), i);
		same("keep and right bottom at 336x280", "80 40 " + BannerDocument.num(336 - (300 - 90) * 1.12 - 80),
			p.width + " " + p.height + " " + BannerDocument.num(p.x));
		// Copying a layout between similar sizes, and resetting a size to the automatic layout.
		var j = d.addSize(300, 250 + 30);
		d.setBox(d.find("cta"), i, {x: 3, y: 4, width: 100, height: 40, fontSize: 15});
		SizeLayout.copyPlaces(d, i, j, ["cta"]);
		same("a copied place scales to the other size", "2.68 4", BannerDocument.num(d.box(d.find("cta"), j).x) + " " + BannerDocument.num(d.box(d.find("cta"), j).y));
		SizeLayout.apply(d, 0, i);
		same("reset to the automatic layout", SizeLayout.layout(d, 0, 336, 280).get("cta").x, d.box(d.find("cta"), i).x);
	}

	static function oldProjectsOpenUnchanged(folder:String) {
		var count = 0;
		for (name in sys.FileSystem.readDirectory(folder)) {
			var dir = folder + "/" + name;
			if (!sys.FileSystem.isDirectory(dir))
				continue;
			for (file in sys.FileSystem.readDirectory(dir)) {
				if (!StringTools.endsWith(file, ".pbf"))
					continue;
				var text = sys.io.File.getContent(dir + "/" + file);
				var d = BannerDocument.parse(text);
				if (d.version < 2)
					continue;
				count++;
				same(file + " is written back as it was read", StringTools.trim(text), StringTools.trim(d.toXml()));
				// The places the file gives are the places drawn: no layout runs when a project opens.
				for (i in 1...d.sizes.length)
					for (e in d.elements)
						check(file + ": " + e.id + " keeps its place at " + d.sizes[i].width + "x" + d.sizes[i].height,
							d.sizes[i].places.exists(e.id) && d.box(e, i).hidden != true);
				for (e in d.elements)
					same(file + ": no constraint is set on " + e.id, "", e.anchorX + e.anchorY + e.scaling + e.role);
			}
		}
		check("the examples were read", count >= 2, "" + count);
	}
}
