// Copy, cut and paste of elements: what is copied is a small project of its own (a fragment), the
// copied elements at the size they were copied from, with their pictures and the files of the
// user's faces their texts use named by full paths so that they still show when pasted into
// another project. It is kept for the whole run of the editor, so it can be pasted after New or
// Open.
import BannerDocument;

class Fragment {
    /** The last fragment copied, as project text; "" before the first copy. */
    public static var copied(default, null):String = "";

    /**
        The selected elements as a fragment: a one-size project at the size being edited. Relative
        picture names are made whole against the project file (projectFile, "" for none).
    **/
    public static function of(session:EditorSession, projectFile:String):String {
        var chosen = session.selectedElements();
        if (chosen.length == 0)
            return "";
        var doc = session.doc;
        var size = doc.sizes[session.sizeIndex];
        var part = BannerDocument.blank(size.width, size.height);
        part.length = doc.length;
        for (e in chosen) {
            var c = e.clone();
            var b = doc.box(e, session.sizeIndex);
            c.x = b.x;
            c.y = b.y;
            c.width = b.width;
            c.height = b.height;
            c.size = b.fontSize;
            if (c.kind == Image && projectFile != "")
                c.src = Paths.resolveAgainst(c.src, projectFile);
            part.elements.push(c);
            var face = doc.fontNamed(e.font);
            if (face != null && part.fontNamed(face.family) == null)
                part.fonts.push({family: face.family, src: projectFile != "" ? Paths.resolveAgainst(face.src, projectFile) : face.src});
        }
        return part.toXml();
    }

    /** Copies the selection; false when nothing is selected. */
    public static function copy(session:EditorSession, projectFile:String):Bool {
        var text = of(session, projectFile);
        if (text == "")
            return false;
        copied = text;
        return true;
    }

    /** Copies the selection and deletes it, the deletion one step. */
    public static function cut(session:EditorSession, projectFile:String):Bool {
        if (!copy(session, projectFile))
            return false;
        Edits.delete(session);
        return true;
    }

    /**
        Pastes a fragment on top of the size being edited, each element at the same place relative
        to the banner as where it was copied (its size follows the shorter side), new ids where
        the project has the copied ones; one step, the pasted elements selected. Answers how many
        were pasted (0 when the text is no fragment or the project has no room for it).
        A face of the user's that a pasted text uses and the project lacks comes along: bring
        copies its file (a whole path) beside the project and answers the face's family and name
        there, or null, when the face keeps its whole path.
    **/
    public static function paste(session:EditorSession, text:String, ?bring:String->Null<UserFont>):Int {
        if (text == null || text == "")
            return 0;
        var part = BannerDocument.parse(text);
        if (!part.isProject || part.elements.length == 0 || part.overLimits.length > 0)
            return 0;
        var doc = session.doc;
        if (doc.elements.length + part.elements.length > BannerDocument.MAX_ELEMENTS)
            return 0;
        var from = part.sizes[0];
        var index = session.sizeIndex;
        var to = doc.sizes[index];
        var sx = to.width / from.width, sy = to.height / from.height;
        var k = Math.min(sx, sy);
        var ids = [];
        var label = part.elements.length == 1 ? Strings.format(Strings.STEP_PASTE_ONE, [Edits.kindName(part.elements[0].kind)]) : Strings.format(Strings.STEP_PASTE,
            [Std.string(part.elements.length)]);
        var faces:Array<UserFont> = [];
        var renamed = new Map<String, String>();
        for (f in part.fonts) {
            if (doc.fontNamed(f.family) != null || [for (e in part.elements) if (e.font == f.family) e].length == 0)
                continue;
            var brought = bring != null && Paths.isAbsolute(f.src) ? bring(f.src) : null;
            var face = brought != null ? brought : f;
            renamed.set(f.family, face.family);
            if (doc.fontNamed(face.family) == null && doc.fonts.length + faces.length < BannerDocument.MAX_FONTS)
                faces.push(face);
        }
        session.change(label, function() {
            for (f in faces)
                doc.fonts.push({family: f.family, src: f.src});
            var regroup = Edits.freshGroups(doc);
            for (source in part.elements) {
                var e = source.clone();
                e.group = regroup(source.group);
                if (renamed.exists(e.font))
                    e.font = renamed.get(e.font);
                // What is pasted shows and can be moved, whatever it was where it came from.
                e.locked = false;
                e.editorHidden = false;
                if (doc.find(e.id) != null || !BannerDocument.validId(e.id))
                    e.id = doc.newId(e.kind);
                var w = Math.max(1, source.width * k), h = Math.max(1, source.height * k);
                var box:Box = {
                    x: (source.x + source.width / 2) * sx - w / 2,
                    y: (source.y + source.height / 2) * sy - h / 2,
                    width: w,
                    height: h,
                    fontSize: Math.round(source.size * k)
                };
                doc.elements.push(e);
                Edits.placeNew(doc, e, index, box);
                ids.push(e.id);
            }
        });
        session.selectAll(ids);
        return ids.length;
    }
}
