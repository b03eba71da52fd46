// The editing steps on the banner's elements and sizes, each one undoable step of the session.
import BannerDocument;

class Edits {
    /** The standard banner sizes offered when a size is added. */
    public static var STANDARD_SIZES:Array<Array<Int>> = [
        [300, 250], [336, 280], [728, 90], [970, 90], [970, 250], [300, 600], [160, 600], [120, 600], [320, 50], [320, 100],
        [300, 50], [468, 60], [250, 250], [200, 200], [180, 150], [970, 66], [300, 1050], [1200, 628]
    ];

    public static function kindName(kind:ElementKind):String {
        return switch (kind) {
            case Text: Strings.KIND_TEXT;
            case Button: Strings.KIND_BUTTON;
            case Image: Strings.KIND_IMAGE;
            case Shape: Strings.KIND_SHAPE;
        }
    }

    /**
        Adds an element of the kind with its defaults, centred on the size being edited, on top of
        the others, and selects it. shapeKind is "rect" or "ellipse" for shapes; src the image's path.
    **/
    public static function add(session:EditorSession, kind:ElementKind, ?shapeKind:String, ?src:String):BannerElement {
        var doc = session.doc;
        if (doc.elements.length >= BannerDocument.MAX_ELEMENTS)
            return null;
        var e = new BannerElement(kind, doc.newId(kind));
        var size = doc.sizes[session.sizeIndex];
        var w = 120.0, h = 40.0;
        switch (kind) {
            case Text:
                e.label = Strings.NEW_TEXT;
                w = Math.min(size.width - 20, 200);
                h = 40;
            case Button:
                e.label = Strings.NEW_BUTTON;
                w = 120;
                h = 36;
            case Image:
                e.src = src == null ? "" : src;
                w = Math.min(size.width, 120);
                h = Math.min(size.height, 120);
            case Shape:
                e.shapeKind = shapeKind == "ellipse" ? "ellipse" : "rect";
                e.fill = 0xFFFFFF;
                w = 100;
                h = 60;
        }
        w = Math.max(1, Math.min(w, size.width));
        h = Math.max(1, Math.min(h, size.height));
        var box:Box = {
            x: Math.round((size.width - w) / 2),
            y: Math.round((size.height - h) / 2),
            width: w,
            height: h,
            fontSize: e.size
        };
        session.change(Strings.format(Strings.STEP_ADD, [kindName(kind)]), function() {
            doc.elements.push(e);
            placeNew(doc, e, session.sizeIndex, box);
        });
        session.select(e.id);
        return e;
    }

    /** Deletes every selected element, in one step. */
    /**
        Gives a new element its box at the size `first` (where it was added or pasted); every other
        size gets its place by the rule.
    **/
    public static function placeNew(doc:BannerDocument, e:BannerElement, first:Int, box:Box) {
        var size = doc.sizes[first];
        doc.setBox(e, first, box);
        if (first != 0) {
            e.x = box.x * doc.sizes[0].width / size.width;
            e.y = box.y * doc.sizes[0].height / size.height;
            e.width = Math.max(1, box.width * doc.sizes[0].width / size.width);
            e.height = Math.max(1, box.height * doc.sizes[0].height / size.height);
        }
        for (i in 1...doc.sizes.length)
            if (i != first)
                doc.setBox(e, i, doc.box(e, i));
    }

    public static function delete(session:EditorSession) {
        var gone = session.selectedElements();
        if (gone.length == 0)
            return;
        var doc = session.doc;
        var index = doc.elements.indexOf(gone[0]);
        session.change(stepName(Strings.STEP_DELETE, Strings.STEP_DELETE_MANY, gone), function() {
            for (e in gone) {
                doc.elements.remove(e);
                for (s in doc.sizes)
                    s.places.remove(e.id);
            }
            doc.tidyGroups();
        });
        // The next element down (or the new bottom one) is selected, so that Delete can go on.
        var next = doc.elements.length == 0 ? null : doc.elements[Std.int(Math.max(0, Math.min(index - 1, doc.elements.length - 1)))];
        session.select(next == null ? null : next.id);
    }

    /** A copy of every selected element, a little below and to the right, above it; the copies selected. */
    public static function duplicate(session:EditorSession) {
        var originals = session.selectedElements();
        var doc = session.doc;
        if (originals.length == 0 || doc.elements.length + originals.length > BannerDocument.MAX_ELEMENTS)
            return;
        var ids = [];
        session.change(stepName(Strings.STEP_DUPLICATE, Strings.STEP_DUPLICATE_MANY, originals), function() {
            var regroup = freshGroups(doc);
            for (e in originals) {
                var copy = e.clone();
                copy.id = doc.newId(e.kind);
                copy.group = regroup(e.group);
                copy.x += 10;
                copy.y += 10;
                doc.elements.insert(doc.elements.indexOf(e) + 1, copy);
                for (i in 1...doc.sizes.length) {
                    var b = doc.box(e, i);
                    b.x += 10;
                    b.y += 10;
                    doc.setBox(copy, i, b);
                }
                ids.push(copy.id);
            }
        });
        session.selectAll(ids);
    }

    /**
        New group names for copies: each group copied becomes a group of its own. Call it for each
        copy just before the copy goes into the document.
    **/
    public static function freshGroups(doc:BannerDocument):String->String {
        var names = new Map<String, String>();
        return function(group:String) {
            if (group == "")
                return "";
            if (!names.exists(group))
                names.set(group, doc.newGroup());
            return names.get(group);
        };
    }

    /** Whether the selection can be made one group: two elements or more, not one group already. */
    public static function canGroup(session:EditorSession):Bool {
        var chosen = session.selectedElements();
        if (chosen.length < 2)
            return false;
        for (e in chosen)
            if (e.group == "" || e.group != chosen[0].group)
                return true;
        return false;
    }

    /** Makes the selected elements one group (groups among them join it), in one step. */
    public static function group(session:EditorSession) {
        if (!canGroup(session))
            return;
        var chosen = session.selectedElements();
        var doc = session.doc;
        session.change(Strings.STEP_GROUP, function() {
            var name = doc.newGroup();
            for (e in chosen)
                e.group = name;
            doc.tidyGroups();
        });
    }

    public static function canUngroup(session:EditorSession):Bool {
        for (e in session.selectedElements())
            if (e.group != "")
                return true;
        return false;
    }

    /** The selected elements taken out of their groups, in one step; they stay selected. */
    public static function ungroup(session:EditorSession) {
        if (!canUngroup(session))
            return;
        var chosen = session.selectedElements();
        session.change(Strings.STEP_UNGROUP, function() {
            for (e in chosen)
                e.group = "";
        });
    }

    /** A step's name: the kind's for one element, the count's for several. */
    static function stepName(one:String, many:String, elements:Array<BannerElement>):String {
        return elements.length == 1 ? Strings.format(one, [kindName(elements[0].kind)]) : Strings.format(many, [Std.string(elements.length)]);
    }

    /**
        Lines the selected elements up (how: left, center, right, top, middle or bottom) at the
        size being edited: on the banner when toBanner or when one element is selected, else on the
        box around them all. Locked elements stay. One step; false when nothing moved.
    **/
    public static function align(session:EditorSession, how:String, toBanner:Bool):Bool {
        var units = movableUnits(session);
        if (units.length == 0)
            return false;
        var doc = session.doc, index = session.sizeIndex;
        var rects = unitRects(doc, index, units);
        var size = doc.sizes[index];
        var to = toBanner || units.length == 1 ? {x: 0.0, y: 0.0, width: (size.width : Float), height: (size.height : Float)} : EditGeometry.bounds(rects);
        return placeUnits(session, alignName(how), units, rects, EditGeometry.align(rects, how, to));
    }

    /**
        Spreads three or more selected elements evenly across the box around them (or the banner)
        with equal gaps, horizontally or vertically. One step; false when nothing moved.
    **/
    public static function distribute(session:EditorSession, horizontal:Bool, toBanner:Bool):Bool {
        var units = movableUnits(session);
        if (units.length < 3)
            return false;
        var doc = session.doc, index = session.sizeIndex;
        var rects = unitRects(doc, index, units);
        var size = doc.sizes[index];
        var around = EditGeometry.bounds(rects);
        var placed = if (horizontal)
            EditGeometry.distribute(rects, true, toBanner ? 0 : around.x, toBanner ? size.width : around.x + around.width)
        else
            EditGeometry.distribute(rects, false, toBanner ? 0 : around.y, toBanner ? size.height : around.y + around.height);
        return placeUnits(session, horizontal ? Strings.DISTRIBUTE_H : Strings.DISTRIBUTE_V, units, rects, placed);
    }

    /** Whether align (with two elements or the banner) and distribute (three) have something to move. */
    public static function canArrange(session:EditorSession, least:Int):Bool {
        return movableUnits(session).length >= least;
    }

    /** The movable selection in the units that are arranged as one: a group's elements together. */
    public static function movableUnits(session:EditorSession):Array<Array<BannerElement>> {
        var units:Array<Array<BannerElement>> = [];
        var byGroup = new Map<String, Array<BannerElement>>();
        for (e in movableSelection(session)) {
            if (e.group == "") {
                units.push([e]);
            } else if (byGroup.exists(e.group)) {
                byGroup.get(e.group).push(e);
            } else {
                var unit = [e];
                byGroup.set(e.group, unit);
                units.push(unit);
            }
        }
        return units;
    }

    static function unitRects(doc:BannerDocument, index:Int, units:Array<Array<BannerElement>>):Array<EditGeometry.EditRect> {
        return [for (u in units) EditGeometry.bounds([for (e in u) (doc.box(e, index) : EditGeometry.EditRect)])];
    }

    /** Each unit moved as one from its rectangle to its placed one. */
    static function placeUnits(session:EditorSession, label:String, units:Array<Array<BannerElement>>, rects:Array<EditGeometry.EditRect>,
            placed:Array<EditGeometry.EditRect>):Bool {
        var doc = session.doc, index = session.sizeIndex;
        var elements = [], boxes = [], moved = [];
        for (i in 0...units.length) {
            var dx = placed[i].x - rects[i].x, dy = placed[i].y - rects[i].y;
            for (e in units[i]) {
                var b = doc.box(e, index);
                elements.push(e);
                boxes.push(b);
                moved.push(({x: b.x + dx, y: b.y + dy, width: b.width, height: b.height} : EditGeometry.EditRect));
            }
        }
        return place(session, label, elements, boxes, moved);
    }

    /** The selected elements that may be moved: not locked. */
    public static function movableSelection(session:EditorSession):Array<BannerElement> {
        return [for (e in session.selectedElements()) if (!e.locked) e];
    }

    static function place(session:EditorSession, label:String, elements:Array<BannerElement>, boxes:Array<Box>, placed:Array<EditGeometry.EditRect>):Bool {
        var moved = false;
        for (i in 0...elements.length)
            moved = moved || Math.abs(placed[i].x - boxes[i].x) > 1e-6 || Math.abs(placed[i].y - boxes[i].y) > 1e-6;
        if (!moved)
            return false;
        var index = session.sizeIndex;
        session.change(label, function() {
            for (i in 0...elements.length) {
                var b = boxes[i];
                session.doc.setBox(elements[i], index, {
                    x: placed[i].x,
                    y: placed[i].y,
                    width: b.width,
                    height: b.height,
                    fontSize: b.fontSize,
                    hidden: b.hidden
                });
            }
        }, elements);
        return true;
    }

    public static function alignName(how:String):String {
        return switch (how) {
            case "left": Strings.ALIGN_LEFTS;
            case "center": Strings.ALIGN_CENTRES;
            case "right": Strings.ALIGN_RIGHTS;
            case "top": Strings.ALIGN_TOPS;
            case "middle": Strings.ALIGN_MIDDLES;
            default: Strings.ALIGN_BOTTOMS;
        }
    }

    /** Moves an element to a place in the drawing order (0 is the bottom), in one step. */
    public static function reorder(session:EditorSession, id:String, to:Int) {
        var doc = session.doc;
        var e = doc.find(id);
        if (e == null)
            return;
        var from = doc.elements.indexOf(e);
        to = Std.int(Math.max(0, Math.min(doc.elements.length - 1, to)));
        if (from == to)
            return;
        session.change(Strings.STEP_ORDER, function() {
            doc.elements.splice(from, 1);
            doc.elements.insert(to, e);
        });
    }

    /** A mark of the editor's on one element (its name, lock or hiding), as one step. */
    public static function layer(session:EditorSession, id:String, what:String, apply:BannerElement->Void, ?typingKey:String) {
        var e = session.doc.find(id);
        if (e == null)
            return;
        var label = Strings.format(Strings.STEP_PROPERTY, [what]);
        if (typingKey != null)
            session.typing(typingKey + ":" + id, label, function() apply(e), [e]);
        else
            session.change(label, function() apply(e), [e]);
    }

    /**
        Moves each selected element one step up (towards the viewer) or down in the drawing order,
        past the next element that is not selected; selected neighbours keep their order.
    **/
    public static function move(session:EditorSession, up:Bool) {
        if (!canMove(session, up))
            return;
        var doc = session.doc;
        session.change(Strings.STEP_ORDER, function() {
            var list = doc.elements;
            var n = list.length;
            function swapIfFree(i:Int) {
                if (session.isSelected(list[i].id) && !session.isSelected(list[i + 1].id)) {
                    var e = list[i];
                    list[i] = list[i + 1];
                    list[i + 1] = e;
                }
            }
            function swapDownIfFree(i:Int) {
                if (session.isSelected(list[i + 1].id) && !session.isSelected(list[i].id)) {
                    var e = list[i];
                    list[i] = list[i + 1];
                    list[i + 1] = e;
                }
            }
            if (up) {
                var i = n - 1;
                while (--i >= 0)
                    swapIfFree(i);
            } else {
                for (i in 0...n - 1)
                    swapDownIfFree(i);
            }
        });
    }

    public static function canMove(session:EditorSession, up:Bool):Bool {
        var list = session.doc.elements;
        for (e in session.selectedElements()) {
            var next = list.indexOf(e) + (up ? 1 : -1);
            if (next >= 0 && next < list.length && !session.isSelected(list[next].id))
                return true;
        }
        return false;
    }

    /** Adds a size to the project and edits it; false when the project has it already or is full. */
    public static function addSize(session:EditorSession, width:Int, height:Int):Bool {
        var doc = session.doc;
        if (doc.sizeIndexFor(width, height) >= 0 || doc.sizes.length >= BannerDocument.MAX_SIZES)
            return false;
        var index = -1;
        session.change(Strings.STEP_SIZE, function() index = doc.addSize(width, height));
        if (index >= 0)
            session.selectSize(index);
        return index >= 0;
    }

    public static function removeSize(session:EditorSession) {
        var doc = session.doc;
        if (doc.sizes.length <= 1)
            return;
        var index = session.sizeIndex;
        session.selectSize(0);
        session.change(Strings.STEP_SIZE, function() doc.removeSize(index));
        session.selectSize(Std.int(Math.max(0, Math.min(index - 1, doc.sizes.length - 1))));
    }

    /** Lays the size being edited out again from the first; answers the ids of the texts left out. */
    public static function relayout(session:EditorSession):Array<String> {
        var index = session.sizeIndex;
        if (index <= 0)
            return [];
        var notes:Array<SizeLayout.LayoutNote> = [];
        session.change(Strings.RELAYOUT, function() notes = SizeLayout.apply(session.doc, 0, index));
        return [for (n in notes) if (n.what == "omitted") n.id];
    }

    /**
        Copies the places of the selected element (of every element when none is selected) from the
        size being edited to every other size of a similar shape (width/height within a quarter);
        answers the sizes changed.
    **/
    public static function copyLayout(session:EditorSession):Array<String> {
        var doc = session.doc;
        var from = doc.sizes[session.sizeIndex];
        var ratio = from.width / from.height;
        var targets = [
            for (i in 0...doc.sizes.length)
                if (i != session.sizeIndex && Math.abs(Math.log((doc.sizes[i].width / doc.sizes[i].height) / ratio)) <= Math.log(1.25)) i
        ];
        if (targets.length == 0)
            return [];
        var e = session.selectedElement();
        var ids = e == null ? null : [e.id];
        var index = session.sizeIndex;
        session.change(Strings.COPY_LAYOUT, function() {
            for (t in targets)
                SizeLayout.copyPlaces(doc, index, t, ids);
        });
        return [for (t in targets) Commands.sizeName(doc.sizes[t])];
    }

    /**
        A property of the selected elements: apply runs on each inside one undoable step. A typed
        value is one step until another field or command is used (key names the field).
    **/
    public static function element(session:EditorSession, what:String, apply:BannerElement->Void, ?typingKey:String) {
        var all = session.selectedElements();
        if (all.length == 0)
            return;
        var label = Strings.format(Strings.STEP_PROPERTY, [what]);
        var run = function() for (e in all) apply(e);
        if (typingKey != null)
            session.typing(typingKey + ":" + session.selection.join(","), label, run, all);
        else
            session.change(label, run, all);
    }

    /**
        A face of the user's added to the project (or the one of that family already there) and
        given to the selected texts and buttons: one step.
    **/
    public static function addFont(session:EditorSession, family:String, src:String) {
        var texts = [for (e in session.selectedElements()) if (e.kind == Text || e.kind == Button) e];
        session.change(Strings.format(Strings.STEP_PROPERTY, [Strings.FONT]), function() {
            if (session.doc.fontNamed(family) == null && session.doc.fonts.length < BannerDocument.MAX_FONTS)
                session.doc.fonts.push({family: family, src: src});
            if (session.doc.fontNamed(family) != null)
                for (e in texts)
                    e.font = family;
        });
    }

    /** A property of the banner itself, as element does for elements. */
    public static function banner(session:EditorSession, what:String, apply:BannerDocument->Void, ?typingKey:String) {
        var doc = session.doc;
        var label = Strings.format(Strings.STEP_PROPERTY, [what]);
        if (typingKey != null)
            session.typing(typingKey, label, function() apply(doc));
        else
            session.change(label, function() apply(doc));
    }
}
