// Unit tests of the editor's session, commands, texts and publishing rules, run by Haxe's interpreter
// (no player needed).
import BannerDocument;

class EditorUnitTests {
    static var passed = 0;
    static var failed = 0;

    static function check(what:String, ok:Bool, ?detail:String) {
        if (ok) {
            passed++;
        } else {
            failed++;
            Sys.println("FAIL: " + what + (detail != null ? " (" + detail + ")" : ""));
        }
    }

    static function same<T>(what:String, expected:T, actual:T) {
        check(what, expected == actual, "expected <" + Std.string(expected) + "> got <" + Std.string(actual) + ">");
    }

    static function main() {
        undoAndRedoOfSeveralKindsOfChange();
        aGestureAndTypingAreOneStep();
        everyStepComesBackWholeThroughSharedSteps();
        theHistoryKeepsTheLastStepsOnly();
        dirtyFollowsTheUndoPosition();
        commandsAreEnabledWhenTheyCanRun();
        aProjectPastALimitIsOnlyShown();
        automaticLayoutAndCopiedLayouts();
        everyLanguageHasEveryText();
        everyReaderAppliesTheSameRules();
        publishRules();
        formatting();
        relativeImages();
        picturesComeFromFilesWithinTheBudget();
        severalElementsAtOnce();
        groups();
        palette();
        EditGeometryTests.run(check);
        Sys.println(passed + " passed, " + failed + " failed");
        Sys.exit(failed == 0 ? 0 : 1);
    }

    static function undoAndRedoOfSeveralKindsOfChange() {
        var s = new EditorSession(BannerDocument.blank(300, 250));
        var blank = s.doc.toXml();
        var text = Edits.add(s, Text);
        same("an added text is selected", text.id, s.selected);
        Edits.element(s, "colour", function(e) e.color = 0x123456);
        Edits.add(s, Shape, "ellipse");
        Edits.move(s, false);
        same("the ellipse went below the text", "ellipse", s.doc.elements[0].shapeKind);
        check("a size is added", Edits.addSize(s, 728, 90));
        same("the new size is edited", 1, s.sizeIndex);
        check("the text has a place at the new size", s.doc.sizes[1].places.exists(text.id));
        var full = s.doc.toXml();
        var steps = 0;
        while (s.canUndo) {
            s.undo();
            steps++;
        }
        same("five steps", 5, steps);
        same("undone back to the blank banner", blank, s.doc.toXml());
        same("no size index beyond the sizes", 0, s.sizeIndex);
        while (s.canRedo)
            s.redo();
        same("redone to the end", full, s.doc.toXml());
        s.undo();
        Edits.banner(s, "background", function(d) d.background = 0xFF0000);
        check("a new step drops what could be redone", !s.canRedo);
        same("the element's colour came back with redo", 0x123456, s.doc.find(text.id).color);
        // A step that changes nothing is no step.
        var depth = s.undoDepth();
        Edits.banner(s, "background", function(d) d.background = 0xFF0000);
        same("an unchanged value adds no step", depth, s.undoDepth());
        Edits.delete(s);
        Edits.delete(s);
        Edits.delete(s);
        same("deleting everything leaves nothing selected", null, s.selected);
        same("all deleted", 0, s.doc.elements.length);
        s.undo();
        same("undoing a delete brings the element back", 1, s.doc.elements.length);
    }

    static function aGestureAndTypingAreOneStep() {
        var s = new EditorSession(BannerDocument.blank(300, 250));
        var e = Edits.add(s, Button);
        var before = s.undoDepth();
        var x0 = e.x;
        s.beginGesture("drag");
        for (i in 0...20)
            s.change("move", function() {
                var b = s.doc.box(e, 0);
                b.x += 1;
                s.doc.setBox(e, 0, b);
            });
        check("dirty during the drag", s.dirty);
        s.endGesture();
        same("a drag is one step", before + 1, s.undoDepth());
        for (t in ["B", "Bu", "Buy", "Buy now"])
            Edits.element(s, "label", function(el) el.label = t, "label");
        Edits.element(s, "label", function(el) el.label = "Buy now!", "label");
        check("undo is offered while typing", s.canUndo);
        Edits.element(s, "url", function(el) el.url = "https://example.org/", "url");
        s.settle();
        same("typing in one field is one step, another field the next", before + 3, s.undoDepth());
        s.undo();
        same("undo takes back the other field", "", s.doc.find(e.id).url);
        s.undo();
        same("then the whole label", "Click here", s.doc.find(e.id).label);
        s.undo();
        same("then the whole drag", x0, s.doc.find(e.id).x);
        // A gesture left open (the pointer released outside) ends at undo.
        s.beginGesture("drag");
        s.change("move", function() s.doc.find(e.id).x = 77);
        s.undo();
        check("an open gesture is closed and undone", s.doc.find(e.id).x != 77);
    }

    // Steps that touch one element, several, a place at another size, the list itself and the
    // banner, mixed: undo walks back through every document exactly, and redo forward again.
    static function everyStepComesBackWholeThroughSharedSteps() {
        var s = new EditorSession(BannerDocument.blank(300, 250));
        var seen = [s.doc.toXml()];
        function step(run:Void->Void) {
            var depth = s.undoDepth();
            run();
            s.settle();
            if (s.undoDepth() != depth)
                seen.push(s.doc.toXml());
        }
        var shapes = [for (i in 0...6) {
            var e:BannerElement = null;
            step(function() e = Edits.add(s, Shape, i % 2 == 0 ? "rect" : "ellipse"));
            e;
        }];
        var text:BannerElement = null;
        step(function() text = Edits.add(s, Text));
        step(function() Edits.addSize(s, 728, 90));
        for (round in 0...3) {
            for (i in 0...shapes.length) {
                var e = shapes[i];
                if (s.doc.find(e.id) == null)
                    continue;
                s.select(e.id);
                step(function() Edits.element(s, "fill", function(el) el.fill = 0x100000 * round + i));
                // A place at the size being edited (the second), then the element's own geometry.
                step(function() Edits.element(s, "x", function(el) {
                    var b = s.doc.box(el, s.sizeIndex);
                    b.x += 3 + round;
                    s.doc.setBox(el, s.sizeIndex, b);
                }));
            }
            s.selectAll([shapes[1].id, shapes[3].id, text.id]);
            step(function() {
                s.beginGesture("drag");
                for (k in 0...4)
                    s.change("move", function() for (el in s.selectedElements()) {
                        var b = s.doc.box(el, 0);
                        b.y += 1;
                        s.doc.setBox(el, 0, b);
                    }, s.selectedElements());
                s.endGesture();
            });
            step(function() Edits.element(s, "label", function(el) el.label = "round " + round, "label"));
            step(function() Edits.move(s, round % 2 == 0));
            s.select(shapes[round].id);
            step(function() Edits.delete(s));
            step(function() Edits.duplicate(s));
            step(function() Edits.banner(s, "background", function(d) d.background = 0x222222 * (round + 1)));
            step(function() Edits.layer(s, text.id, "lock", function(el) el.locked = !el.locked));
        }
        step(function() Edits.removeSize(s));
        check("the steps were all recorded", seen.length > 40, Std.string(seen.length));
        var i = seen.length - 1;
        var walked = true;
        while (s.canUndo) {
            s.undo();
            i--;
            if (i < 0 || s.doc.toXml() != seen[i]) {
                walked = false;
                break;
            }
        }
        check("undo passes through every step back to the start", walked && i == 0, "at step " + i);
        var forward = true;
        while (s.canRedo) {
            s.redo();
            i++;
            if (s.doc.toXml() != seen[i]) {
                forward = false;
                break;
            }
        }
        check("redo passes through every step to the end", forward && i == seen.length - 1, "at step " + i);
        // A step taken after undoing, on an element the undone steps had changed.
        for (k in 0...5)
            s.undo();
        var kept = s.doc.toXml();
        s.select(s.doc.elements[0].id);
        Edits.element(s, "opacity", function(el) el.opacity = 0.5);
        s.undo();
        same("a new step after undoing is undone to where it started", kept, s.doc.toXml());
    }

    static function theHistoryKeepsTheLastStepsOnly() {
        var s = new EditorSession(BannerDocument.blank(300, 250));
        for (i in 0...EditorSession.MAX_STEPS + 30)
            Edits.banner(s, "length", function(d) d.length = 1000 + i * 10);
        same("at most MAX_STEPS steps", EditorSession.MAX_STEPS, s.undoDepth());
        check("at least 100 steps", EditorSession.MAX_STEPS >= 100);
        while (s.canUndo)
            s.undo();
        same("the oldest steps were forgotten", 1000 + 29 * 10, s.doc.length);
        check("forgotten steps leave the project unsaved", s.dirty);
    }

    static function dirtyFollowsTheUndoPosition() {
        var s = new EditorSession(BannerDocument.blank(300, 250));
        check("a new banner is clean", !s.dirty);
        Edits.add(s, Text);
        check("a change makes it dirty", s.dirty);
        s.undo();
        check("undone to the opened state: clean", !s.dirty);
        s.redo();
        s.markSaved();
        check("saved: clean", !s.dirty);
        Edits.element(s, "size", function(e) e.size = 40);
        check("changed after saving: dirty", s.dirty);
        s.undo();
        check("undone to the saved state: clean", !s.dirty);
        s.undo();
        check("undone past the saved state: dirty", s.dirty);
        s.redo();
        check("redone to the saved state: clean", !s.dirty);
        s.select(null);
        check("a selection changes nothing", !s.dirty);
        Edits.banner(s, "link", function(d) d.link = "https://x.org/", "link");
        check("typing makes it dirty at once", s.dirty);
        s.forgetSaved();
        s.undo();
        check("a dropped file leaves every state unsaved", s.dirty);
    }

    // A size laid out again by the command is the automatic layout, one undo step; copying a layout
    // goes to the sizes of a similar shape only.
    static function automaticLayoutAndCopiedLayouts() {
        var s = new EditorSession(BannerDocument.parse(LayoutTests.design("Summer sale", "Everything 30% off")));
        var host = new FakeHost(s);
        var c = new Commands(s, host);
        check("the first size is the design, not laid out", !c.isEnabled("relayoutSize"));
        Edits.addSize(s, 728, 90);
        Edits.addSize(s, 468, 60);
        Edits.addSize(s, 160, 600);
        s.selectSize(s.doc.sizeIndexFor(728, 90));
        var cta = s.doc.find("cta");
        var auto = s.doc.box(cta, s.sizeIndex);
        same("a new size is laid out automatically", SizeLayout.layout(s.doc, 0, 728, 90).get("cta").x, auto.x);
        s.change("move", function() s.doc.setBox(cta, s.sizeIndex, {x: 5, y: 5, width: 80, height: 30, fontSize: 12}));
        var depth = s.undoDepth();
        check("the automatic layout of a size", c.run("relayoutSize"));
        same("the button is back in its automatic place", auto.x, s.doc.box(cta, s.sizeIndex).x);
        same("one step", depth + 1, s.undoDepth());
        s.undo();
        same("undone", 5.0, s.doc.box(cta, s.sizeIndex).x);
        s.select("cta");
        check("copy the layout", c.run("copyLayout"));
        same("copied to the similar size only", "Layout copied to 468 \u00d7 60.", host.status);
        same("the place copied", BannerDocument.num(5 * 468 / 728), BannerDocument.num(s.doc.box(cta, s.doc.sizeIndexFor(468, 60)).x));
        check("the tall size untouched", s.doc.box(cta, s.doc.sizeIndexFor(160, 600)).x != 5);
        same("only the selected element", SizeLayout.layout(s.doc, 0, 468, 60).get("logo").x, s.doc.box(s.doc.find("logo"), s.doc.sizeIndexFor(468, 60)).x);
        s.selectSize(s.doc.sizeIndexFor(160, 600));
        c.run("copyLayout");
        same("no similar size", Strings.STATUS_NO_SIMILAR, host.status);
    }

    static function commandsAreEnabledWhenTheyCanRun() {
        var s = new EditorSession(BannerDocument.blank(300, 250));
        var host = new FakeHost(s);
        var c = new Commands(s, host);
        var ids = [for (command in c.list) command.id];
        for (id in ["new", "open", "save", "saveAs", "publish", "help", "undo", "redo", "addText", "addButton", "addImage", "addRect", "addEllipse",
            "delete", "duplicate", "forward", "backward", "addSize", "removeSize"])
            check("command " + id, ids.indexOf(id) >= 0);
        for (command in c.list)
            check("a label for " + command.id, Reflect.field(Strings, command.label) != null);
        check("nothing to undo yet", !c.isEnabled("undo"));
        check("nothing selected to delete", !c.isEnabled("delete") && !c.isEnabled("duplicate") && !c.isEnabled("forward"));
        check("the last size cannot go", !c.isEnabled("removeSize"));
        check("a disabled command does not run", !c.run("delete"));
        same("Ctrl+Shift+T adds a text", "addText", c.forKey("T".code, true, true).id);
        c.run(c.forKey("T".code, true, true).id);
        same("the text is there", 1, s.doc.elements.length);
        check("undo, delete and duplicate can run", c.isEnabled("undo") && c.isEnabled("delete") && c.isEnabled("duplicate"));
        check("one element cannot move", !c.isEnabled("forward") && !c.isEnabled("backward"));
        c.run("duplicate");
        check("the copy can go back", c.isEnabled("backward") && !c.isEnabled("forward"));
        same("Delete deletes", "delete", c.forKey(46, false, false).id);
        same("Ctrl+Z undoes", "undo", c.forKey("Z".code, true, false).id);
        same("Ctrl+Shift+Z redoes", "redo", c.forKey("Z".code, true, true).id);
        same("Ctrl+Y redoes", "redo", c.forKey("Y".code, true, false).id);
        same("F1 is help", "help", c.forKey(112, false, false).id);
        same("a plain letter is no command", null, c.forKey("Z".code, false, false));
        c.run("undo");
        check("redo after undo", c.isEnabled("redo"));
        host.acting = false;
        for (id in ["new", "save", "undo", "redo", "addText", "delete", "addSize"])
            check(id + " waits while a dialog is open", !c.isEnabled(id));
        check("help still works", c.isEnabled("help"));
        host.acting = true;
        c.run("addImage");
        same("an image is added from the chosen file", "/pics/a.png", s.doc.elements[s.doc.elements.length - 1].src);
        // Shortcuts are unique.
        var seen = new Map<String, String>();
        for (command in c.list)
            for (k in command.shortcut.split("|"))
                if (k != "") {
                    check("shortcut " + k + " only once", !seen.exists(k));
                    seen.set(k, command.id);
                }
    }

    // The picker's colours: each comes back whole from hue, saturation and value; the banner's
    // colours are offered each once, the most used first.
    static function palette() {
        for (c in [0x000000, 0xFFFFFF, 0xFF0000, 0x12AB34, 0x2F6FD6, 0xF2A900, 0xB3261E, 0x808080, 0xFF00FF, 0x00FFFF, 0x0000FE]) {
            var h = Palette.toHsv(c);
            same("round trip " + StringTools.hex(c, 6), StringTools.hex(c, 6), StringTools.hex(Palette.fromHsv(h[0], h[1], h[2]), 6));
        }
        same("green's hue", "120,1,1", Palette.toHsv(0x00FF00).join(","));
        same("magenta's hue", "300,1,1", Palette.toHsv(0xFF00FF).join(","));
        var doc = BannerDocument.parse('<template version="2" demoWidth="300" demoHeight="250" bgColor="#112233"><elements>'
            + '<shape id="a" fill="#FF0000" stroke="#00FF00"/><shape id="b" fill="none"/><image id="i" src="x.png"/>'
            + '<button id="c" fill="#FF0000" color="#112233"><label>Go</label></button><text id="t" color="#FF0000"><label>x</label></text>'
            + '</elements></template>');
        same("most used first", "FF0000,112233,00FF00", [for (c in Palette.usedIn(doc)) StringTools.hex(c, 6)].join(","));
    }

    // A group: made and undone in one step each; a member brings its group into the selection and
    // Shift+click takes the group out; aligning moves the group as one; a duplicate makes a group of
    // its own; Delete takes every member; a group already whole cannot be grouped again.
    static function groups() {
        var s = new EditorSession();
        var c = new Commands(s, new FakeHost(s));
        var made = [for (x in [10, 50, 200]) {
            var e = Edits.add(s, Shape, "rect");
            s.change("place", function() s.doc.setBox(e, 0, {x: x, y: x / 2, width: 20, height: 20, fontSize: 12}));
            e;
        }];
        var a = made[0], b = made[1], d = made[2];
        s.selectAll([a.id, b.id]);
        check("two can be grouped, not ungrouped", c.isEnabled("group") && !c.isEnabled("ungroup"));
        var depth = s.undoDepth();
        c.run("group");
        same("grouped in one step", depth + 1, s.undoDepth());
        check("one group", a.group != "" && a.group == b.group && d.group == "");
        check("a whole group cannot be grouped again", !c.isEnabled("group") && c.isEnabled("ungroup"));
        s.select(null);
        s.select(a.id);
        same("a member selects its group, itself last", b.id + "," + a.id, s.selection.join(","));
        // One member alone: its properties and place change without the others, and come back.
        s.selectMember(a.id);
        same("Ctrl+click takes one member alone", a.id + " in " + a.group, s.selection.join(",") + " in " + s.memberOf);
        var before = b.fill;
        Edits.element(s, "fill", function(e) e.fill = 0x123456);
        c.run("alignRight");
        var fa = s.doc.find(a.id), fb = s.doc.find(b.id);
        check("only the member changed", fa.fill == 0x123456 && fa.x == 280 && fb.fill == before && fb.x == 50);
        s.undo();
        same("undo keeps the member alone", a.id + " in " + a.group, s.selection.join(",") + " in " + s.memberOf);
        s.undo();
        check("Escape goes back to the group", s.leaveMember() && s.selection.join(",") == b.id + "," + a.id && s.memberOf == null);
        check("and only once", !s.leaveMember());
        s.toggleSelected(d.id);
        c.run("alignRight");
        var xs = function() return [for (e in made) Std.string(s.doc.find(e.id).x)].join(",");
        same("the group moved as one to the right edge", "160,200,200", xs());
        s.toggleSelected(b.id);
        same("Shift+click on a member takes the group out", d.id, s.selection.join(","));
        s.select(b.id);
        c.run("duplicate");
        var copies = s.selectedElements();
        check("the copies are a group of their own", copies.length == 2 && copies[0].group != "" && copies[0].group == copies[1].group
            && copies[0].group != a.group);
        c.run("ungroup");
        check("ungrouped", copies[0].group == "" && copies[1].group == "" && a.group != "");
        s.undo();
        s.undo();
        same("back to three", 3, s.doc.elements.length);
        s.select(b.id);
        c.run("delete");
        same("Delete takes every member", d.id, [for (e in s.doc.elements) e.id].join(","));
        s.undo();
        s.undo();
        s.undo();
        same("undone to before the group", "", s.doc.find(a.id).group);
    }

    // Duplicate, delete, align and distribute of several elements are one step each; a locked
    // element stays where it is; a copied picture named relative to its project travels with its
    // whole path; pasting into another project that has the copied ids gives new ones.
    static function severalElementsAtOnce() {
        var s = new EditorSession();
        var desk = new FakeHost(s);
        var c = new Commands(s, desk);
        var ids = [];
        for (x in [10, 120, 200]) {
            var e = Edits.add(s, Shape, "rect");
            s.change("place", function() s.doc.setBox(e, 0, {x: x, y: x / 2, width: 20 + x / 10, height: 20, fontSize: 12}));
            ids.push(e.id);
        }
        var depth = s.undoDepth();
        s.selectAll(ids);
        check("distribute can run with three", c.isEnabled("distributeH"));
        c.run("distributeH");
        same("one step", depth + 1, s.undoDepth());
        var gap = function(a:String, b:String) {
            var l = s.doc.find(a), r = s.doc.find(b);
            return r.x - (l.x + l.width);
        };
        near("equal gaps", gap(ids[0], ids[1]), gap(ids[1], ids[2]));
        s.change("lock", function() s.doc.find(ids[2]).locked = true);
        c.run("alignTop");
        same("aligned to the highest", "5,5," + (200 / 2), [for (id in ids) Std.string(s.doc.find(id).y)].join(","));
        s.toggleSelected(ids[2]);
        same("taken out of the selection", ids.slice(0, 2).join(","), s.selection.join(","));
        c.run("duplicate");
        same("two copies selected", 2, s.selection.length);
        same("five elements", 5, s.doc.elements.length);
        s.undo();
        same("the duplicate was one step", 3, s.doc.elements.length);
        same("the selection came back", ids.slice(0, 2).join(","), s.selection.join(","));
        var picture = Edits.add(s, Image, null, "pics/logo.png");
        s.selectAll([ids[0], picture.id]);
        c.run("copy");
        check("copied with the whole path", Fragment.copied.indexOf('src="/work/pics/logo.png"') >= 0);
        c.run("delete");
        same("both deleted", 2, s.doc.elements.length);
        c.run("paste");
        same("pasted where they were, under their ids", ids[0] + "," + picture.id, s.selection.join(","));
        c.run("paste");
        check("pasted again under new ids", s.selection.length == 2 && s.selection.indexOf(ids[0]) < 0);
        same("nothing pasted from a non-project", 0, Fragment.paste(s, "<html/>"));
        check("the copy is on the desktop's clipboard", desk.shared == Fragment.copied);
        // Elements another program put on the desktop's clipboard come before the editor's own.
        var other = new EditorSession();
        var ellipse = Edits.add(other, Shape, "ellipse");
        other.selectAll([ellipse.id]);
        desk.shared = Fragment.of(other, "");
        var count = s.doc.elements.length;
        c.run("paste");
        same("the desktop's fragment pasted", (count + 1) + " ellipse", s.doc.elements.length + " " + s.doc.find(s.selection[0]).shapeKind);
        // Forward and back move each selected element past the next one not selected.
        var order = function() return [for (e in s.doc.elements) e.id].join(",");
        var all = [for (e in s.doc.elements) e.id];
        s.selectAll([all[0], all[2]]);
        var before = s.undoDepth();
        c.run("forward");
        same("both forward in one step", [all[1], all[0], all[3], all[2]].concat(all.slice(4)).join(","), order());
        same("one step", before + 1, s.undoDepth());
        s.selectAll([all[0], all[1]]);
        check("the bottom two cannot go back, only forward", !c.isEnabled("backward") && c.isEnabled("forward"));
    }

    static function near(what:String, expected:Float, actual:Float) {
        check(what, Math.abs(expected - actual) < 1e-6, "expected " + expected + " got " + actual);
    }

    static function aProjectPastALimitIsOnlyShown() {
        var text = new StringBuf();
        text.add('<template version="2" demoWidth="300" demoHeight="250"><elements>');
        for (i in 0...BannerDocument.MAX_ELEMENTS + 1)
            text.add('<shape id="s' + i + '" x="1" y="1" width="5" height="5"/>');
        text.add('</elements><sizes><size width="300" height="250"/><size width="728" height="90"/></sizes></template>');
        var s = new EditorSession(BannerDocument.parse(text.toString()));
        var before = s.doc.toXml();
        check("read-only", s.readOnly);
        var c = new Commands(s, new FakeHost(s));
        s.select("s3");
        for (id in ["addText", "addImage", "delete", "duplicate", "forward", "backward", "addSize", "removeSize", "copyLayout"])
            check(id + " is off when read-only", !c.isEnabled(id));
        check("open, publish and help stay", c.isEnabled("open") && c.isEnabled("publish") && c.isEnabled("help"));
        Edits.add(s, Text);
        s.change("x", function() s.doc.elements[0].x = 99);
        s.typing("x", "x", function() s.doc.elements[0].x = 98);
        s.settle();
        same("no change is taken", before, s.doc.toXml());
        check("nothing to undo, nothing unsaved", !s.canUndo && !s.dirty);
        same("the limit in the editor's words", "1001 elements (at most 1000)", Strings.limits(s.doc.overLimits));
        s.reset(BannerDocument.blank(300, 250), true);
        check("a new project takes edits", !s.readOnly && Edits.add(s, Text) != null && s.doc.elements.length == 1);
    }

    static function everyLanguageHasEveryText() {
        for (code in Strings.LANGUAGES)
            same("texts missing in " + code, "", Strings.missing(code).join(", "));
        Strings.setLanguage("deu");
        same("German", "R\u00fcckg\u00e4ngig", Strings.UNDO);
        same("an added text in German", "Ihr Text", Edits.add(new EditorSession(), Text).label);
        Strings.setLanguage("fra");
        same("French", "R\u00e9tablir", Strings.REDO);
        Strings.setLanguage("xx");
        same("unknown languages are English", "eng", Strings.language);
        same("English again", "Undo", Strings.UNDO);
    }

    static function attribute(text:String):String {
        return StringTools.htmlEscape(text, true);
    }

    // The table the host's tests read too: the editor, the banner movies' shared rules and the
    // component's project reader must all give its answers.
    static function everyReaderAppliesTheSameRules() {
        var args = Sys.args();
        if (args.length == 0) {
            check("the rules table is named on the command line", false);
            return;
        }
        var cases = 0;
        for (line in sys.io.File.getContent(args[0]).split("\n")) {
            var f = line.split("\t");
            if (line == "" || line.charAt(0) == "#" || f.length != 3)
                continue;
            cases++;
            if (f[0] == "side") {
                var expected = Std.parseInt(f[2]);
                var xml = f[1] == "(missing)" ? "<template/>" : "<template demoWidth=\"" + attribute(f[1]) + "\"/>";
                var text = f[1] == "(missing)" ? null : f[1];
                same("editor width of <" + f[1] + ">", expected, BannerDocument.parse(xml).sizes[0].width);
                same("banner width of <" + f[1] + ">", expected, BannerProject.parse(xml).width);
                same("movie rule for <" + f[1] + ">", expected, ProjectRules.side(text, 720));
            } else {
                var opens = f[2] == "yes";
                var xml = "<template><link url=\"" + attribute(f[1]) + "\"/></template>";
                same("editor keeps <" + f[1] + ">", opens, BannerDocument.parse(xml).link != "");
                same("banner opens <" + f[1] + ">", opens, BannerProject.parse(xml).link != null);
                same("movie rule for <" + f[1] + ">", opens, ProjectRules.allowedLink(f[1]));
            }
        }
        check("the rules table has cases", cases > 10);
    }

    static function publishRules() {
        for (name in ["banner.swf", "my banner.html", "", "t\u00e9st.xml"])
            check("plain name " + name, PublishRules.isPlainFileName(name));
        for (name in ["../x.swf", "a/b.swf", "a\\b.swf", ".hidden", ".."])
            check("refused name " + name, !PublishRules.isPlainFileName(name));
        var folders = [
            {folder: "/web", movie: "banner.swf", expected: "/web/banner"},
            {folder: " /web/ ", movie: "my.banner.swf", expected: "/web/my.banner"},
            {folder: "/web", movie: "promo", expected: "/web/promo"},
            {folder: "/web", movie: ".swf", expected: "/web/.swf"},
            {folder: "/web", movie: "  ", expected: "/web/banner"}
        ];
        for (f in folders)
            same("publish folder of " + f.folder + " + " + f.movie, f.expected, PublishRules.publishFolder(f.folder, f.movie));
        var words = [Wire.REPLY_OK, Wire.REPLY_USER_CANCEL, Wire.REPLY_CREATE_DIR_FAILED, Wire.REPLY_NO_CONTENT, "odd", null];
        var seen = new Map<String, Bool>();
        for (w in words) {
            var text = PublishRules.describeReply(w, "/web/banner");
            check("a sentence for " + w, text.length > 10 && text != w);
            check("a different sentence for " + w, !seen.exists(text));
            seen.set(text, true);
        }
        check("ok names the folder", PublishRules.describeReply("ok", "/web/banner").indexOf("/web/banner") >= 0);
        check("an unknown reply is shown", PublishRules.describeReply("odd", "").indexOf("odd") >= 0);
    }

    static function relativeImages() {
        var cases = [
            {img: "beach.png", project: "/home/ann/sale/sale.pbf", expected: "/home/ann/sale/beach.png"},
            {img: "./art/beach.png", project: "/p/x.pbf", expected: "/p/art/beach.png"},
            {img: "art\\beach.png", project: "/p/x.pbf", expected: "/p/art/beach.png"},
            {img: "/abs/beach.png", project: "/p/x.pbf", expected: "/abs/beach.png"},
            {img: "C:\\Art\\beach.png", project: "/p/x.pbf", expected: "C:\\Art\\beach.png"},
            {img: "https://example.org/b.png", project: "/p/x.pbf", expected: "https://example.org/b.png"},
            {img: "", project: "/p/x.pbf", expected: ""},
            {img: "beach.png", project: "x.pbf", expected: "beach.png"}
        ];
        for (c in cases)
            same("image " + c.img + " of " + c.project, c.expected, Paths.resolveAgainst(c.img, c.project));

    }

    // The pictures the editor refuses before the player sees them: addresses, and files whose header
    // gives a size beyond the budget (bombs of a few kilobytes on disk), read as the editor reads them.
    static function picturesComeFromFilesWithinTheBudget() {
        for (address in ["http://example.org/b.png", "https://example.org/b.png", " HTTPS://x/b.png", "//example.org/b.png",
            "\\\\server\\b.png", "data:image/png;base64,AAAA", "ftp://x/b.png"])
            check("an address: " + address, PictureCheck.isAddress(address));
        for (file in ["/home/ann/b.png", "b.png", "art/b:c.png", "C:\\Art\\b.png", "file:///home/ann/b.png", "./http://x"])
            check("a file: " + file, !PictureCheck.isAddress(file));
        for (url in Paths.urlsFor("//example.org/b.png", null))
            check("no other host is asked: " + url, !StringTools.startsWith(url, "//") && url.indexOf("://example.org") < 0);

        var data = haxe.io.Path.directory(Sys.args()[0]);
        var root = data + "/../..";
        var bombs = [
            "bomb-20000x20000.png" => "20000 \u00d7 20000",
            "bomb-60000x60000.jpg" => "60000 \u00d7 60000",
            "bomb-65535x65535.gif" => "65535 \u00d7 65535",
            "bomb-frame-30000x20000.gif" => "30000 \u00d7 20000"
        ];
        for (name => size in bombs) {
            var bytes = sys.io.File.getBytes(data + "/pictures/" + name);
            check(name + " is small on disk", bytes.length < 64 * 1024);
            var why = PictureCheck.refusal(name, bytes);
            check(name + " is refused, named, with its size", why != null && why.indexOf(name) >= 0 && why.indexOf(size) >= 0, why);
        }
        // Real pictures are shown, at the size ImageMagick reads from them.
        for (example in sys.FileSystem.readDirectory(root + "/examples")) {
            var folder = root + "/examples/" + example;
            if (!sys.FileSystem.isDirectory(folder))
                continue;
            for (file in sys.FileSystem.readDirectory(folder)) {
                if (!~/\.(png|jpg|gif)$/.match(file))
                    continue;
                var bytes = sys.io.File.getBytes(folder + "/" + file);
                var size = PictureCheck.size(bytes);
                var identify = new sys.io.Process("identify", ["-format", "%w %h", folder + "/" + file + "[0]"]);
                var expected = StringTools.trim(identify.stdout.readAll().toString());
                identify.close();
                same(file + " size", expected, size == null ? "none" : size.width + " " + size.height);
                same(file + " is shown", null, PictureCheck.refusal(file, bytes));
            }
        }
        // The editor's budget is the program's.
        var header = sys.io.File.getContent(root + "/platform/PictureHeader.h");
        check("the same pixel budget", header.indexOf("kMaxPicturePixels = " + Std.int(PictureCheck.MAX_PIXELS) + ";") >= 0);
        check("the same longest side", header.indexOf("kMaxPictureSide = " + PictureCheck.MAX_SIDE + ";") >= 0);
    }

    static function formatting() {
        same("two values", "a 1 b 2", Strings.format("a %s b %s", ["1", "2"]));
        same("missing value", "x  y", Strings.format("x %s y", []));
        same("percent kept", "50% of 3", Strings.format("50% of %s", ["3"]));
    }
}

class FakeHost implements Commands.CommandHost {
    public var acting = true;
    var session:EditorSession;

    public function new(session:EditorSession) {
        this.session = session;
    }

    public function canAct():Bool return acting;
    public function newProject() {}
    public function openProject() {}
    public function saveProject(saveAs:Bool) {}
    public function openPublishPanel() {}
    public function help() {}
    public function openAddSize() {}
    public function showStatus(text:String) status = text;

    public function toggleActualSize() {}
    public function toggleAllSizes() {}
    public function projectFile():String return "/work/project.pbf";
    public var shared:Null<String> = null;
    public function shareCopied(fragment:String) shared = fragment;
    public function sharedFragment():Null<String> return shared;
    public function sharesClipboard():Bool return shared != null;
    public function zoom(step:Int) {}
    public function toggleGrid() {}
    public function gridShown():Bool return false;
    public function showShortcuts() {}
    public function renameLayer() {}
    public function offersTextEntry():Bool return false;
    public function typeText() {}
    public function bringFont(path:String):Null<BannerDocument.UserFont> return null;
    public function openRecent() {}
    public function openFeedPanel() {}

    public function openExportPanel() {}
    public function editNewText() {}
    public var status = "";
    public function addImage() {
        Edits.add(session, Image, null, "/pics/a.png");
    }
}
