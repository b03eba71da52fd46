// The projects opened and saved last, newest first: one opens with a click, a file that is gone
// is shown as such, and any of them can be taken off the list.
package dialogs;

import ui.Button;
import ui.Modal;
import ui.Theme;
import ui.Widgets;

typedef RecentProject = {path:String, missing:Bool};

class RecentDialog extends Modal {
    static inline var BOX_W = 560;
    static inline var ROW_H = 30;

    public var focusFirst(default, null):Button;

    public function new(projects:Array<RecentProject>, widgets:Widgets, open:String->Void, forget:String->Void, close:Modal->Void) {
        super(Strings.RECENT_TITLE, BOX_W, 40 + Math.max(1, projects.length) * ROW_H + 60);
        name = "recent";
        widgets.beginGroup(9600);
        var y = 42.0;
        if (projects.length == 0) {
            var none = Theme.paragraph(Strings.RECENT_NONE, BOX_W - 30, 12, Theme.MUTED);
            none.x = 15;
            none.y = y + 4;
            box.addChild(none);
        }
        var removeW = Math.max(90, Theme.textWidth(Strings.RECENT_REMOVE) + 20);
        for (i in 0...projects.length) {
            var p = projects[i];
            var label = Paths.fileName(p.path) + "  \u2014  " + folderOf(p.path);
            if (p.missing)
                label = Strings.format(Strings.RECENT_MISSING, [label]);
            var b = widgets.button(new Button("recent.open." + i, label, function() {
                close(this);
                open(p.path);
            }, BOX_W - 30 - removeW - 8, 26));
            b.elide();
            b.enabled = !p.missing;
            b.x = 15;
            b.y = y;
            box.addChild(b);
            if (focusFirst == null && b.enabled)
                focusFirst = b;
            var r = widgets.button(new Button("recent.forget." + i, Strings.RECENT_REMOVE, function() {
                close(this);
                forget(p.path);
            }, removeW, 26));
            r.x = BOX_W - 15 - removeW;
            r.y = y;
            box.addChild(r);
            y += ROW_H;
        }
        var closeButton = widgets.button(new Button("recent.close", Strings.CLOSE, function() close(this), 90));
        addButtonRow([closeButton]);
        if (focusFirst == null)
            focusFirst = closeButton;
        else
            // Return opens the newest project that is still there.
            buttons.unshift(focusFirst);
        onEscape = function() close(this);
    }

    static function folderOf(path:String):String {
        var slash = path.lastIndexOf("/");
        return slash <= 0 ? "/" : path.substr(0, slash);
    }

    /** The host's list: a line per project, "present" or "missing", a tab, the path. */
    public static function parse(text:String):Array<RecentProject> {
        var list:Array<RecentProject> = [];
        if (text == null)
            return list;
        for (line in text.split("\n")) {
            var tab = line.indexOf("\t");
            if (tab <= 0 || tab == line.length - 1)
                continue;
            list.push({path: line.substr(tab + 1), missing: line.substr(0, tab) == "missing"});
        }
        return list;
    }
}
