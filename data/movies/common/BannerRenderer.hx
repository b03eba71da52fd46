// Draws a banner from its project document on a BannerSurface, the same way on every surface.
//
// Version 2: the background (colour, then the image fitted), the banner's link, then every
// element in its own layer in drawing order at the chosen size; playing runs the timeline from 0
// to the document's length as many times as it loops, then stays on the final frame.
// Version 1, as read from a file (legacy), plays as it always has: the image and the headline
// come in together with the entrance effect, once.
//
// render(t) shows the moment t of a loop and takes the document as it is now: geometry is read
// again each time, an element whose look changed is drawn again, and a changed size, background
// or link sets the banner up again, so an editor may change the document and call render every
// frame. Texts are drawn with the fonts available when they are drawn: a movie that borrows the
// shipped fonts (BannerFonts.load) does so before its first render.

import BannerDocument;

class BannerRenderer {
	var doc:BannerDocument;
	var surface:BannerSurface;
	var sizeIndex:Int;
	var width:Int;
	var height:Int;
	var folder = "";
	var backgroundLook:String = null;
	var background = 0; // counts the backgrounds set up, so that a late image lands nowhere
	// What each layer shows now (see look), to draw again only what changed.
	var drawn:Array<String> = [];
	var pending = 0;
	var ready:Void->Void = null;
	var shownAt = -1.0; // the moment last rendered
	// In the editor, elements hidden there are not shown; everywhere else they are.
	public var editing = false;
	// Where set (the SWF banner), texts the Flash player cannot draw are shown as the host's
	// pictures of them, published beside the project (HostText).
	public var hostTexts = false;
	// How far each layer's drawing starts above and left of its box (a host's text picture).
	var margins:Array<Float> = [];

	public function new(doc:BannerDocument, surface:BannerSurface, sizeIndex = 0) {
		this.doc = doc;
		this.surface = surface;
		this.sizeIndex = sizeIndex < 0 || sizeIndex >= doc.sizes.length ? 0 : sizeIndex;
		width = doc.sizes[this.sizeIndex].width;
		height = doc.sizes[this.sizeIndex].height;
	}

	// Plays the banner. folder: where relative image names are resolved.
	public function start(folder:String) {
		if (doc.legacy != null && doc.version == 1) {
			startLegacy(folder);
			return;
		}
		load(folder, play);
	}

	// Draws the banner at its first moment and calls ready once every image has loaded or failed.
	public function load(folder:String, ready:Void->Void) {
		this.folder = folder;
		this.ready = ready;
		pending = 1; // held until every layer is drawn
		backgroundLook = null;
		render(0);
		loaded();
	}

	// Shows the moment t (ms) of a loop.
	public function render(t:Float) {
		begin();
		shownAt = t;
		var elements = doc.elements;
		if (drawn.length != elements.length) {
			surface.layers(elements.length);
			if (drawn.length > elements.length)
				drawn.splice(elements.length, drawn.length - elements.length);
			while (drawn.length < elements.length)
				drawn.push("");
		}
		for (i in 0...elements.length)
			show(i, elements[i], t);
	}

	// Shows the moment t again where only these elements may have changed since the last render
	// (an editor after an edit of them, the list of elements as it was): the others are left as
	// they are. Anything else changed, or another moment, renders everything.
	public function renderOnly(t:Float, changed:Array<BannerElement>) {
		var elements = doc.elements;
		if (t != shownAt || drawn.length != elements.length) {
			render(t);
			return;
		}
		begin();
		if (drawn.length != elements.length) {
			render(t); // set up again
			return;
		}
		for (e in changed) {
			var i = elements.indexOf(e);
			if (i >= 0)
				show(i, e, t);
		}
	}

	function show(i:Int, e:BannerElement, t:Float) {
		var b = doc.box(e, sizeIndex);
		var look = lookOf(e, b);
		if (drawn[i] != look) {
			drawn[i] = look;
			draw(i, e, b);
		}
		var s = Timeline.stateAt(doc, e, b, width, height, t);
		// Left out at this size by the automatic layout.
		if (b.hidden == true || (editing && e.editorHidden))
			s.visible = false;
		// The zoom is about the element's centre.
		var m = i < margins.length ? margins[i] : 0.0;
		surface.showLayer(i, s.visible, s.alpha, b.x + s.dx + b.width * (1 - s.scale) / 2 - s.scale * m,
			b.y + s.dy + b.height * (1 - s.scale) / 2 - s.scale * m, s.scale);
	}

	// Sets up the banner: its size, background, image and link; again when any of them changed
	// (then every layer is drawn again).
	function begin() {
		var size = doc.sizes[sizeIndex < doc.sizes.length ? sizeIndex : 0];
		var look = ([size.width, size.height, doc.background, doc.image, doc.fit, doc.link, doc.linkTarget] : Array<Dynamic>).join("\x01");
		if (look == backgroundLook)
			return;
		backgroundLook = look;
		width = size.width;
		height = size.height;
		drawn = [];
		background++;
		surface.begin(width, height, doc.background);
		// The background image's layer holds still.
		surface.showContent({alpha: 1, x: 0, y: 0, scale: 1});
		if (doc.image != "") {
			var waiting = ready != null, which = background;
			if (waiting)
				pending++;
			var done = function() {
				if (waiting)
					loaded();
			};
			surface.loadImage(MovieUrls.resolve(folder, doc.image), function(w:Float, h:Float) {
				var box = BannerLayout.fitRect(doc.fit, width, height, w, h);
				if (box != null && which == background)
					surface.placeImage(box);
				done();
			}, done);
		}
		if (doc.link != "")
			surface.addLink(doc.link, doc.linkTarget);
	}

	function loaded() {
		pending--;
		if (pending == 0 && ready != null) {
			var r = ready;
			ready = null;
			r();
		}
	}

	function draw(layer:Int, e:BannerElement, b:Box) {
		while (margins.length <= layer)
			margins.push(0);
		margins[layer] = 0;
		switch (e.kind) {
			case Image:
				if (e.src == "") {
					surface.drawShape(layer, emptyShape, b.width, b.height);
					return;
				}
				drawPicture(layer, MovieUrls.resolve(folder, e.src), e.fit, b.width, b.height);
			case Text:
				var fitted = TextFit.forText(e, b, height);
				if (hostTexts && HostText.needed(e)) {
					var area = HostText.area(e, b.width, b.height, fitted.size, fitted.lines);
					margins[layer] = area.margin;
					drawPicture(layer, MovieUrls.resolve(folder, HostText.fileName(layer)), "stretch", area.width, area.height);
					return;
				}
				surface.drawText(layer, e, b.width, b.height, fitted.size, fitted.lines);
			case Button:
				surface.drawButton(layer, e, b.width, b.height, b.fontSize);
			case Shape:
				surface.drawShape(layer, e, b.width, b.height);
		}
	}

	function drawPicture(layer:Int, url:String, fit:String, width:Float, height:Float) {
		var waiting = ready != null;
		if (waiting)
			pending++;
		surface.drawImage(layer, url, fit, width, height, function() {
			if (waiting)
				loaded();
		});
	}

	static var emptyShape:BannerElement = {
		var e = new BannerElement(Shape);
		e.fill = null;
		e;
	};

	// Everything that changes how a layer is drawn (not where).
	static function lookOf(e:BannerElement, b:Box):String {
		var parts:Array<Dynamic> = [e.kind, b.width, b.height];
		switch (e.kind) {
			case Image:
				parts = parts.concat([e.src, e.fit]);
			case Text | Button:
				parts = parts.concat([
					b.fontSize, e.label, e.font, e.bold, e.italic, e.color, e.align, e.lineHeight, e.shadowColor, e.shadowX, e.shadowY,
					e.shadowBlur, e.fill, e.radius, e.url, e.target, e.autoFit
				]);
			case Shape:
				parts = parts.concat([e.shapeKind, e.fill, e.stroke, e.strokeWidth, e.radius]);
		}
		return parts.join("\x01");
	}

	function play() {
		var started = surface.now();
		render(0);
		if (Timeline.ended(doc, 0)) {
			surface.finished();
			return;
		}
		surface.everyFrame(function() {
			var elapsed = surface.now() - started;
			if (Timeline.ended(doc, elapsed)) {
				render(Timeline.finalTime(doc));
				surface.finished();
				return false;
			}
			render(Timeline.loopTime(doc, elapsed));
			return true;
		});
	}

	// --- Version 1 ---------------------------------------------------------------------------

	function startLegacy(folder:String) {
		var project = doc.legacy;
		surface.begin(project.width, project.height, project.background);
		var finish = function() finishLegacy(project);
		if (project.image != null && project.image != "") {
			surface.loadImage(MovieUrls.resolve(folder, project.image), function(w:Float, h:Float) {
				var box = BannerLayout.fitImage(project, w, h);
				if (box != null)
					surface.placeImage(box);
				finish();
			}, finish);
		} else {
			finish();
		}
	}

	function finishLegacy(project:BannerProject) {
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
