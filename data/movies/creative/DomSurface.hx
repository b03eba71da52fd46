// The banner drawn with the page's DOM for the HTML5 creative: a clipped box with the
// background colour, a content box (image, headline) moved by CSS transforms, and the whole
// banner as the click area. The click opens the page's clickTag, which ad servers rewrite.

import BannerLayout.Rect;
import BannerLayout.EntranceState;
import BannerLayout.HeadlineLayout;
import js.Browser;
import js.html.DivElement;
import js.html.Element;
import js.html.ImageElement;

class DomSurface implements BannerSurface {
	var banner:Element;
	var content:DivElement;
	var picture:ImageElement;
	var headline:DivElement;

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

	public function begin(width:Int, height:Int, background:Int) {
		var s = banner.style;
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

	public function addLink(url:String, target:String) {
		var tag:Dynamic = untyped Browser.window.clickTag;
		var address:String = (tag != null && tag != "") ? Std.string(tag) : url;
		banner.style.cursor = "pointer";
		banner.addEventListener("click", function(_) Browser.window.open(address, "_blank"));
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
}
