// A clickable button: a text label or a drawn icon, hover and press states, optional selected state.
package ui;

import flash.display.Sprite;
import flash.events.KeyboardEvent;
import flash.events.MouseEvent;
import flash.text.TextField;

class Button extends Sprite {
    public var id(default, null):String;
    public var enabled(default, set):Bool = true;
    public var selected(default, set):Bool = false;
    public var onClick:Void->Void;

    var caption:TextField;
    /** The caption's whole text (the caption may show it shortened). */
    var fullText:String = "";
    var w:Float;
    var h:Float;
    var hover = false;
    var down = false;
    var drawIcon:Sprite->Int->Void;
    var plain:Bool;

    /** A text button; width 0 fits the text. */
    public function new(id:String, text:String, action:Void->Void, width:Float = 0, height:Float = 26, plain:Bool = false) {
        super();
        this.id = id;
        this.name = id;
        this.onClick = action;
        this.plain = plain;
        h = height;
        if (text != null) {
            caption = Theme.label(text, 12, Theme.TEXT);
            fullText = text;
            addChild(caption);
            w = width > 0 ? width : caption.width + 20;
        } else {
            w = width;
        }
        buttonMode = true;
        useHandCursor = true;
        mouseChildren = false;
        addEventListener(MouseEvent.MOUSE_OVER, function(_) { hover = true; redraw(); });
        addEventListener(MouseEvent.MOUSE_OUT, function(_) { hover = false; down = false; redraw(); });
        addEventListener(MouseEvent.MOUSE_DOWN, function(_) { down = true; redraw(); });
        addEventListener(MouseEvent.MOUSE_UP, function(_) { down = false; redraw(); });
        addEventListener(MouseEvent.CLICK, function(_) { press(); });
        // Space and Return press the button that has the keyboard focus.
        addEventListener(KeyboardEvent.KEY_DOWN, function(e:KeyboardEvent) {
            if ((e.keyCode == 32 || e.keyCode == 13) && !e.ctrlKey && !e.altKey) {
                press();
                e.stopPropagation();
            }
        });
        redraw();
    }

    /**
     * A button drawn by a function given the sprite and the colour to draw with: plain for the
     * caption strip, else framed like a text button.
     */
    public static function icon(id:String, width:Float, height:Float, draw:Sprite->Int->Void, action:Void->Void, plain:Bool = true):Button {
        var b = new Button(id, null, action, width, height, plain);
        b.drawIcon = draw;
        b.redraw();
        return b;
    }

    public function setIcon(draw:Sprite->Int->Void) {
        drawIcon = draw;
        redraw();
    }

    /** Runs the action as a click does; false when the button cannot be used now. */
    public function press():Bool {
        if (!enabled || !visible || onClick == null)
            return false;
        onClick();
        return true;
    }

    /** The caption shown (empty for an icon). */
    public var text(get, never):String;

    function get_text():String {
        return caption == null ? "" : fullText;
    }

    public function setText(text:String) {
        if (caption != null) {
            caption.text = text;
            fullText = text;
            redraw();
        }
    }

    public function setWidth(width:Float) {
        w = width;
        redraw();
    }

    /** Shortens the caption with an ellipsis when it is wider than the button (names in lists). */
    public function elide() {
        if (caption == null || caption.width <= w - 8)
            return;
        caption.autoSize = flash.text.TextFieldAutoSize.NONE;
        caption.width = w - 8;
        Theme.elide(caption, fullText);
        caption.autoSize = flash.text.TextFieldAutoSize.LEFT;
        redraw();
    }

    public var buttonWidth(get, never):Float;

    function get_buttonWidth():Float {
        return w;
    }

    // Drawn again only when the state changes: every change of the banner sets them all.
    function set_enabled(v:Bool):Bool {
        if (v == enabled)
            return v;
        enabled = v;
        buttonMode = v;
        redraw();
        return v;
    }

    function set_selected(v:Bool):Bool {
        if (v == selected)
            return v;
        selected = v;
        redraw();
        return v;
    }

    function redraw() {
        if (w == 0 && h == 0)
            return;
        var g = graphics;
        g.clear();
        var fill = selected ? Theme.BUTTON_SELECTED : (down ? Theme.BUTTON_DOWN : (hover ? Theme.BUTTON_HOVER : Theme.BUTTON));
        var ink = !enabled ? 0xA0A6B3 : (selected ? 0xFFFFFF : Theme.TEXT);
        if (plain) {
            g.beginFill(hover ? 0xFFFFFF : 0x000000, hover ? (down ? 0.35 : 0.2) : 0);
            g.drawRect(0, 0, w, h);
            g.endFill();
            ink = 0xFFFFFF;
        } else {
            g.lineStyle(1, selected ? Theme.BUTTON_SELECTED : Theme.PANEL_LINE);
            g.beginFill(fill, enabled ? 1 : 0.6);
            g.drawRoundRect(0, 0, w, h, 6, 6);
            g.endFill();
        }
        if (caption != null) {
            caption.textColor = ink;
            caption.x = Math.round((w - caption.width) / 2);
            caption.y = Math.round((h - caption.height) / 2);
        }
        if (drawIcon != null) {
            while (numChildren > 0)
                removeChildAt(0);
            var s = new Sprite();
            drawIcon(s, ink);
            s.x = Math.round(w / 2);
            s.y = Math.round(h / 2);
            addChild(s);
        }
    }
}
