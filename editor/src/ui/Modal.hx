// A modal box over a dimmed editor: the base of questions, messages and the publish panel.
package ui;

import flash.display.Sprite;
import flash.text.TextField;

class Modal extends Sprite {
    public var box(default, null):Sprite;
    public var boxWidth(default, null):Float;
    public var boxHeight(default, null):Float;
    public var buttons(default, null):Array<Button> = [];
    /** Run when Escape is pressed or the box is dismissed without a choice. */
    public var onEscape:Void->Void;

    public function new(title:String, boxWidth:Float, boxHeight:Float) {
        super();
        this.boxWidth = boxWidth;
        this.boxHeight = boxHeight;
        box = new Sprite();
        var g = box.graphics;
        g.lineStyle(1, Theme.PANEL_LINE);
        g.beginFill(Theme.PANEL);
        g.drawRoundRect(0, 0, boxWidth, boxHeight, 10, 10);
        g.endFill();
        g.lineStyle();
        g.beginFill(Theme.CAPTION);
        g.drawRoundRectComplex(0, 0, boxWidth, 30, 5, 5, 0, 0);
        g.endFill();
        var t = Theme.label(title, 13, Theme.CAPTION_TEXT, true);
        t.x = 12;
        t.y = 6;
        box.addChild(t);
        addChild(box);
    }

    /** Dims the area and centres the box in it. */
    public function layout(width:Float, height:Float) {
        graphics.clear();
        graphics.beginFill(0x101420, 0.45);
        graphics.drawRect(0, 0, width, height);
        graphics.endFill();
        box.x = Math.max(0, Math.round((width - boxWidth) / 2));
        box.y = Math.max(0, Math.round((height - boxHeight) / 2));
    }

    /** Adds a row of buttons at the bottom right of the box, the first one on the left. */
    public function addButtonRow(row:Array<Button>) {
        var x = boxWidth - 12;
        var i = row.length - 1;
        while (i >= 0) {
            var b = row[i];
            x -= b.buttonWidth;
            b.x = x;
            b.y = boxHeight - 12 - 26;
            box.addChild(b);
            x -= 8;
            i--;
        }
        for (b in row)
            buttons.push(b);
    }

    public function findButton(id:String):Button {
        for (b in buttons)
            if (b.id == id)
                return b;
        return null;
    }

    /** A question or message with its buttons; each button closes the box before running its action. */
    public static function message(title:String, text:String, choices:Array<{id:String, label:String, action:Void->Void}>, close:Modal->Void):Modal {
        var body:TextField = Theme.paragraph(text, 380, 12, Theme.TEXT);
        var height = Math.max(130, body.height + 30 + 20 + 50);
        var m = new Modal(title, 410, height);
        body.x = 15;
        body.y = 42;
        m.box.addChild(body);
        var row = [];
        for (c in choices) {
            var action = c.action;
            row.push(new Button(c.id, c.label, function() {
                close(m);
                if (action != null)
                    action();
            }, Math.max(96, Theme.textWidth(c.label) + 20)));
        }
        m.addButtonRow(row);
        m.messageText = text;
        return m;
    }

    public var messageText:String = "";
}
