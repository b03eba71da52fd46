// The banner being edited and everything that follows it: the undo history (whole-document
// snapshots), the selected elements, the size being edited, and whether the work is saved.
import BannerDocument;

class EditorSession {
    /** How many steps can be undone; older ones are forgotten. */
    public static inline var MAX_STEPS = 120;

    public var doc(default, null):BannerDocument;
    public var sizeIndex(default, null):Int = 0;
    /** The element the properties panel shows: the last one selected. */
    public var selected(default, null):Null<String> = null;
    /** Every selected element's id, in the order they were selected (the last is `selected`). */
    public var selection(default, null):Array<String> = [];
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

    // history[position] is the document as it is now; each entry after the first is one step.
    var history:Array<Snapshot> = [];
    var position = 0;
    var nextSerial = 0;
    var savedSerial = -1;
    var gestureDepth = 0;
    var gestureLabel = "";
    var listeners:Array<Void->Void> = [];
    // The field being typed into: its keystrokes are one step until something else is done.
    var typingKey:Null<String> = null;

    public function new(?document:BannerDocument) {
        reset(document != null ? document : BannerDocument.blank(300, 250), true);
    }

    /** Starts over with another document (new, open): no history; clean unless told otherwise. */
    public function reset(document:BannerDocument, clean:Bool) {
        doc = document;
        readOnly = document.overLimits.length > 0;
        gestureDepth = 0;
        typingKey = null;
        history = [snapshot("")];
        position = 0;
        savedSerial = clean ? history[0].serial : -1;
        selected = null;
        selection = [];
        sizeIndex = 0;
        notify();
    }

    /** Records that what is on screen now is what the project file holds. */
    public function markSaved() {
        settle();
        savedSerial = history[position].serial;
        notify();
    }

    /** Nothing on screen is in a file any more (the file was dropped): the work counts as unsaved. */
    public function forgetSaved() {
        savedSerial = -1;
        notify();
    }

    /** One undoable step: apply changes the document; nothing is recorded when it changed nothing. */
    public function change(label:String, apply:Void->Void) {
        endTyping();
        if (readOnly)
            return;
        apply();
        if (gestureDepth == 0)
            commit(label);
        notify();
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
            notify();
        }
    }

    /**
        A change typed into a field: the keystrokes in one field are one step, which ends when another
        field is typed into or anything else is done (settle, change, undo, a selection).
    **/
    public function typing(key:String, label:String, apply:Void->Void) {
        if (readOnly)
            return;
        if (typingKey != key) {
            endTyping();
            beginGesture(label);
            typingKey = key;
        }
        apply();
        notify();
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
        var kept = [];
        for (id in ids)
            if (id != null && kept.indexOf(id) < 0 && doc.find(id) != null)
                kept.push(id);
        // The state in view remembers its selection, which comes back with it on undo and redo.
        history[position].selected = kept.copy();
        if (kept.join("\n") == selection.join("\n"))
            return;
        selection = kept;
        selected = kept.length == 0 ? null : kept[kept.length - 1];
        notify();
    }

    /** Adds the element to the selection, or takes it out when it is in it (Shift and a click). */
    public function toggleSelected(id:String) {
        var ids = selection.copy();
        if (!ids.remove(id))
            ids.push(id);
        selectAll(ids);
    }

    public function isSelected(id:String):Bool {
        return selection.indexOf(id) >= 0;
    }

    /** The selected elements in drawing order (bottom first). */
    public function selectedElements():Array<BannerElement> {
        return [for (e in doc.elements) if (selection.indexOf(e.id) >= 0) e];
    }

    public function selectSize(index:Int) {
        endTyping();
        if (index < 0 || index >= doc.sizes.length || index == sizeIndex)
            return;
        sizeIndex = index;
        notify();
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
        restore(history[position]);
    }

    public function redo() {
        settle();
        if (!canRedo)
            return;
        position++;
        restore(history[position]);
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
        return gestureDepth > 0 && doc.toXml() != history[position].xml;
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
        var now = snapshot(label);
        if (now.xml == history[position].xml)
            return;
        history.splice(position + 1, history.length);
        history.push(now);
        position++;
        while (history.length > MAX_STEPS + 1) {
            history.shift();
            position--;
        }
    }

    /** Puts a snapshot's document in place; the selection it had comes back with it. */
    function restore(target:Snapshot) {
        doc = target.doc.clone();
        if (sizeIndex >= doc.sizes.length)
            sizeIndex = doc.sizes.length - 1;
        var wanted = [for (id in target.selected) if (doc.find(id) != null) id];
        if (wanted.length == 0)
            wanted = [for (id in selection) if (doc.find(id) != null) id];
        selection = wanted;
        selected = wanted.length == 0 ? null : wanted[wanted.length - 1];
        notify();
    }

    function snapshot(label:String):Snapshot {
        return {
            doc: doc.clone(),
            xml: doc.toXml(),
            label: label,
            selected: selection.copy(),
            serial: nextSerial++
        };
    }

    function notify() {
        for (f in listeners.copy())
            f();
    }
}

private typedef Snapshot = {
    doc:BannerDocument,
    xml:String,
    label:String,
    selected:Array<String>,
    serial:Int
}
