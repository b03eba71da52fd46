// The banner being edited and everything that follows it: the undo history, the selected elements,
// the size being edited, and whether the work is saved.
//
// Each step of the history holds the banner as it was, element by element: a step shares with the
// one before it every element it did not change, so recording a step and going back or forward one
// cost what the step touched, not what the banner holds. The document object stays the same through
// undo and redo; its elements are put back in place.
import BannerDocument;
#if flash
import flash.Lib;
import flash.events.Event;
#end

class EditorSession {
    /** How many steps can be undone; older ones are forgotten. */
    public static inline var MAX_STEPS = 120;

    public var doc(default, null):BannerDocument;
    public var sizeIndex(default, null):Int = 0;
    /** The element the properties panel shows: the last one selected. */
    public var selected(default, null):Null<String> = null;
    /** Every selected element's id, in the order they were selected (the last is `selected`). */
    public var selection(default, null):Array<String> = [];
    /** The group whose one member is selected alone (Ctrl+click or a double click on it), or null. */
    public var memberOf(default, null):Null<String> = null;
    /**
        The document went past a limit of the reader, so part of the project is not in it: it is
        shown, never changed, and never written anywhere in place of the file.
    **/
    public var readOnly(default, null):Bool = false;

    public var canUndo(get, never):Bool;
    public var canRedo(get, never):Bool;
    public var dirty(get, never):Bool;
    /** The label of the step Undo would take back, or of the one Redo would do again. */
    public var undoLabel(get, never):String;
    public var redoLabel(get, never):String;
    /**
        What the last notice was about: the elements changed, when only they changed (empty when the
        document did not change at all); null when anything may have changed.
    **/
    public var changed(default, null):Null<Array<BannerElement>> = null;
    /** Counts the undos and redos: each puts an earlier or later state in place of what is shown. */
    public var restores(default, null):Int = 0;

    // history[position] is the document as it is now; each entry after the first is one step.
    var history:Array<Snapshot> = [];
    var position = 0;
    var nextSerial = 0;
    var savedSerial = -1;
    var gestureDepth = 0;
    var gestureLabel = "";
    var listeners:Array<Void->Void> = [];
    // A change waits for the next frame: the listeners (the views) hear of all the changes of a
    // frame at once, so that keys coming faster than frames cost one redraw, not one each.
    var waiting = false;
    // What the changes waiting touched, as `changed` tells it.
    var waitingChange:Null<Array<BannerElement>> = [];
    // The field being typed into: its keystrokes are one step until something else is done.
    var typingKey:Null<String> = null;
    // Counts the changes made: a step still open changed the document when it moved since the last record.
    var revision = 0;
    // What the open step touched: these elements only, or (null) anything.
    var scope:Null<Array<BannerElement>> = [];
    // selectedElements while neither the selection nor the list of elements changes.
    var selectedKept:Null<Array<BannerElement>> = null;

    public function new(?document:BannerDocument) {
        reset(document != null ? document : BannerDocument.blank(300, 250), true);
    }

    /** Starts over with another document (new, open): no history; clean unless told otherwise. */
    public function reset(document:BannerDocument, clean:Bool) {
        doc = document;
        readOnly = document.overLimits.length > 0;
        gestureDepth = 0;
        typingKey = null;
        scope = [];
        history = [{state: freeze(null, null), label: "", selected: [], serial: nextSerial++, revision: revision}];
        position = 0;
        savedSerial = clean ? history[0].serial : -1;
        selected = null;
        selection = [];
        memberOf = null;
        sizeIndex = 0;
        notify(null);
    }

    /** Records that what is on screen now is what the project file holds. */
    public function markSaved() {
        settle();
        savedSerial = history[position].serial;
        notify([]);
    }

    /** Nothing on screen is in a file any more (the file was dropped): the work counts as unsaved. */
    public function forgetSaved() {
        savedSerial = -1;
        notify([]);
    }

    /**
        One undoable step: apply changes the document; nothing is recorded when it changed nothing.
        only: the elements apply may change, when it changes no other element, no place of another
        and not the list of elements; without it, anything may change.
    **/
    public function change(label:String, apply:Void->Void, ?only:Array<BannerElement>) {
        endTyping();
        if (readOnly)
            return;
        applied(apply, only);
        if (gestureDepth == 0)
            commit(label);
        notify(only);
    }

    /** Changes until the matching endGesture are one step (a drag, a typed value). */
    public function beginGesture(label:String) {
        endTyping();
        if (gestureDepth == 0)
            gestureLabel = label;
        gestureDepth++;
    }

    public function endGesture() {
        if (gestureDepth == 0)
            return;
        gestureDepth--;
        if (gestureDepth == 0) {
            commit(gestureLabel);
            notify([]);
        }
    }

    /**
        A change typed into a field: the keystrokes in one field are one step, which ends when another
        field is typed into or anything else is done (settle, change, undo, a selection).
    **/
    public function typing(key:String, label:String, apply:Void->Void, ?only:Array<BannerElement>) {
        if (readOnly)
            return;
        if (typingKey != key) {
            endTyping();
            beginGesture(label);
            typingKey = key;
        }
        applied(apply, only);
        notify(only);
    }

    function applied(apply:Void->Void, only:Null<Array<BannerElement>>) {
        apply();
        revision++;
        if (only == null)
            scope = null;
        else if (scope != null)
            for (e in only)
                if (scope.indexOf(e) < 0)
                    scope.push(e);
    }

    /** Ends a typed step or gesture still open (before saving, say). */
    public function settle() {
        endTyping();
        finishGesture();
    }

    function endTyping() {
        if (typingKey == null)
            return;
        typingKey = null;
        endGesture();
    }

    public function select(id:Null<String>) {
        selectAll(id == null ? [] : [id]);
    }

    /** Selects these elements (those that exist), the last one shown in the properties panel. */
    public function selectAll(ids:Array<String>) {
        endTyping();
        memberOf = null;
        // An element of a group brings the whole group; the one named last stays last.
        var kept = [];
        for (id in ids) {
            var e = id == null ? null : doc.find(id);
            if (e != null)
                for (m in doc.groupOf(e))
                    if (kept.indexOf(m.id) < 0)
                        kept.push(m.id);
        }
        var last = ids.length == 0 ? null : ids[ids.length - 1];
        if (kept.remove(last))
            kept.push(last);
        // The state in view remembers its selection, which comes back with it on undo and redo.
        history[position].selected = kept.copy();
        if (kept.join("\n") == selection.join("\n"))
            return;
        selection = kept;
        selected = kept.length == 0 ? null : kept[kept.length - 1];
        selectedKept = null;
        notify([]);
    }

    /**
        Selects one member of a group alone, so that it is moved and edited without the others;
        an element outside any group is simply selected.
    **/
    public function selectMember(id:String) {
        var e = doc.find(id);
        if (e == null || e.group == "" || doc.groupOf(e).length < 2) {
            select(id);
            return;
        }
        endTyping();
        history[position].selected = [id];
        memberOf = e.group;
        if (selection.length == 1 && selected == id)
            return;
        selection = [id];
        selected = id;
        selectedKept = null;
        notify([]);
    }

    /** From one member back to its whole group (Escape); false when no member was alone. */
    public function leaveMember():Bool {
        if (memberOf == null)
            return false;
        var back = selected;
        memberOf = null;
        selectAll(back == null ? [] : [back]);
        return true;
    }

    /** Adds the element to the selection, or takes it out when it is in it (Shift and a click). */
    public function toggleSelected(id:String) {
        var ids = selection.copy();
        var e = doc.find(id);
        if (e != null && ids.indexOf(id) >= 0) {
            for (m in doc.groupOf(e))
                ids.remove(m.id);
        } else {
            ids.push(id);
        }
        selectAll(ids);
    }

    public function isSelected(id:String):Bool {
        return selection.indexOf(id) >= 0;
    }

    /** The selected elements in drawing order (bottom first). */
    public function selectedElements():Array<BannerElement> {
        if (selectedKept == null) {
            var found = [];
            for (id in selection) {
                var e = doc.find(id);
                if (e != null && found.indexOf(e) < 0)
                    found.push(e);
            }
            var list = doc.elements;
            found.sort(function(a, b) return list.indexOf(a) - list.indexOf(b));
            selectedKept = found;
        }
        return selectedKept.copy();
    }

    public function selectSize(index:Int) {
        endTyping();
        if (index < 0 || index >= doc.sizes.length || index == sizeIndex)
            return;
        sizeIndex = index;
        notify(null);
    }

    public function selectedElement():Null<BannerElement> {
        return selected == null ? null : doc.find(selected);
    }

    public function listen(f:Void->Void) {
        listeners.push(f);
    }

    public function unlisten(f:Void->Void) {
        listeners.remove(f);
    }

    public function undo() {
        settle();
        if (!canUndo)
            return;
        position--;
        restore(history[position + 1], history[position], history[position + 1].state);
    }

    public function redo() {
        settle();
        if (!canRedo)
            return;
        position++;
        restore(history[position - 1], history[position], history[position].state);
    }

    /** How many steps can be undone now (at most MAX_STEPS). */
    public function undoDepth():Int {
        return position;
    }

    function get_canUndo():Bool {
        return position > 0 || pending();
    }

    function get_canRedo():Bool {
        return position < history.length - 1;
    }

    function get_dirty():Bool {
        // Within an open step the document may already differ from its last snapshot.
        if (pending())
            return true;
        return history[position].serial != savedSerial;
    }

    function get_undoLabel():String {
        return canUndo ? history[position].label : "";
    }

    function get_redoLabel():String {
        return canRedo ? history[position + 1].label : "";
    }

    /** Whether a step still open has changed the document. */
    function pending():Bool {
        return gestureDepth > 0 && revision != history[position].revision;
    }

    /** A gesture left open (the pointer released outside the movie) ends before undo or redo. */
    function finishGesture() {
        typingKey = null;
        if (gestureDepth > 0) {
            gestureDepth = 1;
            endGesture();
        }
    }

    function commit(label:String) {
        var state = freeze(history[position].state, scope);
        scope = [];
        if (state == null) {
            history[position].revision = revision;
            return;
        }
        history.splice(position + 1, history.length);
        history.push({state: state, label: label, selected: selection.copy(), serial: nextSerial++, revision: revision});
        position++;
        while (history.length > MAX_STEPS + 1) {
            history.shift();
            position--;
        }
    }

    /**
        The document as it is now, sharing with before what did not change; null when nothing did.
        only: the elements that may have changed (null: any).
    **/
    function freeze(before:Null<State>, only:Null<Array<BannerElement>>):Null<State> {
        var head = doc.headXml();
        var elements = doc.elements;
        var items:Array<Frozen> = null;
        var same = true;
        var diff:Array<Int> = [];
        if (before != null && only != null && elements.length == before.items.length) {
            // Only the touched elements are looked at again.
            items = before.items.copy();
            for (e in only) {
                var i = elements.indexOf(e);
                if (i < 0 || items[i].live != e) {
                    items = null;
                    break;
                }
                var item = again(items[i], e);
                if (item != items[i]) {
                    items[i] = item;
                    diff.push(i);
                }
            }
        }
        var structure = before == null ? null : before.structure;
        if (items == null) {
            diff = [];
            var old = before == null ? [] : before.items;
            same = before != null && old.length == elements.length;
            items = [];
            for (i in 0...elements.length) {
                var e = elements[i];
                var was = i < old.length ? old[i] : null;
                if (was == null || was.live != e)
                    same = false;
                var item = again(was, e);
                if (item != was)
                    diff.push(i);
                items.push(item);
            }
            if (!same)
                structure = {};
        }
        if (before != null && diff.length == 0 && structure == before.structure && head == before.head)
            return null;
        var headDoc = before != null && head == before.head ? before.headDoc : headOf(doc);
        return {
            head: head,
            headDoc: headDoc,
            items: items,
            structure: structure,
            diff: diff
        };
    }

    /** The element e as it is now: was itself when e is the element was made from and has not changed. */
    function again(was:Null<Frozen>, e:BannerElement):Frozen {
        var places:Array<Null<Box>> = [for (s in doc.sizes) copyBox(s.places.get(e.id))];
        var text = BannerDocument.elementXml(e);
        for (p in places)
            text += p == null ? "|" : "|" + p.x + "," + p.y + "," + p.width + "," + p.height + "," + p.fontSize + "," + (p.hidden == true);
        if (was != null && was.live == e && was.text == text)
            return was;
        return {live: e, element: e.clone(), places: places, text: text};
    }

    static function headOf(d:BannerDocument):BannerDocument {
        var h = new BannerDocument();
        d.copyHeadTo(h);
        h.sizes = [for (s in d.sizes) new BannerSize(s.width, s.height)];
        return h;
    }

    static function copyBox(b:Null<Box>):Null<Box> {
        return b == null ? null : {
            x: b.x,
            y: b.y,
            width: b.width,
            height: b.height,
            fontSize: b.fontSize,
            hidden: b.hidden == true
        };
    }

    /**
        Puts the document as target holds it in place of from's (the step next to it); stepped is the
        later of the two, whose differences from the one before it are what changes.
    **/
    function restore(from:Snapshot, target:Snapshot, stepped:State) {
        var now = from.state, to = target.state;
        restores++;
        var touched:Null<Array<BannerElement>> = [];
        var sizesSame = now.headDoc.sizes.length == to.headDoc.sizes.length;
        if (sizesSame)
            for (i in 0...to.headDoc.sizes.length)
                if (now.headDoc.sizes[i].width != to.headDoc.sizes[i].width || now.headDoc.sizes[i].height != to.headDoc.sizes[i].height)
                    sizesSame = false;
        if (now.head != to.head) {
            to.headDoc.copyHeadTo(doc);
            touched = null;
        }
        if (now.structure == to.structure && sizesSame) {
            for (i in stepped.diff) {
                var item = to.items[i];
                put(item);
                if (touched != null)
                    touched.push(item.live);
            }
        } else {
            if (!sizesSame)
                doc.sizes = [for (s in to.headDoc.sizes) new BannerSize(s.width, s.height)];
            else
                for (s in doc.sizes)
                    s.places = new Map();
            doc.elements = [for (item in to.items) item.live];
            for (item in to.items)
                put(item);
            touched = null;
        }
        if (sizeIndex >= doc.sizes.length)
            sizeIndex = doc.sizes.length - 1;
        var wanted = [for (id in target.selected) if (doc.find(id) != null) id];
        if (wanted.length == 0)
            wanted = [for (id in selection) if (doc.find(id) != null) id];
        selection = wanted;
        selected = wanted.length == 0 ? null : wanted[wanted.length - 1];
        // A group's member alone in the selection can only have been chosen as a member.
        var lone = wanted.length == 1 ? doc.find(wanted[0]) : null;
        memberOf = lone != null && lone.group != "" && doc.groupOf(lone).length > 1 ? lone.group : null;
        selectedKept = null;
        notify(touched);
    }

    /** Makes an element what the record says, with its places at every size. */
    function put(item:Frozen) {
        var e = item.live;
        item.element.copyTo(e);
        for (i in 0...doc.sizes.length) {
            var p = i < item.places.length ? item.places[i] : null;
            if (p == null)
                doc.sizes[i].places.remove(e.id);
            else
                doc.sizes[i].places.set(e.id, copyBox(p));
        }
    }

    function notify(what:Null<Array<BannerElement>>) {
        if (what == null)
            selectedKept = null;
        if (!waiting)
            waitingChange = what == null ? null : what.copy();
        else if (waitingChange != null && what == null)
            waitingChange = null;
        else if (waitingChange != null)
            for (e in what)
                if (waitingChange.indexOf(e) < 0)
                    waitingChange.push(e);
        if (waiting)
            return;
        waiting = true;
        #if flash
        var ticker = Lib.current;
        if (ticker != null) {
            ticker.addEventListener(Event.ENTER_FRAME, onFrame);
            // The next frame comes soon even when the editor rests.
            Pace.moving();
            return;
        }
        #end
        flush(); // no frames: at once
    }

    #if flash
    function onFrame(_:Event) {
        flush();
    }
    #end

    /** Tells the listeners now of the changes made since they last heard (a reader needs the views up to date). */
    public function flush() {
        if (!waiting)
            return;
        waiting = false;
        #if flash
        if (Lib.current != null)
            Lib.current.removeEventListener(Event.ENTER_FRAME, onFrame);
        #end
        changed = waitingChange;
        waitingChange = [];
        for (f in listeners.copy())
            f();
    }
}

private typedef Snapshot = {
    state:State,
    label:String,
    selected:Array<String>,
    serial:Int,
    // The count of changes made when the document was as this step holds it.
    revision:Int
}

/** The document at one step of the history. */
private typedef State = {
    head:String, // everything but the elements, as text (BannerDocument.headXml)
    headDoc:BannerDocument, // the same as a document without elements, its sizes without places
    items:Array<Frozen>, // the elements in drawing order
    // The same object for steps whose lists hold the same element objects in the same order.
    structure:Dynamic,
    diff:Array<Int> // the elements changed since the step before, when the structure is the same
}

/** One element as a step holds it, shared by the steps that did not change it. */
private typedef Frozen = {
    live:BannerElement, // the document's own element object
    element:BannerElement, // a copy of it as it was, which nothing changes
    places:Array<Null<Box>>, // its place at each size (null: none)
    text:String // all of it as text, to tell whether it changed
}
