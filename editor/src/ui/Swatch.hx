// A colour swatch button: a filled square, ringed when it is the chosen colour; the swatch for no
// colour is white, struck through in red.
package ui;

class Swatch extends Button {
    public var colour(default, null):Int;

    public function new(id:String, colour:Int, action:Void->Void) {
        this.colour = colour;
        super(id, null, action, 22, 22);
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
        if (colour < 0) {
            g.lineStyle(2, Theme.ERROR);
            g.moveTo(4, 18);
            g.lineTo(18, 4);
        }
    }
}
