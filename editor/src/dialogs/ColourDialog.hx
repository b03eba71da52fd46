// Choosing any colour: a saturation and brightness area in the chosen hue, a hue strip, the hex
// value, and the colours the banner already uses. Nothing changes in the document until OK, so a
// chosen colour is one step of the undo history. Where the editor can read its own pixels, an
// eyedropper takes the colour under the pointer from the banner on the canvas.
package dialogs;

import flash.display.GradientType;
import flash.display.Sprite;
import flash.events.MouseEvent;
import flash.geom.Matrix;
import ui.Button;
import ui.Modal;
import ui.Swatch;
import ui.TextInput;
import ui.Theme;
import ui.Widgets;

class ColourDialog extends Modal {
    static inline var BOX_W = 420;
    static inline var BOX_H = 340;
    static inline var AREA_W = 220;
    static inline var AREA_H = 160;
    static inline var HUE_W = 18;
    static inline var USED_MAX = 14;

    var hue:Float;
    var saturation:Float;
    var value:Float;
    var area:Sprite;
    var areaMark:Sprite;
    var hueStrip:Sprite;
    var hueMark:Sprite;
    var preview:Sprite;
    var hex:TextInput;
    var original:Int;
    var picking = false;

    /** The colour chosen now, 0xRRGGBB. */
    public var colour(get, never):Int;

    /** pickAt, when given, reads the banner's colour at a point of the stage (null: not on the banner). */
    public function new(caption:String, current:Null<Int>, used:Array<Int>, widgets:Widgets, choose:Int->Void, close:Modal->Void,
            ?pickAt:Float->Float->Null<Int>) {
        super(Strings.format(Strings.COLOUR_DIALOG_TITLE, [caption]), BOX_W, BOX_H);
        name = "colour";
        original = current == null ? 0xFFFFFF : current;
        var hsv = Palette.toHsv(original);
        hue = hsv[0];
        saturation = hsv[1];
        value = hsv[2];
        widgets.beginGroup(9600);

        area = place(new Sprite(), 15, 42);
        areaMark = new Sprite();
        area.addChild(areaMark);
        hueStrip = place(new Sprite(), 15 + AREA_W + 10, 42);
        drawHueStrip();
        hueMark = new Sprite();
        hueStrip.addChild(hueMark);
        track(area, function(x, y) {
            saturation = clamp(x / AREA_W);
            value = 1 - clamp(y / AREA_H);
            update(true);
        });
        track(hueStrip, function(_, y) {
            hue = clamp(y / AREA_H) * 360;
            if (hue >= 360)
                hue = 0;
            update(true);
        });

        var right = 15 + AREA_W + 10 + HUE_W + 16.0;
        var newLabel = place(Theme.label(Strings.COLOUR_NEW, 12, Theme.MUTED), right, 42);
        preview = place(new Sprite(), right, newLabel.y + 18);
        var oldLabel = place(Theme.label(Strings.COLOUR_CURRENT, 12, Theme.MUTED), right, preview.y + 64);
        var old = place(new Sprite(), right, oldLabel.y + 18);
        old.graphics.lineStyle(1, Theme.PANEL_LINE);
        old.graphics.beginFill(original);
        old.graphics.drawRect(0, 0, 60, 28);
        old.graphics.endFill();
        var hexLabel = place(Theme.label(Strings.COLOUR_HEX, 12, Theme.TEXT, true), right, old.y + 40);
        hex = place(widgets.input(new TextInput("colour.hex", 76, 1, "#0-9a-fA-F", 7)), right, hexLabel.y + 18);
        hex.onChange = function() {
            var t = StringTools.trim(hex.text);
            if (t.length != 7 || t.charAt(0) != "#" || BannerDocument.colour(t, -1) < 0)
                return;
            setColour(BannerDocument.colour(t, 0), false);
        };

        var usedLabel = place(Theme.label(Strings.COLOURS_IN_BANNER, 12, Theme.TEXT, true), 15, 42 + AREA_H + 14);
        var x = 15.0;
        for (c in used.slice(0, USED_MAX)) {
            var chosen = c;
            place(widgets.button(new Swatch("colour.used." + BannerDocument.colourText(c), c, function() setColour(chosen, true))), x,
                usedLabel.y + 20);
            x += 25;
        }
        if (used.length == 0)
            place(Theme.label(Strings.COLOURS_NONE_USED, 12, Theme.MUTED), 15, usedLabel.y + 22);

        addButtonRow([
            widgets.button(new Button("colour.ok", Strings.OK, function() {
                close(this);
                choose(colour);
            }, 90)),
            widgets.button(new Button("colour.cancel", Strings.CANCEL, function() close(this), 90))
        ]);
        onEscape = function() if (picking) endPicking() else close(this);
        if (pickAt != null) {
            var dropper = widgets.button(new Button("colour.eyedropper", Strings.COLOUR_EYEDROPPER, beginPicking));
            dropper.x = 12;
            dropper.y = boxHeight - 12 - 26;
            box.addChild(dropper);
            // While picking the dialog is see-through and the next press anywhere reads the colour there.
            addEventListener(MouseEvent.MOUSE_DOWN, function(e:MouseEvent) {
                if (!picking)
                    return;
                endPicking();
                var c = pickAt(e.stageX, e.stageY);
                if (c != null)
                    setColour(c, true);
            });
        }
        update(true);
    }

    function beginPicking() {
        picking = true;
        alpha = 0;
        mouseChildren = false;
    }

    function endPicking() {
        picking = false;
        alpha = 1;
        mouseChildren = true;
    }

    function get_colour():Int {
        return Palette.fromHsv(hue, saturation, value);
    }

    /** Shows c as chosen; the hex field follows unless it is what was typed. */
    public function setColour(c:Int, showHex:Bool) {
        var hsv = Palette.toHsv(c);
        // A grey keeps the hue in view; black keeps the saturation too.
        if (hsv[1] > 0)
            hue = hsv[0];
        if (hsv[2] > 0)
            saturation = hsv[1];
        value = hsv[2];
        update(showHex);
    }

    function update(showHex:Bool) {
        var g = area.graphics;
        g.clear();
        g.beginFill(Palette.fromHsv(hue, 1, 1));
        g.drawRect(0, 0, AREA_W, AREA_H);
        g.endFill();
        var m = new Matrix();
        m.createGradientBox(AREA_W, AREA_H, 0, 0, 0);
        g.beginGradientFill(GradientType.LINEAR, [0xFFFFFF, 0xFFFFFF], [1, 0], [0, 255], m);
        g.drawRect(0, 0, AREA_W, AREA_H);
        g.endFill();
        var v = new Matrix();
        v.createGradientBox(AREA_W, AREA_H, Math.PI / 2, 0, 0);
        g.beginGradientFill(GradientType.LINEAR, [0x000000, 0x000000], [0, 1], [0, 255], v);
        g.drawRect(0, 0, AREA_W, AREA_H);
        g.endFill();
        g.lineStyle(1, Theme.PANEL_LINE);
        g.drawRect(0, 0, AREA_W, AREA_H);

        var a = areaMark.graphics;
        a.clear();
        a.lineStyle(2, value > 0.5 && saturation < 0.5 ? 0x000000 : 0xFFFFFF);
        a.drawCircle(0, 0, 5);
        areaMark.x = saturation * AREA_W;
        areaMark.y = (1 - value) * AREA_H;

        var h = hueMark.graphics;
        h.clear();
        h.lineStyle(2, 0x000000);
        h.drawRect(-2, -2, HUE_W + 4, 4);
        hueMark.y = hue / 360 * AREA_H;

        var p = preview.graphics;
        p.clear();
        p.lineStyle(1, Theme.PANEL_LINE);
        p.beginFill(colour);
        p.drawRect(0, 0, 60, 40);
        p.endFill();
        if (showHex)
            hex.text = BannerDocument.colourText(colour);
    }

    function drawHueStrip() {
        var g = hueStrip.graphics;
        var m = new Matrix();
        m.createGradientBox(HUE_W, AREA_H, Math.PI / 2, 0, 0);
        g.beginGradientFill(GradientType.LINEAR, [0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF, 0xFF0000], [1, 1, 1, 1, 1, 1, 1],
            [0, 42, 85, 128, 170, 213, 255], m);
        g.drawRect(0, 0, HUE_W, AREA_H);
        g.endFill();
        g.lineStyle(1, Theme.PANEL_LINE);
        g.drawRect(0, 0, HUE_W, AREA_H);
    }

    /** A press on the sprite and the drag after it report the pointer in the sprite's space. */
    function track(s:Sprite, moved:Float->Float->Void) {
        s.buttonMode = true;
        s.addEventListener(MouseEvent.MOUSE_DOWN, function(_) {
            moved(s.mouseX, s.mouseY);
            if (stage == null)
                return;
            var st = stage;
            var move = function(_) moved(s.mouseX, s.mouseY);
            function up(_) {
                st.removeEventListener(MouseEvent.MOUSE_MOVE, move);
                st.removeEventListener(MouseEvent.MOUSE_UP, up);
            }
            st.addEventListener(MouseEvent.MOUSE_MOVE, move);
            st.addEventListener(MouseEvent.MOUSE_UP, up);
        });
    }

    function place<T:flash.display.DisplayObject>(item:T, x:Float, y:Float):T {
        item.x = x;
        item.y = y;
        box.addChild(item);
        return item;
    }

    static function clamp(f:Float):Float {
        return f < 0 ? 0 : (f > 1 ? 1 : f);
    }
}
