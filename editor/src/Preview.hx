// The live preview: the banner drawn at its own size (scaled down to fit), with image, headline and effect.
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
    var effectFrame:Int = -1;

    static inline var EFFECT_FRAMES = 24;

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
        g.beginFill(0xFFFFFF);
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
        scaleLabel.text = m.width + " x " + m.height + " " + Strings.PIXELS + "   " + Strings.format(Strings.PREVIEW_SCALE, [Std.string(percent)]);
        scaleLabel.x = Math.round((areaW - scaleLabel.width) / 2);
        scaleLabel.y = banner.y + h * scale + 6;
        note.x = banner.x + 6;
        note.y = banner.y + 6;
    }

    /** Plays the entrance effect once from the start. */
    public function playEffect() {
        effectFrame = 0;
        applyEffect();
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
            try {
                var bitmap = cast(loader.content, Bitmap);
                bitmap.smoothing = true;
            } catch (e:Dynamic) {}
            image = shown;
            imageState = "loaded";
            imageSize = Std.int(loader.contentLoaderInfo.width) + "x" + Std.int(loader.contentLoaderInfo.height);
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

    /** The image covers the whole banner, centred, keeping its proportions; what overflows is cut off. */
    function fitImage() {
        if (image == null || model == null)
            return;
        image.scaleX = image.scaleY = 1;
        var iw = image.width;
        var ih = image.height;
        if (iw <= 0 || ih <= 0)
            return;
        var s = Math.max(model.width / iw, model.height / ih);
        image.scaleX = image.scaleY = s;
        image.x = (model.width - iw * s) / 2;
        image.y = (model.height - ih * s) / 2;
    }

    /** The headline sits on a dark band along the bottom of the banner. */
    function drawHeadline() {
        while (headlineLayer.numChildren > 0)
            headlineLayer.removeChildAt(0);
        headlineLayer.graphics.clear();
        var text = model.headline;
        if (StringTools.trim(text) == "")
            return;
        var size = Std.int(Math.max(10, Math.min(28, Math.min(model.height / 6, model.width / 12))));
        var t = Theme.label(text, size, 0xFFFFFF, true);
        t.wordWrap = true;
        t.multiline = true;
        t.width = model.width - 2 * 8;
        var f = t.getTextFormat();
        f.align = TextFormatAlign.CENTER;
        t.setTextFormat(f);
        t.x = 8;
        var bandH = Math.min(model.height, t.height + 8);
        t.y = model.height - bandH + 4;
        headlineLayer.graphics.beginFill(0x000000, 0.55);
        headlineLayer.graphics.drawRect(0, model.height - bandH, model.width, bandH);
        headlineLayer.graphics.endFill();
        headlineLayer.addChild(t);
    }

    function step(_:Event) {
        if (effectFrame < 0)
            return;
        effectFrame++;
        applyEffect();
        if (effectFrame >= EFFECT_FRAMES)
            effectFrame = -1;
    }

    function applyEffect() {
        var p = effectFrame < 0 ? 1.0 : Math.min(1.0, effectFrame / EFFECT_FRAMES);
        var eased = 1 - (1 - p) * (1 - p);
        var kind = model == null ? "none" : model.effect;
        content.alpha = 1;
        content.x = content.y = 0;
        content.scaleX = content.scaleY = 1;
        if (model == null)
            return;
        switch (kind) {
            case "fade":
                content.alpha = eased;
            case "slide":
                content.x = -model.width * (1 - eased);
            case "zoom":
                var s = 0.2 + 0.8 * eased;
                content.scaleX = content.scaleY = s;
                content.x = model.width * (1 - s) / 2;
                content.y = model.height * (1 - s) / 2;
            default:
        }
    }
}
