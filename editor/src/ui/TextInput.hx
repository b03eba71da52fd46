// A labelled, editable one-line (or multi-line) text field.
package ui;

import flash.display.Sprite;
import flash.events.Event;
import flash.events.FocusEvent;
import flash.text.TextField;
import flash.text.TextFieldType;

class TextInput extends Sprite {
    public var id(default, null):String;
    public var field(default, null):TextField;
    public var onChange:Void->Void;
    /** Run when the field loses the keyboard focus. */
    public var onLeave:Void->Void;

    public function new(id:String, width:Float, lines:Int = 1, restrict:String = null, maxChars:Int = 0) {
        super();
        this.id = id;
        this.name = id;
        field = new TextField();
        field.type = TextFieldType.INPUT;
        field.defaultTextFormat = Theme.format(12, Theme.TEXT);
        field.border = true;
        field.borderColor = Theme.PANEL_LINE;
        field.background = true;
        field.backgroundColor = Theme.FIELD;
        field.multiline = lines > 1;
        field.wordWrap = lines > 1;
        field.width = width;
        field.height = 6 + 16 * lines;
        if (restrict != null)
            field.restrict = restrict;
        if (maxChars > 0)
            field.maxChars = maxChars;
        field.addEventListener(Event.CHANGE, function(_) changed());
        field.addEventListener(FocusEvent.FOCUS_OUT, function(_) if (onLeave != null) onLeave());
        addChild(field);
    }

    public var text(get, set):String;

    function get_text():String {
        // Text fields keep line breaks as carriage returns; the project stores line feeds.
        return StringTools.replace(field.text, "\r", "\n");
    }

    function set_text(v:String):String {
        field.text = v == null ? "" : v;
        return v;
    }

    /** Sets the text as if the user had typed it, notifying the listener. */
    public function typeText(v:String) {
        text = v;
        changed();
    }

    public function setWidth(v:Float) {
        field.width = v;
    }

    function changed() {
        if (onChange != null)
            onChange();
    }
}
