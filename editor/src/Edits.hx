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
            for (e in originals) {
                var copy = e.clone();
                copy.id = doc.newId(e.kind);
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
        var movable = movableSelection(session);
        if (movable.length == 0)
            return false;
        var doc = session.doc, index = session.sizeIndex;
        var boxes = [for (e in movable) doc.box(e, index)];
        var size = doc.sizes[index];
        var to = toBanner || movable.length == 1 ? {x: 0.0, y: 0.0, width: (size.width : Float), height: (size.height : Float)} : EditGeometry.bounds([
            for (b in boxes) (b : EditGeometry.EditRect)
        ]);
        var placed = EditGeometry.align([for (b in boxes) (b : EditGeometry.EditRect)], how, to);
        return place(session, alignName(how), movable, boxes, placed);
    }

    /**
        Spreads three or more selected elements evenly across the box around them (or the banner)
        with equal gaps, horizontally or vertically. One step; false when nothing moved.
    **/
    public static function distribute(session:EditorSession, horizontal:Bool, toBanner:Bool):Bool {
        var movable = movableSelection(session);
        if (movable.length < 3)
            return false;
        var doc = session.doc, index = session.sizeIndex;
        var boxes = [for (e in movable) doc.box(e, index)];
        var rects = [for (b in boxes) (b : EditGeometry.EditRect)];
        var size = doc.sizes[index];
        var around = EditGeometry.bounds(rects);
        var placed = if (horizontal)
            EditGeometry.distribute(rects, true, toBanner ? 0 : around.x, toBanner ? size.width : around.x + around.width)
        else
            EditGeometry.distribute(rects, false, toBanner ? 0 : around.y, toBanner ? size.height : around.y + around.height);
        return place(session, horizontal ? Strings.DISTRIBUTE_H : Strings.DISTRIBUTE_V, movable, boxes, placed);
    }

    /** Whether align (with two elements or the banner) and distribute (three) have something to move. */
    public static function canArrange(session:EditorSession, least:Int):Bool {
        return movableSelection(session).length >= least;
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
