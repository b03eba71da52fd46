// The drawn icons of the caption buttons, the arranging and zoom buttons and the layer switches.
import flash.display.Sprite;

class Icons {
    public static function minimize(s:Sprite, ink:Int) {
        s.graphics.lineStyle(1.5, ink);
        s.graphics.moveTo(-5, 4);
        s.graphics.lineTo(5, 4);
    }

    public static function maximize(s:Sprite, ink:Int) {
        s.graphics.lineStyle(1.5, ink);
        s.graphics.drawRect(-5, -5, 10, 9);
    }

    public static function restore(s:Sprite, ink:Int) {
        s.graphics.lineStyle(1.5, ink);
        s.graphics.drawRect(-5, -2, 8, 7);
        s.graphics.moveTo(-2, -2);
        s.graphics.lineTo(-2, -5);
        s.graphics.lineTo(6, -5);
        s.graphics.lineTo(6, 2);
        s.graphics.lineTo(3, 2);
    }

    public static function close(s:Sprite, ink:Int) {
        s.graphics.lineStyle(1.5, ink);
        s.graphics.moveTo(-5, -5);
        s.graphics.lineTo(5, 5);
        s.graphics.moveTo(5, -5);
        s.graphics.lineTo(-5, 5);
    }

    /** Lines elements up on a side or centre line: a line and two bars of different lengths. */
    public static function align(how:String):Sprite->Int->Void {
        return function(s:Sprite, ink:Int) {
            var g = s.graphics;
            var vertical = how == "left" || how == "center" || how == "right";
            g.lineStyle(1.5, ink);
            var at = switch (how) {
                case "left" | "top": -7;
                case "right" | "bottom": 7;
                default: 0;
            };
            if (vertical) {
                g.moveTo(at, -8);
                g.lineTo(at, 8);
            } else {
                g.moveTo(-8, at);
                g.lineTo(8, at);
            }
            g.lineStyle();
            g.beginFill(ink, 0.8);
            for (bar in [{lead: -5, len: 12.0}, {lead: 1, len: 7.0}]) {
                var start = switch (how) {
                    case "left" | "top": -6.0;
                    case "right" | "bottom": 6 - bar.len;
                    default: -bar.len / 2;
                };
                if (vertical)
                    g.drawRect(start, bar.lead, bar.len, 4);
                else
                    g.drawRect(bar.lead, start, 4, bar.len);
            }
            g.endFill();
        };
    }

    /** Spreads elements evenly: three bars with equal gaps between two end lines. */
    public static function distribute(horizontal:Bool):Sprite->Int->Void {
        return function(s:Sprite, ink:Int) {
            var g = s.graphics;
            g.lineStyle(1.5, ink);
            if (horizontal) {
                g.moveTo(-8, -7);
                g.lineTo(-8, 7);
                g.moveTo(8, -7);
                g.lineTo(8, 7);
            } else {
                g.moveTo(-7, -8);
                g.lineTo(7, -8);
                g.moveTo(-7, 8);
                g.lineTo(7, 8);
            }
            g.lineStyle();
            g.beginFill(ink, 0.8);
            for (at in [-5.5, -1.5, 2.5])
                if (horizontal)
                    g.drawRect(at, -4, 3, 8);
                else
                    g.drawRect(-4, at, 8, 3);
            g.endFill();
        };
    }

    /** Aligning to the banner: a frame with a bar inside it. */
    /** Two boxes inside a dashed frame (group), or the frame broken open (ungroup). */
    public static function group(together:Bool):Sprite->Int->Void {
        return function(s:Sprite, ink:Int) {
            var g = s.graphics;
            g.lineStyle();
            g.beginFill(ink, 0.8);
            g.drawRect(-6, -5, 6, 5);
            g.drawRect(1, 1, 6, 5);
            g.endFill();
            g.lineStyle(1, ink);
            var corners = [[-9, -8, 1, 1], [9, -8, -1, 1], [-9, 8, 1, -1], [9, 8, -1, -1]];
            for (c in corners) {
                var l = together ? 4 : 2;
                g.moveTo(c[0], c[1] + c[3] * l);
                g.lineTo(c[0], c[1]);
                g.lineTo(c[0] + c[2] * l, c[1]);
            }
        };
    }

    public static function toBanner(s:Sprite, ink:Int) {
        s.graphics.lineStyle(1.5, ink);
        s.graphics.drawRect(-8, -6, 16, 12);
        s.graphics.lineStyle();
        s.graphics.beginFill(ink, 0.8);
        s.graphics.drawRect(-6, -2, 7, 4);
        s.graphics.endFill();
    }

    public static function zoomIn(s:Sprite, ink:Int) {
        lens(s, ink);
        s.graphics.moveTo(-4, -2);
        s.graphics.lineTo(2, -2);
        s.graphics.moveTo(-1, -5);
        s.graphics.lineTo(-1, 1);
    }

    public static function zoomOut(s:Sprite, ink:Int) {
        lens(s, ink);
        s.graphics.moveTo(-4, -2);
        s.graphics.lineTo(2, -2);
    }

    static function lens(s:Sprite, ink:Int) {
        var g = s.graphics;
        g.lineStyle(1.5, ink);
        g.drawCircle(-1, -2, 5.5);
        g.moveTo(3, 2);
        g.lineTo(7, 6);
    }

    /** Fitting in: four corners. */
    public static function fit(s:Sprite, ink:Int) {
        var g = s.graphics;
        g.lineStyle(1.5, ink);
        for (c in [[-1, -1], [1, -1], [1, 1], [-1, 1]]) {
            g.moveTo(c[0] * 7, c[1] * 3);
            g.lineTo(c[0] * 7, c[1] * 6);
            g.lineTo(c[0] * 4, c[1] * 6);
        }
    }

    public static function grid(s:Sprite, ink:Int) {
        var g = s.graphics;
        g.lineStyle(1, ink);
        for (i in 0...4) {
            var v = -6 + i * 4;
            g.moveTo(v, -7);
            g.lineTo(v, 7);
            g.moveTo(-7, v);
            g.lineTo(7, v);
        }
    }

    /** An eye: shown in the editor. */
    public static function eye(s:Sprite, ink:Int) {
        var g = s.graphics;
        g.lineStyle(1.2, ink);
        g.moveTo(-6, 0);
        g.curveTo(0, -6, 6, 0);
        g.curveTo(0, 6, -6, 0);
        g.beginFill(ink);
        g.drawCircle(0, 0, 1.8);
        g.endFill();
    }

    /** The eye struck through: hidden in the editor. */
    public static function eyeShut(s:Sprite, ink:Int) {
        eye(s, ink);
        s.graphics.lineStyle(1.5, ink);
        s.graphics.moveTo(-6, 5);
        s.graphics.lineTo(6, -5);
    }

    /** A padlock. */
    public static function lock(s:Sprite, ink:Int) {
        var g = s.graphics;
        g.lineStyle(1.2, ink);
        g.moveTo(-3, -1);
        g.lineTo(-3, -4);
        g.curveTo(0, -7, 3, -4);
        g.lineTo(3, -1);
        g.lineStyle();
        g.beginFill(ink);
        g.drawRect(-5, -1, 10, 7);
        g.endFill();
    }

    /** An open padlock (unlocked), faint. */
    public static function unlocked(s:Sprite, ink:Int) {
        var g = s.graphics;
        g.lineStyle(1.2, ink, 0.5);
        g.moveTo(-3, -1);
        g.lineTo(-3, -4);
        g.curveTo(0, -7, 3, -4);
        g.lineStyle(1.2, ink, 0.5);
        g.drawRect(-5, -1, 10, 7);
    }
}
