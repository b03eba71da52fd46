// The drawn icons of the caption buttons.
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
}
