// The banner model for the host: the same document reader, layout and timing as the movies and
// the HTML5 creative, compiled to JavaScript and evaluated inside the host process. Every
// function takes the project text and answers JSON; the last text read is kept, so that many
// questions about one project (every size, every frame) read it once.
//
//   PennoriaModel.plan(text)
//     what publishing needs: the normalized document, every picture it names, the faces its
//     text uses (and the face movies the component movie loads for them, and the files of the
//     user's own faces), the limits it went past, the texts that do not fit their box at a size
//   PennoriaModel.displayList(text, width, height, t, pictures)
//     what is on screen at size width x height (0 x 0: the size the text names) t ms into a
//     loop (t < 0: the final frame); pictures: JSON {name: [width, height]} of the pictures
//     the host could read
//   PennoriaModel.renamePictures(text, names)
//     the project text with its pictures renamed (names: JSON {name: new name}; others keep
//     theirs), every size kept
//   PennoriaModel.layout(text, options)
//     the project text with sizes added by the automatic layout; options: JSON {sizes: ["WxH",
//     ...], relayout: lay the sizes already there out again}; answers {project, notes: a line
//     per element left out or not fitting, refused: nothing is to be written (notes say why)}
//   PennoriaModel.publishText(text, options)
//     the project text publishing writes for one size; options: JSON {width, height,
//     pictures: {name: published name}, component: the component movie's name}
//   PennoriaModel.hostTexts(text, width, height)
//     the pictures of texts the Flash player cannot draw that publishing writes for the size
//     width x height: {texts: [{name: the file's name beside the project, list: the display
//     list to paint, on a transparent ground}]} (HostText)
//   PennoriaModel.variant(text, options)
//     the project text of one row of a product feed: options: JSON {folder: the feed's folder,
//     cells: [[column, value], ...]}; answers {project, unknown: [columns naming nothing]} or
//     {error}

import BannerDocument;
import RecordingSurface.PictureSize;
import haxe.Json;

@:expose("PennoriaModel")
class ModelMain {
	// The documents read last, newest first: the variants of a feed are asked about in turn
	// from several threads, each about its own text.
	static inline var KEPT_DOCUMENTS = 16;
	static var keptTexts:Array<String> = [];
	static var keptDocs:Array<BannerDocument> = [];

	static function main() {}

	// The text with each lone surrogate (a project may name one by a character reference)
	// replaced by U+FFFD: the host takes answers as UTF-8, which cannot hold one.
	static function wellFormed(text:String):String {
		var i = 0, n = text.length, start = 0;
		var b:StringBuf = null;
		while (i < n) {
			var c = text.charCodeAt(i);
			if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n) {
				var d = text.charCodeAt(i + 1);
				if (d >= 0xDC00 && d <= 0xDFFF) {
					i += 2;
					continue;
				}
			}
			if (c >= 0xD800 && c <= 0xDFFF) {
				if (b == null)
					b = new StringBuf();
				b.add(text.substring(start, i));
				b.add("\u{FFFD}");
				start = i + 1;
			}
			i++;
		}
		if (b == null)
			return text;
		b.add(text.substring(start, n));
		return b.toString();
	}

	static function read(text:String):BannerDocument {
		var i = keptTexts.indexOf(text);
		var doc = i >= 0 ? keptDocs[i] : BannerDocument.parse(text);
		if (i != 0) {
			if (i > 0) {
				keptTexts.splice(i, 1);
				keptDocs.splice(i, 1);
			}
			keptTexts.unshift(text);
			keptDocs.unshift(doc);
			if (keptTexts.length > KEPT_DOCUMENTS) {
				keptTexts.pop();
				keptDocs.pop();
			}
		}
		return doc;
	}

	static function kindName(kind:ElementKind):String {
		return switch (kind) {
			case Image: "image";
			case Text: "text";
			case Button: "button";
			case Shape: "shape";
		};
	}

	// The names of every picture the document draws: the background's, then the elements', each
	// once, as written.
	static function pictures(doc:BannerDocument):Array<String> {
		var names:Array<String> = [];
		var add = function(name:String) {
			if (name != null && name != "" && names.indexOf(name) < 0)
				names.push(name);
		};
		if (doc.legacy != null && doc.version == 1)
			add(doc.legacy.image);
		else
			add(doc.image);
		for (e in doc.elements)
			if (e.kind == Image)
				add(e.src);
		return names;
	}

	public static function plan(text:String):String {
		var doc = read(text);
		var legacy = doc.legacy != null && doc.version == 1;
		var elements:Array<Dynamic> = [];
		for (e in doc.elements) {
			var boxes:Array<Dynamic> = [];
			for (i in 0...doc.sizes.length) {
				var b = doc.box(e, i);
				boxes.push({x: b.x, y: b.y, width: b.width, height: b.height, fontSize: b.fontSize});
			}
			var item:Dynamic = {id: e.id, kind: kindName(e.kind), boxes: boxes};
			switch (e.kind) {
				case Image:
					item.src = e.src;
				case Button:
					item.url = e.url;
					item.target = e.target;
				default:
			}
			elements.push(item);
		}
		// Each face the creative carries, with the characters set in it: the shipped family's
		// face, and the system's script faces (ScriptFaces, upright only) for the characters of
		// their scripts, which name the characters they set as a CSS unicode-range.
		var faces:Array<Dynamic> = [];
		if (!legacy) {
			var byFace = new Map<String, Dynamic>();
			function add(family:String, bold:Bool, italic:Bool, text:String, range:String) {
				if (text == "")
					return;
				var key = family + "\x01" + bold + "\x01" + italic + "\x01" + (range != null);
				var face = byFace.get(key);
				if (face == null) {
					face = {family: family, bold: bold, italic: italic, text: ""};
					if (range != null) {
						face.system = true;
						face.range = range;
					}
					byFace.set(key, face);
					faces.push(face);
				}
				face.text += text;
			}
			for (e in doc.elements) {
				if (e.kind != Text && e.kind != Button)
					continue;
				var parts = ScriptFaces.split(e.label);
				add(e.font, e.bold, e.italic, parts[0], null);
				for (i in 0...ScriptFaces.FACES.length)
					add(ScriptFaces.FACES[i].family, e.bold, false, parts[i + 1], ScriptFaces.FACES[i].cssRange);
			}
		}
		return wellFormed(Json.stringify({
			project: doc.isProject,
			version: doc.version,
			sizes: [for (s in doc.sizes) {width: s.width, height: s.height}],
			shown: doc.shownSize,
			background: doc.background,
			image: legacy ? (doc.legacy.image == null ? "" : doc.legacy.image) : doc.image,
			link: doc.link,
			linkTarget: doc.linkTarget,
			length: doc.length,
			loops: doc.loops,
			finalTime: Timeline.finalTime(doc),
			elements: elements,
			pictures: pictures(doc),
			faces: faces,
			faceMovies: ShippedFaces.moviesOf(doc), // the component movie draws a legacy project too
			fonts: legacy ? [] : [for (f in doc.fonts) {family: f.family, src: f.src}],
			overLimits: doc.overLimits,
			overflows: legacy ? [] : [for (n in SizeLayout.overflows(doc)) {id: n.id, width: n.width, height: n.height}]
		}));
	}

	public static function displayList(text:String, width:Int, height:Int, t:Float, pictureSizes:String):String {
		var doc = read(text);
		var index = width <= 0 && height <= 0 ? doc.shownSize : doc.sizeIndexFor(width, height);
		if (index < 0)
			return Json.stringify({error: "the banner has no size " + width + " x " + height});
		var sizes = new Map<String, PictureSize>();
		var given:Dynamic = null;
		try {
			given = pictureSizes == null || pictureSizes == "" ? {} : Json.parse(pictureSizes);
		} catch (e:Dynamic) {
			given = {};
		}
		for (name in Reflect.fields(given)) {
			var wh:Dynamic = Reflect.field(given, name);
			if (wh != null && wh.length == 2)
				sizes.set(MovieUrls.resolve("", name), {width: wh[0], height: wh[1], name: name});
		}
		var surface = new RecordingSurface(sizes);
		var renderer = new BannerRenderer(doc, surface, index);
		if (doc.legacy != null && doc.version == 1) {
			var p = doc.legacy;
			surface.headlineAnchor = BannerLayout.headlineTop(p, 0) - BannerLayout.headlineTop(p, 1);
			surface.clock = 0;
			renderer.start("");
			// Past its duration the entrance shows its end.
			surface.advance(t < 0 ? p.duration + 1 : t);
		} else {
			renderer.render(t < 0 ? Timeline.finalTime(doc) : t);
		}
		return wellFormed(Json.stringify(surface.displayList()));
	}

	public static function renamePictures(text:String, names:String):String {
		var doc = read(text);
		var to:Dynamic = Json.parse(names);
		var rename = function(name:String):String {
			var renamed:Dynamic = name == null ? null : Reflect.field(to, name);
			return renamed == null ? name : Std.string(renamed);
		};
		if (doc.legacy != null && doc.version == 1) {
			var xml = Xml.parse(text);
			var root = xml.firstElement();
			if (root.get("img") != null)
				root.set("img", rename(root.get("img")));
			return wellFormed(xml.toString());
		}
		var copy = doc.clone();
		copy.image = rename(copy.image);
		for (e in copy.elements)
			if (e.kind == Image)
				e.src = rename(e.src);
		return wellFormed(copy.toXml());
	}

	public static function layout(text:String, options:String):String {
		var o:Dynamic = null;
		try {
			o = Json.parse(options);
		} catch (e:Dynamic) {}
		if (o == null || !Std.isOfType(o.sizes, Array))
			return Json.stringify({error: "the layout options are damaged"});
		var sizes:Array<String> = [for (s in (o.sizes : Array<Dynamic>)) Std.string(s)];
		var result = SizeLayout.layoutProject(text, sizes, o.relayout == true);
		return wellFormed(Json.stringify(result));
	}

	public static function publishText(text:String, options:String):String {
		var doc = read(text);
		var o:Dynamic = Json.parse(options);
		var renamed:Dynamic = o.pictures == null ? {} : o.pictures;
		// A picture that is not published is not asked for.
		var rename = function(name:String):String {
			if (name == null || name == "")
				return name;
			var to:Dynamic = Reflect.field(renamed, name);
			return to == null ? "" : Std.string(to);
		};
		var w:Int = o.width, h:Int = o.height;
		var index = doc.sizeIndexFor(w, h);
		if (index < 0)
			index = doc.shownSize;
		var size = doc.sizes[index];
		if (doc.legacy != null && doc.version == 1) {
			// A version-1 project stays as written, with its picture and size as published.
			var xml = Xml.parse(text);
			var root = xml.firstElement();
			if (root.get("img") != null)
				root.set("img", rename(root.get("img")));
			root.set("demoWidth", Std.string(size.width));
			root.set("demoHeight", Std.string(size.height));
			if (o.component != null)
				for (c in root.elementsNamed("component"))
					for (info in c.elementsNamed("info"))
						info.set("url", o.component);
			return wellFormed(xml.toString());
		}
		// One size: the elements at their places there; those left out at it are not written.
		var one = doc.clone();
		var only = new BannerDocument.BannerSize(size.width, size.height);
		var shown:Array<BannerElement> = [];
		for (i in 0...one.elements.length) {
			var e = one.elements[i];
			var b = doc.box(doc.elements[i], index);
			if (b.hidden == true)
				continue;
			shown.push(e);
			e.x = b.x;
			e.y = b.y;
			e.width = b.width;
			e.height = b.height;
			e.size = b.fontSize;
			if (e.kind == Image)
				e.src = rename(e.src);
		}
		one.elements = shown;
		one.sizes = [only];
		one.shownSize = 0;
		one.image = rename(one.image);
		// A face's file under the name of the face movie published for it; others as written.
		for (f in one.fonts)
			if (Reflect.hasField(renamed, f.src))
				f.src = rename(f.src);
		if (o.component != null)
			one.componentUrl = o.component;
		return wellFormed(one.toXml());
	}

	public static function hostTexts(text:String, width:Int, height:Int):String {
		var doc = read(text);
		var texts:Array<Dynamic> = [];
		if (doc.legacy == null || doc.version != 1) {
			var index = doc.sizeIndexFor(width, height);
			if (index < 0)
				index = doc.shownSize;
			// Layers are counted as in the size's published project, without the elements left out.
			var layer = 0;
			for (e in doc.elements) {
				var b = doc.box(e, index);
				if (b.hidden == true)
					continue;
				if (HostText.needed(e)) {
					var fitted = TextFit.forText(e, b, doc.sizes[index].height);
					texts.push({name: HostText.fileName(layer), list: HostText.displayList(e, b.width, b.height, fitted.size, fitted.lines, 1)});
				}
				layer++;
			}
		}
		return wellFormed(Json.stringify({texts: texts}));
	}

	public static function variant(text:String, options:String):String {
		var doc = read(text);
		if (!doc.isProject)
			return Json.stringify({error: "it is not a project file (XML with a template element)"});
		if (doc.legacy != null && doc.version == 1)
			return Json.stringify({error: "a feed binds the elements of a version-2 project, and this one is version 1"});
		var o:Dynamic = Json.parse(options);
		var cells:Array<Array<String>> = [];
		var given:Array<Dynamic> = o.cells == null ? [] : o.cells;
		for (c in given)
			cells.push([Std.string(c[0]), c[1] == null ? "" : Std.string(c[1])]);
		var v = FeedBinding.apply(doc, cells, o.folder == null ? "" : Std.string(o.folder));
		if (v.error != null)
			return wellFormed(Json.stringify({error: v.error}));
		return wellFormed(Json.stringify({project: v.doc.toXml(), unknown: v.unknown}));
	}
}
