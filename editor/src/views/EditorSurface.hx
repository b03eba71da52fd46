// The component movie's Flash surface as the editor's canvas uses it: without links, and with
// images read the way the editor reads local files (the URL forms the player serves, and only
// PNG, JPEG or GIF bytes shown, so a movie passed off as an image never runs inside the editor).
// Pictures are kept by URL, so a banner set up again (a new background colour, undo) shows its
// images at once.
package views;

import BannerLayout.Rect;
import flash.display.Bitmap;
import flash.display.BitmapData;
import flash.display.DisplayObjectContainer;

class EditorSurface extends FlashSurface {
    /** The background image, shared by every banner set up from the same file (images are cached by URL). */
    var backdropPicture:Bitmap;

    public function new(root:DisplayObjectContainer) {
        super(root, false);
    }

    /**
        Asks the host to paint a text the player cannot draw: the picture's display list (HostText)
        as JSON in, a PNG (base64) out, or null without a host that paints. Set by the editor.
    **/
    public static var hostPicture:Null<String->Null<String>> = null;

    /** Picture pixels per banner pixel of the host's text pictures: sharp at twice the size. */
    static inline var PICTURE_SCALE = 2;

    /** The host's pictures by their display list, so that a text drawn again shows at once. */
    static var hostPictures = new Map<String, BitmapData>();
    static var hostPictureCount = 0;
    /** The pictures the host did not paint: not asked for again. */
    static var refusedPictures = new Map<String, Bool>();
    static inline var KEPT_PICTURES = 64;

    // Words in a script the player cannot draw with the banner's faces (ScriptFaces) are marked on
    // the canvas with a dashed red frame and a corner flag, and drawn by the host where it paints
    // them; the properties say so.
    override public function drawText(index:Int, e:BannerDocument.BannerElement, width:Float, height:Float, fontSize:Int, lines:Array<String>) {
        var asked = hostPicture != null && HostText.needed(e);
        var key = asked ? haxe.Json.stringify(HostText.displayList(e, width, height, fontSize, lines, PICTURE_SCALE)) : null;
        var area = asked ? HostText.area(e, width, height, fontSize, lines) : null;
        var cached = asked ? hostPictures.get(key) : null;
        if (cached != null)
            placeHostPicture(fresh(index), cached, area);
        else
            super.drawText(index, e, width, height, fontSize, lines);
        if (ScriptFaces.needsHost(e.label))
            markScript(index, width, height);
        if (asked && cached == null && !refusedPictures.exists(key))
            askHostPicture(index, key, area);
    }

    // Asks the host for the picture once this drawing is done, on a stack of its own (the edit may
    // come after a long dialog, which used up most of the script's time). The picture takes the
    // text field's place when it is in, unless the layer was drawn again meanwhile.
    function askHostPicture(index:Int, key:String, area:HostText.HostTextArea) {
        var layer = layerSprites[index];
        var drawing = drawings[index];
        var current = function() return index < drawings.length && drawings[index] == drawing && layerSprites[index] == layer;
        Pace.hold();
        haxe.Timer.delay(function() {
            var bytes:haxe.io.Bytes = null;
            if (current()) {
                var data = hostPicture(key);
                try {
                    bytes = data == null ? null : haxe.crypto.Base64.decode(data);
                } catch (_:Dynamic) {}
                if (bytes == null || bytes.length == 0)
                    refusedPictures.set(key, true);
            }
            if (bytes == null || bytes.length == 0) {
                Pace.release();
                return;
            }
            var loader = new flash.display.Loader();
            var info = loader.contentLoaderInfo;
            info.addEventListener(flash.events.Event.COMPLETE, function(_) {
                Pace.release();
                var picture:BitmapData = null;
                try {
                    picture = (cast loader.content : Bitmap).bitmapData;
                } catch (_:Dynamic) {}
                if (picture == null)
                    return;
                if (++hostPictureCount > KEPT_PICTURES) {
                    hostPictures = new Map();
                    hostPictureCount = 1;
                }
                hostPictures.set(key, picture);
                if (!current())
                    return;
                // The field goes; the frame marking the text stays (it is the layer's own drawing).
                while (layer.numChildren > 0)
                    layer.removeChildAt(0);
                layer.filters = [];
                placeHostPicture(layer, picture, area);
            });
            info.addEventListener(flash.events.IOErrorEvent.IO_ERROR, function(_) Pace.release());
            try {
                loader.loadBytes(bytes.getData());
            } catch (_:Dynamic) {
                Pace.release();
            }
        }, 0);
    }

    static function placeHostPicture(layer:flash.display.Sprite, picture:BitmapData, area:HostText.HostTextArea) {
        var bitmap = new Bitmap(picture);
        bitmap.smoothing = true;
        bitmap.x = bitmap.y = -area.margin;
        bitmap.width = area.width;
        bitmap.height = area.height;
        layer.addChildAt(bitmap, 0);
    }

    override public function drawButton(index:Int, e:BannerDocument.BannerElement, width:Float, height:Float, fontSize:Int) {
        super.drawButton(index, e, width, height, fontSize);
        if (ScriptFaces.needsHost(e.label))
            markScript(index, width, height);
    }

    function markScript(index:Int, width:Float, height:Float) {
        var g = layerSprites[index].graphics;
        g.lineStyle(1, ui.Theme.ERROR);
        var step = 6.0;
        var x = 0.0;
        while (x < width) {
            g.moveTo(x, 0);
            g.lineTo(Math.min(x + step / 2, width), 0);
            g.moveTo(x, height);
            g.lineTo(Math.min(x + step / 2, width), height);
            x += step;
        }
        var y = 0.0;
        while (y < height) {
            g.moveTo(0, y);
            g.lineTo(0, Math.min(y + step / 2, height));
            g.moveTo(width, y);
            g.lineTo(width, Math.min(y + step / 2, height));
            y += step;
        }
        g.lineStyle();
        g.beginFill(ui.Theme.ERROR);
        g.moveTo(width - 10, 0);
        g.lineTo(width, 0);
        g.lineTo(width, 10);
        g.endFill();
    }

    override public function begin(w:Int, h:Int, colour:Int) {
        backdropPicture = null;
        super.begin(w, h, colour);
    }

    override public function loadImage(url:String, loaded:Float->Float->Void, failed:Void->Void) {
        var cached = FlashSurface.pictures.get(url);
        if (cached != null) {
            showBackdrop(cached);
            loaded(cached.width, cached.height);
            return;
        }
        var holder = content;
        LocalFiles.loadImage(url, function(loader) {
            var data:BitmapData = null;
            try {
                data = (cast loader.content : Bitmap).bitmapData;
            } catch (e:Dynamic) {}
            if (data == null) {
                failed();
                return;
            }
            FlashSurface.pictures.set(url, data);
            // Set up again meanwhile: the picture belongs to a banner no longer shown.
            if (holder == content)
                showBackdrop(data);
            loaded(data.width, data.height);
        }, function(_) failed());
    }

    function showBackdrop(data:BitmapData) {
        backdropPicture = new Bitmap(data);
        backdropPicture.smoothing = true;
        content.addChild(backdropPicture);
    }

    override public function placeImage(box:Rect) {
        if (backdropPicture == null)
            return;
        backdropPicture.scaleX = box.width / backdropPicture.bitmapData.width;
        backdropPicture.scaleY = box.height / backdropPicture.bitmapData.height;
        backdropPicture.x = box.x;
        backdropPicture.y = box.y;
    }

    override public function drawImage(index:Int, url:String, fit:String, width:Float, height:Float, done:Void->Void) {
        if (FlashSurface.pictures.exists(url)) {
            super.drawImage(index, url, fit, width, height, done);
            return;
        }
        // Emptied now; drawn once the picture is in, unless the layer was drawn again meanwhile.
        fresh(index);
        var drawing = drawings[index];
        LocalFiles.loadImage(url, function(loader) {
            try {
                FlashSurface.pictures.set(url, (cast loader.content : Bitmap).bitmapData);
            } catch (e:Dynamic) {}
            if (index < drawings.length && drawings[index] == drawing && FlashSurface.pictures.exists(url))
                drawCached(index, url, fit, width, height, done);
            else
                done();
        }, function(_) done());
    }

    function drawCached(index:Int, url:String, fit:String, width:Float, height:Float, done:Void->Void) {
        super.drawImage(index, url, fit, width, height, done);
    }
}
