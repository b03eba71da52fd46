// The strip over the canvas: align the selection (left, centre, right, top, middle, bottom),
// distribute it, whether to align on the banner, group and ungroup it, zoom out, fit and zoom in, and the grid. Each is
// a command of the table, drawn as an icon.
package views;

import flash.display.Sprite;
import ui.Button;
import ui.Theme;

class ArrangeBar extends Sprite {
    public static inline var HEIGHT = 32;
    static inline var BUTTON = 26;

    var barWidth:Float = 400;
    var right:Array<Button> = [];

    public function new(commandIcon:(String, String, Sprite->Int->Void) -> Button) {
        super();
        var x = 6.0;
        for (spec in [
            {cmd: "alignLeft", icon: Icons.align("left"), gap: 0}, {cmd: "alignCenter", icon: Icons.align("center"), gap: 0},
            {cmd: "alignRight", icon: Icons.align("right"), gap: 6}, {cmd: "alignTop", icon: Icons.align("top"), gap: 0},
            {cmd: "alignMiddle", icon: Icons.align("middle"), gap: 0}, {cmd: "alignBottom", icon: Icons.align("bottom"), gap: 6},
            {cmd: "distributeH", icon: Icons.distribute(true), gap: 0}, {cmd: "distributeV", icon: Icons.distribute(false), gap: 6},
            {cmd: "alignToBanner", icon: Icons.toBanner, gap: 6}, {cmd: "group", icon: Icons.group(true), gap: 0},
            {cmd: "ungroup", icon: Icons.group(false), gap: 0}
        ]) {
            var b = commandIcon("arrange." + spec.cmd, spec.cmd, spec.icon);
            b.x = x;
            b.y = 3;
            addChild(b);
            x += BUTTON + 2 + spec.gap;
        }
        for (spec in [
            {cmd: "zoomOut", icon: Icons.zoomOut}, {cmd: "zoomFit", icon: Icons.fit}, {cmd: "zoomIn", icon: Icons.zoomIn},
            {cmd: "grid", icon: Icons.grid}
        ]) {
            var b = commandIcon("arrange." + spec.cmd, spec.cmd, spec.icon);
            b.y = 3;
            addChild(b);
            right.push(b);
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
        var x = w - 6;
        var i = right.length - 1;
        while (i >= 0) {
            x -= BUTTON;
            right[i].x = x;
            x -= i == right.length - 1 ? 8 : 2;
            i--;
        }
    }
}
