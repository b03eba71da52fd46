// The properties of the banner, of the selected element, and of the element's entrance and exit,
// on three tabs. Every change is one undoable step of the session.
package views;

import BannerDocument;
import flash.display.Sprite;
import ui.Button;
import ui.Theme;
import ui.Widgets;

class PropertiesPanel extends Sprite {
    public static inline var WIDTH = 300;
    static inline var PAD = 12;
    static var TEXT_COLOURS = [0xFFFFFF, 0x000000, 0x1E3A5F, 0xF2A900, 0xB3261E];
    static var FILL_COLOURS = [0xFFFFFF, 0x000000, 0xFF6A00, 0x2F6FD6, 0x2E7D32];
    static var BACKGROUNDS = [0xFFFFFF, 0x000000, 0x1E3A5F, 0xB3261E, 0x2E7D32, 0xF2A900];

    var session:EditorSession;
    var widgets:Widgets;
    var actions:PanelActions;
    var tab = "banner";
    var form:Form;
    var shownFor = "";
    /** The document the rows were built for. */
    var builtFor:BannerDocument = null;
    var builtForElement:Null<BannerElement> = null;
    var builtRestores = 0;
    var panelHeight:Float = 500;

    public function new(session:EditorSession, widgets:Widgets, actions:PanelActions) {
        super();
        this.session = session;
        this.widgets = widgets;
        this.actions = actions;
        build();
    }

    public function setHeight(h:Float) {
        panelHeight = h;
        var g = graphics;
        g.clear();
        g.beginFill(Theme.PANEL);
        g.drawRect(0, 0, WIDTH, h);
        g.endFill();
        g.lineStyle(1, Theme.PANEL_LINE);
        g.moveTo(0.5, 0);
        g.lineTo(0.5, h);
    }

    /** Follows the session: built anew for another element or tab, otherwise only the values shown. */
    public function update() {
        var e = session.selectedElement();
        if (e == null && tab != "banner")
            tab = "banner";
        // New and open put another document in place, undo and redo another state of it (a field
        // being typed into would keep its words): the rows are built for it, the field being typed
        // into keeping the keyboard.
        if (shape(e) != shownFor || session.doc != builtFor || e != builtForElement || session.restores != builtRestores) {
            var typingIn = focusedInput();
            build();
            if (typingIn != null && widgets.inputs.exists(typingIn) && stage != null)
                stage.focus = widgets.inputs.get(typingIn).field;
        } else {
            form.sync();
        }
    }

    /** Shows a tab; the element tabs only with an element selected. */
    public function showTab(name:String) {
        tab = name;
        build();
    }

    /** After a selection in the banner or the layer list, the element's properties come forward. */
    public function selectionChanged() {
        var e = session.selectedElement();
        tab = e == null ? "banner" : (tab == "animation" || tab == "layout" ? tab : "element");
        update();
    }

    /** What decides which rows the panel has; the rows are built anew when it changes. */
    function shape(e:Null<BannerElement>):String {
        var rows = [
            tab, Std.string(session.sizeIndex), Strings.language, Std.string(session.selection.length), Std.string(mixedKinds()),
            [for (f in session.doc.fonts) f.family].join("\x01")
        ];
        if (e != null)
            rows = rows.concat([e.id, Std.string(e.kind), e.shapeKind, e.enter.type, e.exit == null ? "-" : e.exit.type,
                Std.string(ScriptFaces.needsHost(e.label))]);
        return rows.join("|");
    }

    /** The id of the field of this panel that has the keyboard focus, or null. */
    function focusedInput():Null<String> {
        if (stage == null || stage.focus == null)
            return null;
        for (id in widgets.inputs.keys()) {
            var input = widgets.inputs.get(id);
            if (input.field == stage.focus && contains(input))
                return id;
        }
        return null;
    }

    function build() {
        builtFor = session.doc;
        builtForElement = session.selectedElement();
        builtRestores = session.restores;
        removeChildren();
        widgets.beginGroup(5000);
        var e = session.selectedElement();
        if (e == null)
            tab = "banner";
        var x:Float = PAD;
        for (t in [
            {id: "banner", label: Strings.TAB_BANNER},
            {id: "element", label: Strings.TAB_ELEMENT},
            {id: "animation", label: Strings.TAB_ANIMATION},
            {id: "layout", label: Strings.TAB_LAYOUT}
        ]) {
            var name = t.id;
            var b = widgets.button(new Button("tab." + name, t.label, function() showTab(name), 67, 28));
            b.x = x;
            b.y = 10;
            b.selected = tab == name;
            b.enabled = name == "banner" || e != null;
            addChild(b);
            x += 69;
        }
        form = new Form(widgets, WIDTH - 2 * PAD, actions.status, actions.withdraw);
        form.x = PAD;
        form.y = 50;
        addChild(form);
        switch (tab) {
            case "element": elementPage(form, e);
            case "animation": animationPage(form, e);
            case "layout": layoutRows(form, e);
            default: bannerPage(form);
        }
        shownFor = shape(e);
        setHeight(panelHeight);
    }

    function banner(what:String, apply:BannerDocument->Void, ?typing:String) {
        Edits.banner(session, what, apply, typing);
    }

    function element(what:String, apply:BannerElement->Void, ?typing:String) {
        Edits.element(session, what, apply, typing);
    }

    // ---- The banner.

    function bannerPage(f:Form) {
        var doc = function() return session.doc;
        f.heading(Strings.BACKGROUND);
        f.colour("bgColor", Strings.COLOUR, function() return doc().background, function(c) banner(Strings.BACKGROUND, function(d) d.background = c),
            BACKGROUNDS);
        f.gap(4);
        f.heading(Strings.BACKGROUND_IMAGE);
        var choose = f.button("chooseImage", Strings.CHOOSE_IMAGE, actions.chooseBackground, 0, 130);
        var remove = f.button("removeImage", Strings.REMOVE_IMAGE, function() banner(Strings.BACKGROUND_IMAGE, function(d) d.image = ""),
            choose.buttonWidth + 6, 80);
        f.gap(30);
        // Two lines for the image's path, whatever it is, so that the rows below stay in place.
        var name = f.place(Theme.paragraph(Strings.NO_IMAGE, f.formWidth, 11, Theme.MUTED), 0, f.y0);
        f.gap(34);
        f.choices("fit.", Strings.FIT, BannerElement.FITS, fitLabels(), function() return doc().fit,
            function(v) banner(Strings.FIT, function(d) d.fit = v));
        f.syncsAdd(function() {
            Theme.fitLines(name, doc().image == "" ? Strings.NO_IMAGE : doc().image, 2);
            remove.enabled = doc().image != "";
        });
        f.heading(Strings.BANNER_LINK);
        f.text("link", "", function() return doc().link, function(v) {
            var t = StringTools.trim(v);
            var allowed = ProjectRules.allowedLink(t);
            if (t != "" && !allowed)
                f.refuse(Strings.LINK_REFUSED);
            else
                f.accept();
            banner(Strings.LINK, function(d) d.link = allowed ? t : "", "link");
        });
        f.note(Strings.LINK_HINT);
        f.gap(4);
        f.heading(Strings.LENGTH);
        f.number("length", Strings.LENGTH, 0, function() return doc().length / 1000, BannerDocument.MIN_LENGTH / 1000,
            BannerDocument.MAX_LENGTH / 1000, function(v) banner(Strings.LENGTH, function(d) {
                d.length = Math.round(v * 1000);
                d.fitLoops();
            }, "length"), 1, Strings.SECONDS);
        f.number("loops", Strings.LOOPS, 140, function() return doc().loops, 1, BannerDocument.MAX_LOOPS, function(v) banner(Strings.LOOPS, function(d) {
            d.loops = Std.int(v);
            d.fitLoops();
        }, "loops"));
        f.gap(30);
        f.note(Strings.LENGTH_HINT);
    }

    /** Whether the selected elements are of more than one kind: then only the rows they share show. */
    function mixedKinds():Bool {
        var chosen = session.selectedElements();
        for (c in chosen)
            if (c.kind != chosen[0].kind)
                return true;
        return false;
    }

    // ---- The selected element (or elements: the values shown are the last one's, a change applies to each).

    // Words the player cannot draw with the banner's faces are marked: how each output shows them
    // (a text as the host's picture of it, a button's label not at all).
    function scriptNote(f:Form, e:BannerElement) {
        if (ScriptFaces.needsHost(e.label)) {
            var t = f.note(HostText.needed(e) ? Strings.SCRIPT_NOTE : Strings.SCRIPT_NOTE_BUTTON, Theme.ERROR);
            t.name = "scriptNote";
        }
    }

    function elementPage(f:Form, e:BannerElement) {
        var box = function() return session.doc.box(e, session.sizeIndex);
        function setBox(what:String, change:Box->Void, key:String) {
            element(what, function(el) {
                var b = session.doc.box(el, session.sizeIndex);
                change(b);
                session.doc.setBox(el, session.sizeIndex, b);
            }, key);
        }
        var big = BannerDocument.MAX_COORDINATE;
        f.number("x", Strings.X, 0, function() return box().x, -big, big, function(v) setBox(Strings.X, function(b) b.x = v, "x"), 1);
        f.number("y", Strings.Y, 140, function() return box().y, -big, big, function(v) setBox(Strings.Y, function(b) b.y = v, "y"), 1);
        f.gap(30);
        f.number("width", Strings.WIDTH, 0, function() return box().width, 1, big, function(v) setBox(Strings.WIDTH, function(b) b.width = v, "width"), 1);
        f.number("height", Strings.HEIGHT, 140, function() return box().height, 1, big,
            function(v) setBox(Strings.HEIGHT, function(b) b.height = v, "height"), 1);
        f.gap(30);
        f.number("opacity", Strings.OPACITY, 0, function() return e.opacity * 100, 0, 100,
            function(v) element(Strings.OPACITY, function(el) el.opacity = v / 100, "opacity"), 0, Strings.PERCENT);
        f.gap(34);
        if (session.selection.length > 1) {
            f.note(Strings.format(Strings.SELECTED_MANY, [Std.string(session.selection.length)]));
            f.gap(4);
            if (mixedKinds())
                return;
        }
        switch (e.kind) {
            case Text:
                f.text("label", Strings.CONTENT, function() return e.label, function(v) element(Strings.CONTENT, function(el) el.label = v, "label"), 3,
                    BannerDocument.MAX_LABEL);
                scriptNote(f, e);
                fontRows(f, e, box, setBox);
                f.colour("color", Strings.COLOUR, function() return e.color, function(c) element(Strings.COLOUR, function(el) el.color = c),
                    TEXT_COLOURS);
                f.choices("align.", Strings.ALIGN, BannerElement.ALIGNS, [Strings.ALIGN_LEFT, Strings.ALIGN_CENTER, Strings.ALIGN_RIGHT],
                    function() return e.align, function(v) element(Strings.ALIGN, function(el) el.align = v));
                f.number("lineHeight", Strings.LINE_HEIGHT, 0, function() return e.lineHeight, 0.8, 3,
                    function(v) element(Strings.LINE_HEIGHT, function(el) el.lineHeight = v, "lineHeight"), 2);
                f.toggle("shadow", Strings.SHADOW, 170, 106, function() return e.shadowColor != null,
                    function(on) element(Strings.SHADOW, function(el) el.shadowColor = on ? 0x000000 : null));
                f.gap(30);
            case Button:
                f.text("label", Strings.LABEL, function() return e.label, function(v) element(Strings.LABEL, function(el) el.label = v, "label"), 1,
                    BannerDocument.MAX_LABEL);
                scriptNote(f, e);
                f.text("url", Strings.LINK, function() return e.url, function(v) {
                    var t = StringTools.trim(v);
                    var allowed = ProjectRules.allowedLink(t);
                    if (t != "" && !allowed)
                        f.refuse(Strings.LINK_REFUSED);
                    else
                        f.accept();
                    element(Strings.LINK, function(el) el.url = allowed ? t : "", "url");
                });
                f.note(Strings.BUTTON_LINK_HINT);
                fontRows(f, e, box, setBox);
                f.colour("fill", Strings.FILL, function() return e.fill, function(c) element(Strings.FILL, function(el) el.fill = c == null ? 0xFF6A00 : c),
                    FILL_COLOURS);
                f.colour("color", Strings.TEXT_COLOUR, function() return e.color, function(c) element(Strings.TEXT_COLOUR, function(el) el.color = c),
                    TEXT_COLOURS);
                f.number("radius", Strings.RADIUS, 0, function() return e.radius, 0, 200,
                    function(v) element(Strings.RADIUS, function(el) el.radius = v, "radius"), 0, Strings.PIXELS);
                f.gap(30);
            case Shape:
                f.choices("shapeKind.", Strings.SHAPE_KIND, ["rect", "ellipse"], [Strings.ADD_RECT, Strings.ADD_ELLIPSE], function() return e.shapeKind,
                    function(v) element(Strings.SHAPE_KIND, function(el) el.shapeKind = v));
                f.colour("fill", Strings.FILL, function() return e.fill, function(c) element(Strings.FILL, function(el) el.fill = c), FILL_COLOURS,
                    true);
                f.colour("stroke", Strings.STROKE, function() return e.stroke, function(c) element(Strings.STROKE, function(el) el.stroke = c),
                    FILL_COLOURS, true);
                f.number("strokeWidth", Strings.STROKE_WIDTH, 0, function() return e.strokeWidth, 0, 50,
                    function(v) element(Strings.STROKE_WIDTH, function(el) el.strokeWidth = v, "strokeWidth"), 1);
                f.gap(30);
                if (e.shapeKind == "rect") {
                    f.number("radius", Strings.RADIUS, 0, function() return e.radius, 0, 500,
                        function(v) element(Strings.RADIUS, function(el) el.radius = v, "radius"), 0, Strings.PIXELS);
                    f.gap(30);
                }
            case Image:
                f.button("chooseElementImage", Strings.CHOOSE_IMAGE, actions.chooseElementImage, 0, 130);
                f.gap(30);
                // Two lines for the picture's path, as on the banner's page.
                var name = f.place(Theme.paragraph(Strings.NO_IMAGE, f.formWidth, 11, Theme.MUTED), 0, f.y0);
                f.gap(34);
                f.syncsAdd(function() Theme.fitLines(name, e.src == "" ? Strings.NO_IMAGE : e.src, 2));
                f.choices("imageFit.", Strings.FIT, BannerElement.FITS, fitLabels(), function() return e.fit,
                    function(v) element(Strings.FIT, function(el) el.fit = v));
        }
    }

    // How the element follows other sizes: the constraints the project sets or, shown the same
    // way, those guessed from its kind and place; and where its text does not fit.
    function layoutRows(f:Form, e:BannerElement) {
        var c = function() return SizeLayout.constraints(session.doc, e);
        f.heading(Strings.LAYOUT);
        // The size being edited laid out again; this element's place copied to similar sizes.
        f.button("relayoutSize", Strings.RELAYOUT, function() actions.command("relayoutSize"), 0, 134);
        f.button("copyLayout", Strings.COPY_LAYOUT, function() actions.command("copyLayout"), 140, 134);
        f.gap(30);
        if (e.kind == Text) {
            f.toggle("autoFit", Strings.AUTO_FIT, 0, 130, function() return e.autoFit,
                function(on) element(Strings.AUTO_FIT, function(el) el.autoFit = on));
            f.gap(30);
        }
        // Each choice under its own caption, so that the words have the whole width.
        f.note(Strings.ANCHOR_X);
        f.choices("anchorX.", "", BannerElement.ANCHORS_X,
            [Strings.ANCHOR_LEFT, Strings.ANCHOR_CENTER, Strings.ANCHOR_RIGHT, Strings.ANCHOR_STRETCH], function() return c().anchorX,
            function(v) element(Strings.ANCHOR_X, function(el) el.anchorX = v));
        f.note(Strings.ANCHOR_Y);
        f.choices("anchorY.", "", BannerElement.ANCHORS_Y,
            [Strings.ANCHOR_TOP, Strings.ANCHOR_MIDDLE, Strings.ANCHOR_BOTTOM, Strings.ANCHOR_STRETCH], function() return c().anchorY,
            function(v) element(Strings.ANCHOR_Y, function(el) el.anchorY = v));
        f.note(Strings.SCALING);
        f.choices("scaling.", "", BannerElement.SCALINGS, [Strings.SCALING_KEEP, Strings.SCALING_SHORTER, Strings.SCALING_FILL],
            function() return c().scaling, function(v) element(Strings.SCALING, function(el) el.scaling = v));
        var roles = BannerElement.ROLES;
        var labels = [
            Strings.ROLE_LOGO, Strings.ROLE_HEADLINE, Strings.ROLE_BODY, Strings.ROLE_CTA, Strings.ROLE_PRODUCT, Strings.ROLE_DECORATION,
            Strings.ROLE_BACKGROUND
        ];
        f.note(Strings.ROLE);
        f.choices("role.", "", roles, labels, function() return c().role, function(v) element(Strings.ROLE, function(el) el.role = v));
        if (e.kind == Text || e.kind == Button) {
            var warning = f.note("", Theme.ERROR);
            f.syncsAdd(function() {
                var sizes = [for (n in SizeLayout.overflows(session.doc)) if (n.id == e.id) n.width + " \u00d7 " + n.height];
                warning.text = sizes.length == 0 ? "" : Strings.format(Strings.DOES_NOT_FIT, [sizes.join(", ")]);
            });
        }
    }

    function fontRows(f:Form, e:BannerElement, box:Void->Box, setBox:(String, Box->Void, String) -> Void) {
        // The shipped faces, then the user's own.
        var own = [for (u in session.doc.fonts) u.family];
        f.choices("font.", Strings.FONT, BannerElement.FONTS.concat(own), ["Sans", "Serif", "DejaVu"].concat(own), function() return e.font,
            function(v) element(Strings.FONT, function(el) el.font = v));
        f.button("font.add", Strings.ADD_FONT, actions.addFont, 0);
        f.gap(32);
        f.number("size", Strings.TEXT_SIZE, 0, function() return box().fontSize, BannerDocument.MIN_FONT, BannerDocument.MAX_FONT,
            function(v) setBox(Strings.TEXT_SIZE, function(b) b.fontSize = Std.int(v), "size"), 0, Strings.PIXELS);
        var bold = f.toggle("bold", Strings.BOLD, 170, 48, function() return e.bold, function(on) element(Strings.BOLD, function(el) el.bold = on));
        f.toggle("italic", Strings.ITALIC, bold.x + bold.buttonWidth + 4, 48, function() return e.italic,
            function(on) element(Strings.ITALIC, function(el) el.italic = on));
        f.gap(30);
    }

    // ---- Entrance and exit.

    function animationPage(f:Form, e:BannerElement) {
        animationRows(f, "enter", Strings.ENTRANCE, function() return e.enter, function(el) return el.enter, null);
        f.gap(6);
        animationRows(f, "exit", Strings.EXIT, function() return e.exit, function(el) {
            if (el.exit == null)
                el.exit = new BannerAnimation("none", Std.int(Math.max(0, session.doc.length - 500)), 500, "easeIn");
            return el.exit;
        }, function(el) el.exit = null);
    }

    function animationRows(f:Form, prefix:String, title:String, read:Void->Null<BannerAnimation>, write:BannerElement->BannerAnimation,
            clear:Null<BannerElement->Void>) {
        f.heading(title);
        var type = function() {
            var a = read();
            return a == null ? "none" : a.type;
        };
        f.choices(prefix + ".type.", "", BannerAnimation.TYPES, [Strings.EFFECT_NONE, Strings.EFFECT_FADE, Strings.EFFECT_SLIDE, Strings.EFFECT_ZOOM],
            type, function(v) element(title, function(el) {
                if (v == "none" && clear != null)
                    clear(el);
                else
                    write(el).type = v;
            }));
        var a = read();
        if (a == null || a.type == "none")
            return;
        if (a.type == "slide")
            f.choices(prefix + ".side.", Strings.SIDE, BannerAnimation.SIDES, [Strings.SIDE_LEFT, Strings.SIDE_RIGHT, Strings.SIDE_TOP, Strings.SIDE_BOTTOM],
                function() return read() == null ? "left" : read().side, function(v) element(Strings.SIDE, function(el) write(el).side = v));
        f.number(prefix + ".delay", Strings.DELAY, 0, function() return read() == null ? 0 : read().delay, 0, BannerDocument.MAX_LENGTH,
            function(v) element(Strings.DELAY, function(el) write(el).delay = Std.int(v), prefix + ".delay"), 0, Strings.MILLISECONDS);
        f.number(prefix + ".duration", Strings.DURATION, 140, function() return read() == null ? 0 : read().duration, 0, BannerDocument.MAX_DURATION,
            function(v) element(Strings.DURATION, function(el) write(el).duration = Std.int(v), prefix + ".duration"), 0, Strings.MILLISECONDS);
        f.gap(30);
        f.choices(prefix + ".easing.", Strings.EASING, BannerAnimation.EASINGS, [Strings.EASE_LINEAR, Strings.EASE_IN, Strings.EASE_OUT, Strings.EASE_IN_OUT],
            function() return read() == null ? "linear" : read().easing, function(v) element(Strings.EASING, function(el) write(el).easing = v));
    }

    static function fitLabels():Array<String> {
        // In the order of BannerElement.FITS: contain, cover, stretch.
        return [Strings.FIT_CONTAIN, Strings.FIT_COVER, Strings.FIT_STRETCH];
    }
}

/** What the panel asks of the editor beyond the session: file choices and the status line. */
typedef PanelActions = {
    status:String->Void,
    /** Takes a refusal back from the status line when it is still shown there. */
    withdraw:String->Void,
    /** Runs a command of the editor's table (when it can run now). */
    command:String->Void,
    chooseBackground:Void->Void,
    chooseElementImage:Void->Void,
    /** Adds a face file of the user's to the project and sets the selected texts in it. */
    addFont:Void->Void
}
