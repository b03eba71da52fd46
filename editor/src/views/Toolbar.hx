// The toolbar under the caption strip: file commands, undo and redo, publish, help, and the
// editor's language.
package views;

import flash.display.Sprite;
import ui.Button;
import ui.Theme;
import ui.Widgets;

class Toolbar extends Sprite {
    public static inline var HEIGHT = 42;

    var widgets:Widgets;
    var languageButtons:Array<Button> = [];
    var barWidth:Float = 800;

    public function new(widgets:Widgets, commandButton:(String, String, Float) -> Button, chooseLanguage:String->Void) {
        super();
        this.widgets = widgets;
        widgets.beginGroup(1000);
        var x = 8.0;
        for (spec in [
            {cmd: "new", gap: 0}, {cmd: "open", gap: 0}, {cmd: "recent", gap: 0}, {cmd: "save", gap: 0}, {cmd: "saveAs", gap: 14},
            {cmd: "undo", gap: 0}, {cmd: "redo", gap: 14},
            {cmd: "publish", gap: 14}, {cmd: "help", gap: 0}
        ]) {
            var b = commandButton("toolbar." + spec.cmd, spec.cmd, 0);
            b.x = x;
            b.y = 7;
            addChild(b);
            x += b.buttonWidth + 6 + spec.gap;
        }
        for (i in 0...Strings.LANGUAGES.length) {
            var code = Strings.LANGUAGES[i];
            var b = widgets.button(new Button("lang." + code, Strings.LANGUAGE_NAMES[i], function() chooseLanguage(code), 36, 28));
            b.selected = code == Strings.language;
            b.y = 7;
            languageButtons.push(b);
            addChild(b);
        }
    }

    public function setWidth(w:Float) {
        barWidth = w;
        var g = graphics;
        g.clear();
        g.beginFill(Theme.PANEL);
        g.drawRect(0, 0, w, HEIGHT);
        g.endFill();
        g.lineStyle(1, Theme.PANEL_LINE);
        g.moveTo(0, HEIGHT - 0.5);
        g.lineTo(w, HEIGHT - 0.5);
        var x = w - 8;
        var i = languageButtons.length - 1;
        while (i >= 0) {
            x -= languageButtons[i].buttonWidth;
            languageButtons[i].x = x;
            x -= 4;
            i--;
        }
    }
}
