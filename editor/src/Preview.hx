// The live preview: the banner drawn at its own size (scaled down to fit), with image, headline and effect.
import flash.Lib;
import flash.display.Bitmap;
import flash.display.DisplayObject;
import flash.display.Loader;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.Event;
import flash.text.TextField;
import flash.text.TextFormatAlign;
import ui.Theme;

class Preview extends Sprite {
    public var imageState(default, null):String = "none";
    public var imageSize(default, null):String = "";
    public var scale(default, null):Float = 1;

    var model:ProjectModel;
    var banner:Sprite;
    var content:Sprite;
    var imageLayer:Sprite;
    var headlineLayer:Sprite;
    var bannerMask:Shape;
    var frame:Shape;
    var note:TextField;
    var scaleLabel:TextField;
    var image:DisplayObject;
    var imagePath:String = "";
    var request:Int = 0;
    var areaW:Float = 100;
    var areaH:Float = 100;
    var effectStart:Float = -1;

    public function new() {
        super();
        banner = new Sprite();
        content = new Sprite();
        imageLayer = new Sprite();
        headlineLayer = new Sprite();
        bannerMask = new Shape();
        frame = new Shape();
        content.addChild(imageLayer);
        content.addChild(headlineLayer);
        banner.addChild(content);
        banner.addChild(bannerMask);
        banner.addChild(frame);
        content.mask = bannerMask;
        addChild(banner);
        note = Theme.label("", 12, Theme.MUTED);
        addChild(note);
        scaleLabel = Theme.label("", 11, Theme.MUTED);
        addChild(scaleLabel);
        addEventListener(Event.ENTER_FRAME, step);
    }

    public function setArea(w:Float, h:Float) {
        areaW = w;
        areaH = h;
        if (model != null)
            show(model);
    }

    /** Redraws the banner for the model; loads the image when it changed. */
    public function show(m:ProjectModel) {
        model = m;
        if (m.image != imagePath) {
            imagePath = m.image;
            loadImage();
        }
        var w = m.width;
        var h = m.height;
        scale = Math.min(1, Math.min((areaW - 4) / w, (areaH - 30) / h));
        if (scale <= 0)
            scale = 0.01;
        banner.scaleX = banner.scaleY = scale;
        banner.x = Math.round((areaW - w * scale) / 2);
        banner.y = Math.round(Math.max(0, (areaH - 30 - h * scale) / 2));

        var g = content.graphics;
        g.clear();
        g.beginFill(m.background);
        g.drawRect(0, 0, w, h);
        g.endFill();
        bannerMask.graphics.clear();
        bannerMask.graphics.beginFill(0);
        bannerMask.graphics.drawRect(0, 0, w, h);
        bannerMask.graphics.endFill();
        frame.graphics.clear();
        frame.graphics.lineStyle(1 / scale, Theme.PANEL_LINE);
        frame.graphics.drawRect(0, 0, w, h);

        fitImage();
        drawHeadline();

        var percent = Math.round(scale * 100);
        scaleLabel.text = Strings.format(Strings.PREVIEW_SIZE, [Std.string(m.width), Std.string(m.height), Std.string(percent)]);
        scaleLabel.x = Math.round((areaW - scaleLabel.width) / 2);
        scaleLabel.y = banner.y + h * scale + 6;
        note.x = banner.x + 6;
        note.y = banner.y + 6;
    }

    /** Plays the entrance effect once from the start. */
    public function playEffect() {
        effectStart = Lib.getTimer();
        Pace.moving();
        applyEffect(0);
    }

    function loadImage() {
        var mine = ++request;
        if (image != null && image.parent != null)
            image.parent.removeChild(image);
        image = null;
        imageSize = "";
        if (imagePath == "") {
            imageState = "none";
            note.text = "";
            return;
        }
        imageState = "loading";
        note.text = Strings.IMAGE_LOADING;
        LocalFiles.loadImage(imagePath, function(loader:Loader) {
            if (mine != request)
                return;
            var shown:DisplayObject = loader;
            var w:Float = loader.contentLoaderInfo.width;
            var h:Float = loader.contentLoaderInfo.height;
            try {
                var bitmap = cast(loader.content, Bitmap);
                bitmap.smoothing = true;
                w = bitmap.bitmapData.width;
                h = bitmap.bitmapData.height;
            } catch (e:Dynamic) {}
            image = shown;
            imageState = "loaded";
            imageSize = Std.int(w) + "x" + Std.int(h);
            note.text = "";
            imageLayer.addChild(image);
            if (model != null)
                show(model);
            playEffect();
        }, function(reason:String) {
            if (mine != request)
                return;
            imageState = "failed";
            note.text = Strings.IMAGE_FAILED;
        });
    }

    /** The image fitted as the component movie fits it: cover (cut to fill), contain, or stretch. */
    function fitImage() {
        if (image == null || model == null)
            return;
        image.scaleX = image.scaleY = 1;
        var iw = image.width;
        var ih = image.height;
        if (iw <= 0 || ih <= 0)
            return;
        var sx = model.width / iw;
        var sy = model.height / ih;
        switch (model.fit) {
            case "stretch":
            case "contain":
                sx = sy = Math.min(sx, sy);
            default:
                sx = sy = Math.max(sx, sy);
        }
        image.scaleX = sx;
        image.scaleY = sy;
        image.x = (model.width - iw * sx) / 2;
        image.y = (model.height - ih * sy) / 2;
    }

    /** The headline as the component movie draws it: wrapped inside a margin of 6 % of the shorter side. */
    function drawHeadline() {
        while (headlineLayer.numChildren > 0)
            headlineLayer.removeChildAt(0);
        var text = StringTools.trim(model.headline);
        if (text == "")
            return;
        var margin = Math.round(Math.min(model.width, model.height) * 0.06);
        var format = Theme.format(model.headlineSize, model.headlineColor, model.headlineBold);
        format.align = switch (model.headlineAlign) {
            case "left": TextFormatAlign.LEFT;
            case "right": TextFormatAlign.RIGHT;
            default: TextFormatAlign.CENTER;
        };
        var t = new TextField();
        t.selectable = false;
        t.mouseEnabled = false;
        t.multiline = true;
        t.wordWrap = true;
        t.width = Math.max(1, model.width - 2 * margin);
        t.defaultTextFormat = format;
        t.autoSize = flash.text.TextFieldAutoSize.LEFT;
        t.text = text;
        t.x = margin;
        t.y = switch (model.headlineVAlign) {
            case "top": margin;
            case "middle": (model.height - t.height) / 2;
            default: model.height - margin - t.height;
        };
        headlineLayer.addChild(t);
    }

    function step(_:Event) {
        if (effectStart < 0)
            return;
        Pace.moving();
        var duration = model == null ? 0 : model.duration;
        var t = duration <= 0 ? 1.0 : (Lib.getTimer() - effectStart) / duration;
        if (t >= 1) {
            t = 1;
            effectStart = -1;
        }
        applyEffect(t);
    }

    /** Places the content at progress t (0 to 1) of the entrance effect, eased out as the banner does. */
    function applyEffect(t:Float) {
        var e = 1 - (1 - t) * (1 - t) * (1 - t);
        content.alpha = 1;
        content.x = content.y = 0;
        content.scaleX = content.scaleY = 1;
        if (model == null)
            return;
        switch (model.effect) {
            case "fade":
                content.alpha = e;
            case "slide":
                content.x = -model.width * (1 - e);
            case "zoom":
                var s = 1.25 - 0.25 * e;
                content.scaleX = content.scaleY = s;
                content.x = model.width * (1 - s) / 2;
                content.y = model.height * (1 - s) / 2;
                content.alpha = e;
            default:
        }
    }
}
