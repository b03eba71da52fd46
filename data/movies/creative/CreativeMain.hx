// The HTML5 creative's script: draws the banner described by the project text that the page
// holds (window.pennoriaProject, with its background image window.pennoriaImage) into the page's
// element #banner at the size its demoWidth x demoHeight names, with the same renderer and
// layout rules as the component movie. Element images are resolved against the page's folder.

import js.Browser;

class CreativeMain {
	static function main() {
		var text:Dynamic = untyped Browser.window.pennoriaProject;
		var banner = Browser.document.getElementById("banner");
		if (text == null || banner == null)
			return;
		var doc = BannerDocument.parse(Std.string(text));
		// The creative carries its own copy of the image, beside the page.
		var image:Dynamic = untyped Browser.window.pennoriaImage;
		if (image != null) {
			doc.image = Std.string(image);
			if (doc.legacy != null)
				doc.legacy.image = image == "" ? null : Std.string(image);
		}
		// The ad server's clickTag makes a banner without a link of its own clickable too.
		var tag:Dynamic = untyped Browser.window.clickTag;
		if (doc.link == "" && tag != null && ProjectRules.allowedLink(Std.string(tag))) {
			doc.link = StringTools.trim(Std.string(tag));
			if (doc.legacy != null)
				doc.legacy.link = doc.link;
		}
		new BannerRenderer(doc, new DomSurface(banner), doc.shownSize).start("");
	}
}
