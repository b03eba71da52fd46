// A colour swatch button: a filled square, ringed when it is the chosen colour.
package ui;

class Swatch extends Button {
    public var colour(default, null):Int;

    public function new(id:String, colour:Int, action:Void->Void) {
        this.colour = colour;
        super(id, null, action, 22, 22);
    }

    override function redraw() {
        var g = graphics;
        g.clear();
        g.lineStyle(selected ? 2 : 1, selected ? Theme.ACCENT : (hover ? Theme.MUTED : Theme.PANEL_LINE));
        g.beginFill(colour);
        g.drawRect(1, 1, 20, 20);
        g.endFill();
    }
}
