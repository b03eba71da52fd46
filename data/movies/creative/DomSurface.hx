// The banner drawn with the page's DOM for the HTML5 creative: a clipped box with the
// background colour, a content box (the image; a version-1 headline too) moved by CSS
// transforms, and a box per element of a version-2 banner above it. The whole banner is the
// click area and opens the page's clickTag, which ad servers rewrite; a button opens its own
// link, or the clickTag when it has none. Texts name the shipped families and the script faces,
// which the creative's fonts.css declares with @font-face (bold and italic select the faces).

import BannerLayout.Rect;
import BannerLayout.EntranceState;
import BannerLayout.HeadlineLayout;
import BannerDocument;
import js.Browser;
import js.html.DivElement;
import js.html.Element;
import js.html.ImageElement;

class DomSurface implements BannerSurface {
	var banner:Element;
	var content:DivElement;
	var picture:ImageElement;
	var headline:DivElement;
	var elements:DivElement;
	var layerBoxes:Array<DivElement> = [];
	var click:js.html.Event->Void = null;

	public function new(banner:Element) {
		this.banner = banner;
	}

	static function css(colour:Int):String {
		var hex = StringTools.hex(colour & 0xFFFFFF, 6);
		return "#" + hex;
	}

	static function px(v:Float):String {
		return v + "px";
	}

	// Again for a banner set up anew: what was drawn goes.
	public function begin(width:Int, height:Int, background:Int) {
		while (banner.firstChild != null)
			banner.removeChild(banner.firstChild);
		if (click != null)
			banner.removeEventListener("click", click);
		click = null;
		elements = null;
		layerBoxes = [];
		var s = banner.style;
		s.cursor = "";
		s.position = "relative";
		s.overflow = "hidden";
		s.width = px(width);
		s.height = px(height);
		s.backgroundColor = css(background);
		content = Browser.document.createDivElement();
		var c = content.style;
		c.position = "absolute";
		c.left = c.top = "0";
		c.width = px(width);
		c.height = px(height);
		c.visibility = "hidden";
		c.transformOrigin = "0 0";
		banner.appendChild(content);
	}

	public function loadImage(url:String, loaded:Float->Float->Void, failed:Void->Void) {
		picture = Browser.document.createImageElement();
		picture.alt = "";
		picture.style.position = "absolute";
		picture.onload = function() loaded(picture.naturalWidth, picture.naturalHeight);
		picture.onerror = function() {
			picture.style.display = "none";
			failed();
		};
		content.appendChild(picture);
		picture.src = url;
	}

	public function placeImage(box:Rect) {
		var s = picture.style;
		s.left = px(box.x);
		s.top = px(box.y);
		s.width = px(box.width);
		s.height = px(box.height);
	}

	public function addHeadline(layout:HeadlineLayout):Float {
		headline = Browser.document.createDivElement();
		var s = headline.style;
		s.position = "absolute";
		s.boxSizing = "border-box";
		s.left = px(layout.x);
		s.top = "0";
		s.width = px(layout.width);
		s.padding = px(BannerLayout.TEXT_GUTTER);
		s.margin = "0";
		s.fontFamily = "sans-serif";
		s.fontSize = px(layout.size);
		s.fontWeight = layout.bold ? "bold" : "normal";
		s.lineHeight = "normal";
		s.color = css(layout.colour);
		s.textAlign = layout.align;
		s.whiteSpace = "pre-wrap";
		s.overflowWrap = "break-word";
		headline.textContent = layout.text;
		content.appendChild(headline);
		return headline.getBoundingClientRect().height;
	}

	public function moveHeadline(top:Float) {
		headline.style.top = px(top);
	}

	// The page's clickTag, or null.
	static function clickTag():String {
		var tag:Dynamic = untyped Browser.window.clickTag;
		return (tag != null && tag != "") ? Std.string(tag) : null;
	}

	public function addLink(url:String, target:String) {
		var tag = clickTag();
		var address:String = tag != null ? tag : url;
		banner.style.cursor = "pointer";
		click = function(_) Browser.window.open(address, "_blank");
		banner.addEventListener("click", click);
	}

	public function showContent(state:EntranceState) {
		var c = content.style;
		c.visibility = "visible";
		c.opacity = Std.string(state.alpha);
		c.transform = "translate(" + px(state.x) + "," + px(state.y) + ") scale(" + state.scale + ")";
	}

	public function now():Float {
		return Browser.window.performance.now();
	}

	public function everyFrame(tick:Void->Bool) {
		function frame(_:Float) {
			if (tick())
				Browser.window.requestAnimationFrame(frame);
		}
		Browser.window.requestAnimationFrame(frame);
	}

	public function finished() {
		banner.setAttribute("data-entrance", "done");
	}

	// --- Version 2: a box per element -------------------------------------------------------

	public function layers(count:Int) {
		if (elements == null) {
			elements = Browser.document.createDivElement();
			var s = elements.style;
			s.position = "absolute";
			s.left = s.top = "0";
			banner.appendChild(elements);
		}
		while (layerBoxes.length > count)
			elements.removeChild(layerBoxes.pop());
		while (layerBoxes.length < count) {
			var layer = Browser.document.createDivElement();
			var s = layer.style;
			s.position = "absolute";
			s.left = s.top = "0";
			s.transformOrigin = "0 0";
			s.visibility = "hidden";
			elements.appendChild(layer);
			layerBoxes.push(layer);
		}
	}

	// The layer emptied for a new drawing: a box of width x height.
	function fresh(index:Int, width:Float, height:Float):DivElement {
		var old = layerBoxes[index];
		var layer = Browser.document.createDivElement();
		var s = layer.style;
		s.position = "absolute";
		s.left = s.top = "0";
		s.transformOrigin = "0 0";
		s.visibility = old.style.visibility;
		s.opacity = old.style.opacity;
		s.transform = old.style.transform;
		layer.style.width = px(width);
		layer.style.height = px(height);
		elements.replaceChild(layer, old);
		layerBoxes[index] = layer;
		return layer;
	}

	// The element's family, then the faces for scripts the shipped faces lack (ScriptFaces: the
	// creative's fonts.css carries the cuts of them its text needs), then the generic family.
	public static function fontFamily(family:String):String {
		return [for (f in ScriptFaces.families(family)) '"' + f + '"'].join(", ") + ", " + (family == "Liberation Serif" ? "serif" : "sans-serif");
	}

	static function setFont(s:js.html.CSSStyleDeclaration, e:BannerElement, fontSize:Int) {
		s.fontFamily = fontFamily(e.font);
		s.fontSize = px(fontSize);
		s.fontWeight = e.bold ? "bold" : "normal";
		s.fontStyle = e.italic ? "italic" : "normal";
		s.color = css(e.color);
	}

	// Each element's box says what it is (data-kind, and data-id where the renderer names the
	// element), so that a page's checks can tell texts, pictures and buttons apart.
	static function mark(layer:Element, kind:String, ?e:BannerElement) {
		layer.setAttribute("data-kind", kind);
		if (e != null)
			layer.setAttribute("data-id", e.id);
	}

	public function drawImage(index:Int, url:String, fit:String, width:Float, height:Float, done:Void->Void) {
		var layer = fresh(index, width, height);
		mark(layer, "image");
		layer.style.overflow = "hidden";
		var picture = Browser.document.createImageElement();
		picture.alt = "";
		var s = picture.style;
		s.display = "block";
		s.width = px(width);
		s.height = px(height);
		untyped s.objectFit = fit == "stretch" ? "fill" : (fit == "cover" ? "cover" : "contain");
		picture.onload = function() done();
		picture.onerror = function() {
			picture.style.visibility = "hidden";
			done();
		};
		layer.appendChild(picture);
		picture.src = url;
	}

	// The model's lines as they are (no wrapping again), without kerning or ligatures, which
	// the model's measure leaves out.
	public function drawText(index:Int, e:BannerElement, width:Float, height:Float, fontSize:Int, lines:Array<String>) {
		var layer = fresh(index, width, height);
		mark(layer, "text", e);
		var text = Browser.document.createDivElement();
		var s = text.style;
		s.boxSizing = "border-box";
		s.width = px(width);
		s.padding = "0";
		s.margin = "0";
		setFont(s, e, fontSize);
		s.lineHeight = px(fontSize * e.lineHeight);
		s.textAlign = e.align;
		s.whiteSpace = "pre";
		// Each line runs in the direction of its first strong character, as the backup image's
		// painter sets it; text-align stays physical (left is left in Arabic too).
		untyped s.unicodeBidi = "plaintext";
		untyped s.fontKerning = "none";
		untyped s.fontVariantLigatures = "none";
		if (e.shadowColor != null)
			s.textShadow = px(e.shadowX) + " " + px(e.shadowY) + " " + px(e.shadowBlur) + " " + css(e.shadowColor);
		text.textContent = lines.join("\n");
		layer.appendChild(text);
	}

	public function drawButton(index:Int, e:BannerElement, width:Float, height:Float, fontSize:Int) {
		var layer = fresh(index, width, height);
		mark(layer, "button", e);
		var s = layer.style;
		if (e.fill != null)
			s.backgroundColor = css(e.fill);
		s.borderRadius = px(Math.min(e.radius, Math.min(width, height) / 2));
		s.display = "flex";
		s.alignItems = "center";
		s.justifyContent = "center";
		s.textAlign = "center";
		s.whiteSpace = "pre";
		s.lineHeight = "normal";
		untyped s.fontKerning = "none";
		untyped s.fontVariantLigatures = "none";
		setFont(s, e, fontSize);
		s.cursor = "pointer";
		var label = Browser.document.createSpanElement();
		untyped label.style.unicodeBidi = "plaintext";
		label.textContent = e.label;
		layer.appendChild(label);
		var tag = clickTag();
		var address = e.url != "" ? e.url : tag;
		if (address != null)
			layer.addEventListener("click", function(event:js.html.Event) {
				event.stopPropagation();
				Browser.window.open(address, "_blank");
			});
	}

	public function drawShape(index:Int, e:BannerElement, width:Float, height:Float) {
		var layer = fresh(index, width, height);
		mark(layer, e.kind == Shape ? "shape" : "image", e);
		var ns = "http://www.w3.org/2000/svg";
		var svg = Browser.document.createElementNS(ns, "svg");
		svg.setAttribute("width", Std.string(width));
		svg.setAttribute("height", Std.string(height));
		svg.setAttribute("style", "display:block;overflow:visible");
		var shape = Browser.document.createElementNS(ns, e.shapeKind == "ellipse" ? "ellipse" : "rect");
		if (e.shapeKind == "ellipse") {
			shape.setAttribute("cx", Std.string(width / 2));
			shape.setAttribute("cy", Std.string(height / 2));
			shape.setAttribute("rx", Std.string(width / 2));
			shape.setAttribute("ry", Std.string(height / 2));
		} else {
			var r = Math.min(e.radius, Math.min(width, height) / 2);
			shape.setAttribute("width", Std.string(width));
			shape.setAttribute("height", Std.string(height));
			shape.setAttribute("rx", Std.string(r));
		}
		shape.setAttribute("fill", e.fill == null ? "none" : css(e.fill));
		if (e.stroke != null && e.strokeWidth > 0) {
			shape.setAttribute("stroke", css(e.stroke));
			shape.setAttribute("stroke-width", Std.string(e.strokeWidth));
		}
		svg.appendChild(shape);
		layer.appendChild(svg);
	}

	public function showLayer(index:Int, visible:Bool, alpha:Float, x:Float, y:Float, scale:Float) {
		var s = layerBoxes[index].style;
		s.visibility = visible ? "visible" : "hidden";
		s.opacity = Std.string(alpha);
		s.transform = "translate(" + px(x) + "," + px(y) + ") scale(" + scale + ")";
	}
}
