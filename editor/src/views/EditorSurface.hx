// The component movie's Flash surface as the editor's canvas uses it: without links, and with
// images read the way the editor reads local files (the URL forms the player serves, and only
// PNG, JPEG or GIF bytes shown, so a movie passed off as an image never runs inside the editor).
package views;

import flash.display.Bitmap;
import flash.display.DisplayObjectContainer;

class EditorSurface extends FlashSurface {
    public function new(root:DisplayObjectContainer) {
        super(root, false);
    }

    override public function loadImage(url:String, loaded:Float->Float->Void, failed:Void->Void) {
        LocalFiles.loadImage(url, function(loader) {
            if (content == null) {
                failed();
                return;
            }
            picture = loader;
            content.addChild(loader);
            var w:Float = loader.contentLoaderInfo.width, h:Float = loader.contentLoaderInfo.height;
            try {
                var bitmap:Bitmap = cast loader.content;
                bitmap.smoothing = true;
                w = bitmap.bitmapData.width;
                h = bitmap.bitmapData.height;
            } catch (e:Dynamic) {}
            loaded(w, h);
        }, function(_) failed());
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
