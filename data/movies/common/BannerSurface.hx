// The drawing interface a banner renderer draws on: a banner-sized area with a background, and
// a content layer (image, headline) that the entrance effect moves, above which a link may lie.
// The component movie implements it with flash.display, the HTML5 creative with the page's DOM.

import BannerLayout.Rect;
import BannerLayout.EntranceState;
import BannerLayout.HeadlineLayout;

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
}
