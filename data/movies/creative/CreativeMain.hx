// The HTML5 creative's script: draws the banner described by the project text that the page
// holds (window.pennoriaProject, with its image window.pennoriaImage) into the page's element #banner, with the same renderer and
// layout rules as the component movie.

import js.Browser;

class CreativeMain {
	static function main() {
		var text:Dynamic = untyped Browser.window.pennoriaProject;
		var banner = Browser.document.getElementById("banner");
		if (text == null || banner == null)
			return;
		var project = BannerProject.parse(Std.string(text));
		// The creative carries its own copy of the image, beside the page.
		var image:Dynamic = untyped Browser.window.pennoriaImage;
		if (image != null)
			project.image = image == "" ? null : Std.string(image);
		new BannerRenderer(project, new DomSurface(banner)).start("");
	}
}
