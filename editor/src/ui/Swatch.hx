// A colour swatch button: a filled square, ringed when it is the chosen colour; the swatch for no
// colour is white, struck through in red; the one that opens the colour picker shows the hues.
package ui;

class Swatch extends Button {
    public var colour(default, null):Int;

    public function new(id:String, colour:Int, action:Void->Void) {
        this.colour = colour;
        super(id, null, action, 22, 22);
    }

    /** Opens the colour picker: a strip of hues. */
    public static function picker(id:String, action:Void->Void):Swatch {
        return new Swatch(id, -2, action);
    }

    /** The choice of no colour at all. */
    public static function none(id:String, action:Void->Void):Swatch {
        return new Swatch(id, -1, action);
    }

    override function redraw() {
        var g = graphics;
        g.clear();
        g.lineStyle(selected ? 2 : 1, selected ? Theme.ACCENT : (hover ? Theme.MUTED : Theme.PANEL_LINE));
        g.beginFill(colour < 0 ? 0xFFFFFF : colour);
        g.drawRect(1, 1, 20, 20);
        g.endFill();
        if (colour == -2) {
            g.lineStyle();
            var hues = [0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF];
            for (i in 0...hues.length) {
                g.beginFill(hues[i]);
                g.drawRect(2 + i * 3, 2, i == hues.length - 1 ? 18 - i * 3 : 3, 18);
                g.endFill();
            }
        } else if (colour < 0) {
            g.lineStyle(2, Theme.ERROR);
            g.moveTo(4, 18);
            g.lineTo(18, 4);
        }
    }
}
