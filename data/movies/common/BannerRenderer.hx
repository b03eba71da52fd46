// Draws a banner from its project on a BannerSurface: background, the image fitted, the
// headline, the link, then the entrance effect played once. The order and the timing are the
// same for every surface.

class BannerRenderer {
	var project:BannerProject;
	var surface:BannerSurface;

	public function new(project:BannerProject, surface:BannerSurface) {
		this.project = project;
		this.surface = surface;
	}

	// folder: where relative image names are resolved.
	public function start(folder:String) {
		surface.begin(project.width, project.height, project.background);
		if (project.image != null && project.image != "") {
			surface.loadImage(MovieUrls.resolve(folder, project.image), function(w:Float, h:Float) {
				var box = BannerLayout.fitImage(project, w, h);
				if (box != null)
					surface.placeImage(box);
				finishContent();
			}, finishContent);
		} else {
			finishContent();
		}
	}

	function finishContent() {
		var headline = BannerLayout.headline(project);
		if (headline != null)
			surface.moveHeadline(BannerLayout.headlineTop(project, surface.addHeadline(headline)));
		if (project.link != null && project.link != "")
			surface.addLink(project.link, project.linkTarget);
		if (!BannerLayout.animated(project)) {
			surface.showContent(BannerLayout.entrance(project, 1));
			surface.finished();
			return;
		}
		surface.showContent(BannerLayout.entrance(project, 0));
		var started = surface.now();
		surface.everyFrame(function() {
			var t = BannerLayout.progress(project, surface.now() - started);
			surface.showContent(BannerLayout.entrance(project, t));
			if (t < 1)
				return true;
			surface.finished();
			return false;
		});
	}
}
