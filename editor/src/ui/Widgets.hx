// The editor's buttons and fields by id (for the keyboard, the tests and the panels' updates), and
// their tab order: each part of the screen numbers its widgets from its own base, so the order
// follows the layout however often a part is built again.
package ui;

class Widgets {
    public var buttons(default, null) = new Map<String, Button>();
    public var inputs(default, null) = new Map<String, TextInput>();

    var next = 0;
    var group = 0;
    var groups = new Map<Int, Array<String>>();

    public function new() {}

    /** Starts numbering a part of the screen; its widgets from the last time are forgotten. */
    public function beginGroup(base:Int) {
        group = base;
        next = base;
        if (groups.exists(base))
            for (id in groups.get(base)) {
                buttons.remove(id);
                inputs.remove(id);
            }
        groups.set(base, []);
    }

    public function button(b:Button):Button {
        buttons.set(b.id, b);
        b.tabEnabled = true;
        b.tabIndex = ++next;
        groups.get(group).push(b.id);
        return b;
    }

    public function input(t:TextInput):TextInput {
        inputs.set(t.id, t);
        t.field.tabIndex = ++next;
        groups.get(group).push(t.id);
        return t;
    }

    public function setSelected(id:String, on:Bool) {
        if (buttons.exists(id))
            buttons.get(id).selected = on;
    }

    public function setEnabled(id:String, on:Bool) {
        if (buttons.exists(id))
            buttons.get(id).enabled = on;
    }
}
