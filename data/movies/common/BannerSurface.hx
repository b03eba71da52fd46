// The drawing interface a banner renderer draws on: a banner-sized area with a background, and
// a content layer (the image; in a version-1 banner also the headline, both moved by the
// entrance effect), above which a link may lie; version-2 banners add a layer per element above
// those. The component movie implements it with flash.display, the HTML5 creative with the
// page's DOM.

import BannerLayout.Rect;
import BannerLayout.EntranceState;
import BannerLayout.HeadlineLayout;
import BannerDocument;

interface BannerSurface {
	// Sets the banner's size (everything is clipped to it) and fills it with the background.
	function begin(width:Int, height:Int, background:Int):Void;
	// Loads the image into the content layer; calls loaded with its natural size or failed.
	function loadImage(url:String, loaded:Float->Float->Void, failed:Void->Void):Void;
	// Places the loaded image.
	function placeImage(box:Rect):Void;
	// Adds the headline wrapped as described and answers its box's height, gutters included.
	function addHeadline(headline:HeadlineLayout):Float;
	function moveHeadline(top:Float):Void;
	// Makes the whole banner open url in the window target when clicked.
	function addLink(url:String, target:String):Void;
	// Shows the content layer in the given state.
	function showContent(state:EntranceState):Void;
	// Milliseconds since some fixed moment.
	function now():Float;
	// Calls tick once a frame until it answers false.
	function everyFrame(tick:Void->Bool):Void;
	// The entrance has ended: the banner shows its final frame.
	function finished():Void;

	// Version 2. There are count element layers (the first lowest), above the link; layers
	// beyond count go, new ones start empty and hidden. Drawing a layer replaces what it showed.
	function layers(count:Int):Void;
	// The image at url fitted ("contain", "cover" or "stretch") into width x height and clipped
	// to it; done is called once it has loaded or failed.
	function drawImage(layer:Int, url:String, fit:String, width:Float, height:Float, done:Void->Void):Void;
	// e's text as the given lines (decided by TextFit, drawn as they are, without kerning), each
	// aligned by e.align inside the width, from the top (overflow is not clipped).
	function drawText(layer:Int, e:BannerElement, width:Float, height:Float, fontSize:Int, lines:Array<String>):Void;
	// A rounded box with e's label centred; a click opens e's url, or the banner's link when it
	// has none.
	function drawButton(layer:Int, e:BannerElement, width:Float, height:Float, fontSize:Int):Void;
	// A rectangle (rounded by e.radius) or an ellipse, filled and stroked (centred on the edge).
	function drawShape(layer:Int, e:BannerElement, width:Float, height:Float):Void;
	// Shows a layer with its top-left corner at x, y, scaled from that corner.
	function showLayer(layer:Int, visible:Bool, alpha:Float, x:Float, y:Float, scale:Float):Void;
}
