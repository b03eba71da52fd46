// A small movie for the SWF tests: one shape and one text field on the stage.
class Main {
    static function main() {
        var shape = new flash.display.Sprite();
        shape.graphics.beginFill(0x336699);
        shape.graphics.drawRect(0, 0, 100, 50);
        flash.Lib.current.addChild(shape);
        var label = new flash.text.TextField();
        label.text = "Pennoria";
        flash.Lib.current.addChild(label);
    }
}
