// Scenarios the editor test runs in the page, chosen by the query string; each records snapshots
// that editor_browser_test.py checks afterwards.
"use strict";

const query = new URLSearchParams(location.search);
const dir = query.get("dir");
const pageStart = Date.now();
const HEADLINE = "Spring sale \\n 50% off & <more>\nC:\\new\\temp";

// A key pressed and released on the player, as the browser hands it over; with Shift held around it.
function key(name, code, keyCode, shift) {
    const send = function (type, k, c, n) {
        player.dispatchEvent(new KeyboardEvent(type, { bubbles: true, cancelable: true, composed: true, key: k,
            code: c, keyCode: n, shiftKey: !!shift }));
    };
    if (shift) send("keydown", "Shift", "ShiftLeft", 16);
    send("keydown", name, code, keyCode);
    send("keyup", name, code, keyCode);
    if (shift) send("keyup", "Shift", "ShiftLeft", 16);
}

// A pointer event on the player at a point of its stage (the stage is not scaled).
function pointer(type, point) {
    const target = player.shadowRoot.querySelector("canvas");
    const r = target.getBoundingClientRect();
    target.dispatchEvent(new PointerEvent(type, { bubbles: true, cancelable: true, composed: true, pointerId: 1,
        pointerType: "mouse", isPrimary: true, button: 0, buttons: type === "pointerup" ? 0 : 1,
        clientX: r.left + point[0], clientY: r.top + point[1] }));
}

// A key pressed and released on the player, as the page's keyboard delivers it; during() runs while it is down.
function realKey(key, code, shift, during) {
    const send = function (type) {
        player.dispatchEvent(new KeyboardEvent(type, { key: key, code: code, shiftKey: shift, bubbles: true,
                                                       cancelable: true, composed: true }));
    };
    send("keydown");
    if (during) during();
    send("keyup");
}

const scenarios = {
    // A whole editing session: sizes, background, a text and a button with their properties and
    // animation, undo and redo, the language, the unsaved-changes question, save, new, open, a
    // broken file, publishing, window control and exit.
    main: async function () {
        answers.settings = [dir + "/out", "Banner.swf", "Banner.html"];
        await startPlayer({ testMode: "1" });
        await waitFor("output settings", function () { return state().outputFolder !== ""; });
        snap("start", { loadedAfterMs: Date.now() - pageStart });

        // The banner becomes 728 x 90: that size added, the first one removed.
        drive("click", "sizes.add");
        snap("size-dialog");
        drive("click", "addSize.728x90");
        drive("click", "size.300x250");
        drive("click", "sizes.remove");
        answers.file.push(dir + "/sky.png");
        drive("click", "chooseImage");
        await waitFor("the image", function () { return state().imageState !== "loading"; });
        snap("image");

        snap("label-hidden", { typed: drive("type", "label", "x") });
        drive("click", "bgColor.#B3261E");
        drive("type", "bgColor", "#12");
        drive("click", "fit.contain");
        drive("type", "link", "  https://example.com/?a=1&b=2  ");

        drive("click", "layers.addText");
        snap("text-added");
        drive("type", "label", HEADLINE);
        drive("click", "color.#F2A900");
        drive("type", "size", "20");
        drive("click", "bold");
        drive("click", "align.left");
        drive("click", "tab.animation");
        drive("click", "enter.type.slide");
        drive("type", "enter.duration", "1200");
        drive("type", "enter.duration", "99999");
        drive("key", "ctrl+shift+b");
        drive("click", "tab.element");
        drive("type", "label", "Shop now");
        drive("type", "url", "https://example.org/buy");
        snap("edited");

        drive("key", "ctrl+z");
        snap("undone");
        drive("click", "toolbar.undo");
        snap("undone-twice");
        drive("key", "ctrl+y");
        drive("key", "ctrl+shift+z");
        snap("redone");

        drive("click", "lang.deu");
        snap("german");
        drive("click", "lang.eng");

        answers.file.push(dir + "/sky.png");
        drive("key", "ctrl+shift+i");
        snap("image-added");
        drive("key", "delete");
        snap("deleted");
        drive("key", "ctrl+z");
        snap("delete-undone");

        drive("key", "ctrl+n");
        snap("ask-on-new");
        drive("click", "askSave.cancel");
        snap("cancelled-new");

        answers.save.push(dir + "/first.pbf");
        drive("key", "ctrl+s");
        snap("saved");
        drive("key", "ctrl+z");
        snap("undone-after-save");
        drive("key", "ctrl+y");
        snap("redone-to-saved");

        drive("key", "ctrl+n");
        snap("new");

        answers.file.push(dir + "/first.pbf");
        drive("click", "toolbar.open");
        await waitFor("the project to open", function () { return !state().busy; });
        snap("reopened");

        drive("click", "layer.text1");
        drive("click", "tab.animation");
        drive("click", "enter.type.zoom");
        drive("key", "ctrl+shift+s");
        snap("save-as-cancelled");
        answers.save.push(dir + "/second.pbf");
        drive("key", "ctrl+shift+s");
        snap("saved-as");

        answers.file.push(dir + "/broken.pbf");
        drive("key", "ctrl+o");
        await waitFor("the broken file", function () { return !state().busy; });
        snap("broken");
        drive("click", "message.ok");
        // A change, so that closing asks about it.
        drive("key", "ctrl+z");

        drive("key", "ctrl+p");
        snap("publish-panel");
        answers.folder.push(dir + "/web");
        drive("click", "publish.browse");
        drive("click", "publish.script");
        drive("type", "publish.swf", "promo.swf");
        drive("type", "publish.page", "../escape.html");
        drive("click", "publish.go");
        snap("bad-name");
        drive("type", "publish.page", "index.html");
        drive("key", "enter");
        snap("published");
        drive("click", "publish.openFolder");
        answers.publish.push("user cancel");
        drive("click", "publish.go");
        snap("publish-cancelled");
        drive("click", "publish.playerNone");
        drive("click", "publish.withPages");
        drive("click", "publish.html5");
        drive("click", "publish.movie");
        answers.publish.push("create dir failed");
        drive("click", "publish.go");
        snap("publish-failed");
        drive("click", "publish.preview");
        snap("previewed");
        drive("key", "esc");

        drive("key", "f1");
        player.ControlAppWindowVC("maximizeAppButton");
        await waitFor("maximize", function () { return state().maximized; });
        player.ControlAppWindowVC("restoreAppButton");
        await waitFor("restore", function () { return !state().maximized; });
        drive("click", "caption.minimize");
        player.ControlAppWindowVC("closeAppButton");
        await waitFor("the question on close", function () { return state().dialog === "askSave"; });
        snap("ask-on-close");
        drive("click", "askSave.discard");
        snap("exit", { totalMs: Date.now() - pageStart });
    },

    // The feed panel: a feed loaded through the host, rows previewed at every size with what does
    // not fit, then the whole feed published with progress and stopped.
    feed: async function () {
        answers.settings = [dir + "/out", "Banner.swf", "Banner.html"];
        await startPlayer({ testMode: "1" });
        await waitFor("output settings", function () { return state().outputFolder !== ""; });
        drive("click", "sizes.add");
        drive("click", "addSize.728x90");
        drive("click", "size.300x250");
        drive("click", "layers.addText");
        const title = state().selectedElement;
        drive("type", "label", "Spring sale");
        drive("click", "toolbar.publish");
        drive("click", "publish.feed");
        snap("empty", { title: title });
        answers.file.push(dir + "/products.csv");
        answers.feed = { columns: ["name", title, "price"], total: 3, refused: { "3": "the column \"" + title + "\" is not UTF-8 text" },
                         rows: [["Red shoe", "Red shoe now 49", "49"], ["Sneaker", "Sneaker ".repeat(25).trim(), ""],
                                ["latin", "Chaussure \ufffdt\ufffd", ""]] };
        drive("click", "feed.load");
        const drawn = function (words) {
            const f = state().feed;
            return f.preview.length === 2 && f.preview.every(function (p) {
                return p.texts.join(" ").replace(/\s+/g, " ").indexOf(words) >= 0;
            });
        };
        await waitFor("the first row at every size", function () { return drawn("Red shoe now 49"); }, 60);
        snap("row1");
        drive("click", "feed.row.2");
        await waitFor("the second row at every size", function () { return drawn("Sneaker Sneaker"); }, 60);
        snap("row2");
        drive("click", "feed.row.3");
        snap("row3");
        answers.progress = [{ state: "running", done: 1, published: 0, failed: 0, lines: [] },
                            { state: "running", done: 2, published: 0, failed: 0, lines: [] }];
        drive("click", "feed.publish");
        await waitFor("progress", function () { return state().feed.done >= 1; });
        snap("running", { close: drive("click", "feed.close") });
        drive("click", "feed.cancel");
        await waitFor("the publish to stop", function () { return state().feed.outcome !== ""; });
        snap("stopped");
    },

    // The export panel: reached by its shortcut, the choices each format takes, a refusal said as
    // the host says it, an animation followed with its bar and stopped, and an export that ends
    // with files written and a size that could not be.
    exportPanel: async function () {
        answers.settings = [dir + "/out", "Banner.swf", "Banner.html"];
        await startPlayer({ testMode: "1" });
        await waitFor("output settings", function () { return state().outputFolder !== ""; });
        drive("click", "sizes.add");
        drive("click", "addSize.728x90");
        drive("click", "layers.addText");
        drive("type", "label", "Spring sale");
        drive("key", "shift+f1");
        snap("shortcuts");
        drive("key", "esc");
        drive("key", "ctrl+e");
        snap("opened");
        drive("click", "export.png");
        drive("type", "export.at", "1.5");
        drive("click", "export.size.728x90");
        snap("still");
        answers.exportReply = "the moment 9 s is outside the timeline (0 to 5 s)";
        drive("type", "export.at", "9");
        drive("click", "export.go");
        snap("refused");
        answers.exportReply = "ok";
        answers.exportProgress = [{ state: "running", fraction: 0.25, written: [], notes: [], errors: [] }];
        drive("click", "export.gif");
        drive("click", "export.go");
        await waitFor("progress", function () { return state().export.fraction >= 0.25; });
        snap("running", { close: drive("click", "export.close"), format: drive("click", "export.png") });
        drive("click", "export.cancel");
        await waitFor("the export to stop", function () { return state().export.outcome !== ""; });
        snap("stopped");
        const gif = dir + "/out/banner_300x250.gif";
        answers.exportProgress = [{ state: "failed", fraction: 1, written: [gif],
                                    notes: [gif + ": 41.3 KB, 128 colours, 5 frames a second, plays 1 time (5 s)"],
                                    errors: ["728x90: the GIF cannot fit 10 KB (at 16 colours and 1 frame a second it is 12.0 KB)"] }];
        drive("click", "export.allSizes");
        drive("type", "export.maxKb", "10");
        drive("click", "export.go");
        await waitFor("the export to end", function () { return state().export.outcome !== ""; });
        snap("ended");
        drive("click", "export.close");
        drive("click", "toolbar.publish");
        drive("click", "publish.export");
        snap("reopened");
    },

    // With the real host: a feed of 60 rows (made here, with the text's id as a column) loaded
    // through the host's file dialog (its answer file names it), published on the host's worker
    // and stopped once the first rows are done.
    realFeed: async function () {
        await startPlayer({ testMode: "1" });
        await waitFor("output settings", function () { return state().outputFolder !== ""; }, 60);
        drive("key", "ctrl+shift+t");
        drive("type", "label", "Spring sale");
        const title = state().selectedElement;
        let csv = "name," + title + "\n";
        // More rows than a quiet machine publishes before Stop arrives.
        for (let n = 1; n <= 600; n++) csv += "item " + n + ",Product number " + n + "\n";
        post("/write?path=" + encodeURIComponent(dir + "/products.csv"), csv);
        drive("key", "ctrl+shift+f");
        drive("click", "feed.load");
        await waitFor("the rows", function () { return state().feed.rows.length === 600; }, 60);
        snap("loaded");
        drive("click", "feed.publish");
        await waitFor("the first variants", function () { return state().feed.done >= 1; }, 240);
        snap("running");
        drive("click", "feed.cancel");
        await waitFor("the publish to stop", function () { return state().feed.outcome !== ""; }, 240);
        snap("stopped");
    },

    // For looking at: a banner being edited, left on screen (no result is posted).
    show: async function () {
        answers.settings = [dir + "/out", "Banner.swf", "Banner.html"];
        await startPlayer({ testMode: "1", lang: query.get("lang") || "eng" });
        answers.file.push(dir + "/sky.png");
        drive("click", "chooseImage");
        drive("click", "layers.addRect");
        drive("click", "layers.addText");
        drive("type", "label", "Spring sale: 50% off everything");
        drive("click", "layers.addButton");
        if (query.get("select")) drive("click", "layer." + query.get("select"));
        if (query.get("panel") === "a") drive("click", "tab.animation");
        else if (query.get("panel") === "s") drive("click", "sizes.add");
        else if (query.get("panel")) drive("key", "ctrl+" + query.get("panel"));
        document.title = "ready";
        await new Promise(function () {});
    },

    // For the layout test: the editor started in the language of the query, then driven from outside.
    layout: async function () {
        answers.settings = [dir + "/out", "Banner.swf", "Banner.html"];
        await startPlayer({ testMode: "1", lang: query.get("lang") || "eng" });
        await waitFor("output settings", function () { return state().outputFolder !== ""; });
        window.layoutReady = true;
        await new Promise(function () {});
    },

    // For the renderers' agreement: the project named in the query opened, then left to be driven
    // and photographed from outside.
    preview: async function () {
        await startPlayer({ testMode: "1" });
        answers.file.push(query.get("project"));
        drive("key", "ctrl+o");
        await waitFor("the project to open", function () {
            const s = state();
            return !s.busy && s.path === query.get("project");
        }, 60);
        document.title = "ready";
        await new Promise(function () {});
    },

    // With the real host behind the page (serve_host.js): the dialogs are answered by the host's
    // answer file, in this order: the image, where to save, the project to open, the output folder,
    // and Yes to publishing over the folder made by the first publish.
    realHost: async function () {
        await startPlayer({ testMode: "1" });
        await waitFor("output settings", function () { return state().outputFolder !== ""; }, 60);
        snap("start");
        drive("click", "sizes.add");
        drive("click", "addSize.728x90");
        drive("click", "size.300x250");
        drive("click", "sizes.remove");
        drive("click", "chooseImage");
        drive("key", "ctrl+shift+t");
        drive("type", "label", "Spring sale");
        drive("key", "ctrl+s");
        snap("saved");
        drive("key", "ctrl+n");
        drive("key", "ctrl+o");
        await waitFor("the project to open", function () { return !state().busy; });
        snap("reopened");
        drive("key", "ctrl+p");
        drive("click", "publish.browse");
        // The pages are a switch that starts on: make sure it is on, whatever the settings said.
        if (state().selected.indexOf("publish.withPages") < 0)
            drive("click", "publish.withPages");
        drive("click", "publish.script");
        drive("click", "publish.go");
        snap("published");
        drive("click", "publish.embed");
        drive("click", "publish.go");
        snap("republished");
        drive("key", "esc");
        drive("click", "lang.deu");
        snap("german");
        drive("click", "caption.close");
        snap("exit");
    },

    // Honest state: a refusal on the status line lasts only while the value is refused; Ctrl+Z
    // while typing takes the typed step back in the field too and names it; projects handed over
    // by later starts wait and open in turn (run after main, which saved first.pbf and second.pbf).
    honest: async function () {
        await startPlayer({ testMode: "1" });
        drive("focusType", "link", "ftp://example.com/");
        snap("link-refused");
        drive("focusType", "link", "https://example.com/");
        snap("link-taken");
        drive("click", "layers.addText");
        drive("focusType", "size", "300");
        snap("size-refused");
        drive("focusType", "size", "30");
        snap("size-taken");
        drive("focusType", "label", "Typed words");
        snap("typed");
        drive("key", "ctrl+z");
        snap("typing-undone");
        drive("key", "ctrl+y");
        snap("typing-redone");

        player.HandOverProjectVC(dir + "/first.pbf");
        player.HandOverProjectVC(dir + "/second.pbf");
        await waitFor("the unsaved-changes question", function () { return state().dialog === "askSave"; });
        snap("handed-over");
        drive("click", "askSave.discard");
        await waitFor("the second project", function () {
            const s = state();
            return s.path === dir + "/second.pbf" && !s.busy;
        });
        snap("both-opened");

        // The recent projects: a file that is gone is shown as such and cannot be opened; taken off
        // the list, the dialog shows the rest; one of them opens as Open does.
        answers.recent = [{ path: dir + "/second.pbf" }, { path: dir + "/gone.pbf", missing: true },
                          { path: dir + "/first.pbf" }];
        drive("click", "toolbar.recent");
        snap("recent");
        snap("recent-missing-pressed", { pressed: drive("click", "recent.open.1") });
        drive("click", "recent.forget.1");
        snap("recent-forgot");
        drive("click", "recent.open.1");
        await waitFor("the recent project", function () {
            const s = state();
            return s.path === dir + "/first.pbf" && !s.busy;
        });
        snap("recent-opened");
        answers.recent = [];
        drive("click", "toolbar.recent");
        snap("recent-none");
        drive("key", "esc");
        snap("recent-closed");
    },

    // Play, scrub, edit while playing, pause and rest, hundreds of times for at most a minute, on a
    // banner of five animated elements with delays: every play must move on, every command must
    // be answered. What each round took is reported, not judged.
    soak: async function () {
        await startPlayer({ testMode: "1" });
        const kinds = ["layers.addText", "layers.addRect", "layers.addText", "layers.addEllipse", "layers.addButton"];
        const types = ["slide", "fade", "zoom", "slide", "fade"];
        for (let i = 0; i < kinds.length; i++) {
            drive("click", kinds[i]);
            drive("click", "tab.animation");
            drive("click", "enter.type." + types[i]);
            drive("type", "enter.delay", String(300 * i));
            drive("type", "enter.duration", "800");
        }
        const began = Date.now();
        const rounds = [];
        let slowest = 0;
        const moved = async function (what) {
            const from = state().canvas.time;
            const t0 = Date.now();
            await waitFor(what, function () {
                const s = state();
                return !s.playing || s.canvas.time !== from;
            }, 15);
            slowest = Math.max(slowest, Date.now() - t0);
        };
        for (let round = 0; round < 400 && Date.now() - began < 55000; round++) {
            // Still playing from the round before (an undo does not stop it): paused first.
            if (state().playing && drive("click", "timeline.pause") !== "ok")
                throw new Error("round " + round + ": Pause was not available while playing");
            const play = drive("click", "timeline.play");
            if (play !== "ok")
                throw new Error("round " + round + ": Play answered " + play);
            await moved("round " + round + ": the banner moving after Play");
            switch (round % 5) {
                case 0: {  // scrubbed on the ruler while playing
                    const ruler = state().ruler;
                    const x = ruler.x0 + (ruler.x1 - ruler.x0) * ((round * 7) % 10) / 10;
                    pointer("pointerdown", [x, ruler.y]);
                    pointer("pointerup", [x, ruler.y]);
                    break;
                }
                case 1:  // the selected element's timing edited while playing
                    drive("type", "enter.delay", String((round * 37) % 1500));
                    await moved("round " + round + ": the banner moving after an edit");
                    break;
                case 2:  // undone while playing
                    drive("key", "ctrl+z");
                    break;
                case 3:  // paused, played on, paused again
                    drive("click", "timeline.pause");
                    drive("click", "timeline.play");
                    await moved("round " + round + ": the banner moving after Pause and Play");
                    drive("click", "timeline.pause");
                    break;
                default: {  // scrubbed near the end, then played to the end
                    const ruler = state().ruler;
                    const x = ruler.x0 + (ruler.x1 - ruler.x0) * 0.96;
                    pointer("pointerdown", [x, ruler.y]);
                    pointer("pointerup", [x, ruler.y]);
                    drive("click", "timeline.play");
                    await waitFor("round " + round + ": the end of the banner", function () { return !state().playing; }, 30);
                }
            }
            const s = state();
            rounds.push({ playing: s.playing, time: s.canvas.time });
            // Now and then the editor is left alone until it rests, then woken by Play.
            if (round % 40 === 39)
                await waitFor("round " + round + ": rest", function () { return state().frameRate <= 1; }, 40);
        }
        snap("soaked", { rounds: rounds.length, seconds: (Date.now() - began) / 1000, slowestMoveMs: slowest });
    },

    // A still editor lowers its frame rate, the preview's effect raises it until it has played; a
    // movie named like an image is not shown (nor run).
    rest: async function () {
        await startPlayer({ testMode: "1" });
        await waitFor("rest", function () { return state().frameRate <= 1; });
        snap("rested");
        // The pointer passing over the still editor (a toolbar button) wakes no frames.
        pointer("pointermove", [30, 45]);
        snap("pointer-at-rest");
        drive("click", "timeline.play");
        snap("playing");
        await waitFor("rest after the effect", function () { return state().frameRate <= 1; });
        snap("rested-again");
        answers.file.push(dir + "/movie.png");
        drive("click", "chooseImage");
        await waitFor("the image", function () { return state().imageState !== "loading"; });
        snap("movie-as-image");
        answers.file.push(dir + "/sky.png");
        drive("click", "chooseImage");
        await waitFor("the image", function () { return state().imageState !== "loading"; });
        snap("real-image");

        // The canvas under the pointer: a rectangle dragged (its middle snaps to the banner's
        // centre line) in one undo step, nudged with the arrow keys, a press on empty banner
        // selects the background, and the ruler scrubs.
        drive("click", "layers.addRect");
        snap("rect-added");
        const added = state();
        const c = state().canvas;
        const at = function (x, y) { return [c.x + x * c.scale, c.y + y * c.scale]; };
        const box = c.box;
        const from = at(box.x + 10, box.y + 10);
        const to = at(box.x + 72, box.y + 13);
        pointer("pointerdown", from);
        for (let i = 1; i <= 4; i++)
            pointer("pointermove", [from[0] + (to[0] - from[0]) * i / 4, from[1] + (to[1] - from[1]) * i / 4]);
        pointer("pointerup", to);
        snap("rect-dragged");
        drive("key", "ctrl+z");
        snap("drag-undone");
        // The canvas kept the keyboard focus from the press: Shift+Right nudges by 10, Down by 1.
        realKey("Shift", "ShiftLeft", true, function () { realKey("ArrowRight", "ArrowRight", true); });
        realKey("ArrowDown", "ArrowDown", false);
        snap("nudged");
        // Its bar on the timeline dragged 60 pixels later: the entrance delay follows, in one step.
        drive("click", "tab.animation");
        drive("click", "enter.type.fade");
        snap("fading");
        const bar = state().ruler.bar;
        pointer("pointerdown", [bar.x + 4, bar.y]);
        for (let i = 1; i <= 3; i++)
            pointer("pointermove", [bar.x + 4 + 20 * i, bar.y]);
        pointer("pointerup", [bar.x + 64, bar.y]);
        snap("delay-moved");
        pointer("pointerdown", at(5, 5));
        pointer("pointerup", at(5, 5));
        snap("background-picked");
        const ruler = state().ruler;
        pointer("pointerdown", [ruler.x0 + (ruler.x1 - ruler.x0) / 4, ruler.y]);
        pointer("pointerup", [ruler.x0 + (ruler.x1 - ruler.x0) / 4, ruler.y]);
        snap("scrubbed");

        // The keyboard alone: Tab and Shift+Tab go along the layout, Space presses the focused
        // button, Tab goes round the dialog's buttons, Return presses the focused one, Delete
        // removes the selected element, Escape closes a dialog.
        pointer("pointerdown", [100, 500]);
        pointer("pointerup", [100, 500]);
        const focus = [];
        const step = async function (name, code, keyCode, shift) {
            key(name, code, keyCode, shift);
            await sleep(150);
            focus.push(state().focus);
        };
        for (let i = 0; i < 4; i++) await step("Tab", "Tab", 9);
        await step("Tab", "Tab", 9, true);
        await step("Tab", "Tab", 9);
        await step("Tab", "Tab", 9);
        await step(" ", "Space", 32);
        snap("space-pressed", { focus: focus });
        await step("Tab", "Tab", 9);
        await step("Tab", "Tab", 9);
        await step("Enter", "Enter", 13);
        snap("dialog-answered", { focus: focus });
        drive("click", "layer." + added.selectedElement);
        await step("Delete", "Delete", 46);
        snap("delete-pressed");
        drive("key", "ctrl+p");
        await step("Escape", "Escape", 27);
        snap("escaped");

        // A custom size: refused out of range, added with Return in its field.
        drive("click", "layers.addText");
        drive("key", "ctrl+shift+a");
        drive("type", "addSize.width", "9999");
        drive("type", "addSize.height", "360");
        drive("key", "enter");
        snap("custom-refused");
        drive("type", "addSize.width", "640");
        drive("key", "enter");
        snap("custom-size");
    },

    // Editing many elements at once: a frame dragged on the background and Shift+click select
    // three shapes, which move, nudge, distribute and align as one step each; a layer is hidden
    // (in the editor only), locked, renamed and dragged down the list; the banner is zoomed with the
    // buttons and with Ctrl+wheel about the pointer; the grid snaps; the elements are copied into
    // another size and into a new project; two are grouped and moved as one, then one member alone; a colour is picked;
    // the shortcuts list opens and closes.
    arrange: async function () {
        await startPlayer({ testMode: "1" });
        const place = function (command, x, y) {
            drive("click", command);
            drive("type", "x", String(x));
            drive("type", "y", String(y));
        };
        place("layers.addRect", 20, 30);
        place("layers.addRect", 150, 110);
        place("layers.addEllipse", 60, 170);
        snap("three");
        let c = state().canvas;
        const at = function (x, y) { return [c.x + x * c.scale, c.y + y * c.scale]; };
        const drag = function (from, to, steps) {
            pointer("pointerdown", from);
            for (let i = 1; i <= (steps || 4); i++)
                pointer("pointermove", [from[0] + (to[0] - from[0]) * i / (steps || 4), from[1] + (to[1] - from[1]) * i / (steps || 4)]);
            pointer("pointerup", to);
        };
        drag(at(5, 5), at(200, 120));
        snap("framed");
        realKey("Shift", "ShiftLeft", true, function () {
            pointer("pointerdown", at(100, 200));
            pointer("pointerup", at(100, 200));
        });
        snap("shift-clicked");
        drag(at(200, 140), at(230, 148));
        snap("group-dragged");
        drive("key", "ctrl+z");
        snap("group-undone");
        realKey("ArrowRight", "ArrowRight", false);
        snap("group-nudged");
        drive("key", "ctrl+shift+v");
        snap("distributed");
        drive("click", "arrange.alignLeft");
        snap("aligned-left");
        drive("click", "arrange.alignToBanner");
        drive("key", "ctrl+shift+down");
        snap("aligned-bottom");
        drive("click", "arrange.alignCenter");
        snap("centred");
        drive("key", "ctrl+z");
        snap("centre-undone");
        drive("click", "arrange.alignToBanner");
        for (let i = 0; i < 3; i++) drive("key", "ctrl+z");
        snap("arranging-undone");

        // Layers: shape2 hidden in the editor, shape1 locked, the ellipse renamed and dragged to the bottom.
        drive("click", "layerHide.shape2");
        drive("click", "layerLock.shape1");
        snap("hidden-locked");
        pointer("pointerdown", at(201, 140));
        pointer("pointerup", at(201, 140));
        snap("hidden-passed-over");
        drag(at(70, 60), at(110, 60));
        snap("locked-stays");
        drive("click", "layer.shape3");
        drive("key", "f2");
        snap("renaming", { typed: drive("type", "layerName", "Badge") });
        drive("click", "layer.shape1");
        snap("renamed");
        const rows = state().layerRows;
        const top = rows[0], bottom = rows[rows.length - 1];
        drag([top.x + 20, top.y + top.height / 2], [bottom.x + 20, bottom.y + bottom.height - 2], 6);
        snap("reordered");
        drive("click", "layerHide.shape2");
        drive("click", "layerLock.shape1");

        // Zoom: a step in by the button, Ctrl+wheel about a point of the banner, the limits, fit.
        drive("click", "arrange.zoomIn");
        snap("zoomed-in");
        c = state().canvas;
        const point = at(100, 100);
        pointer("pointermove", point);
        const canvasElement = player.shadowRoot.querySelector("canvas");
        const r = canvasElement.getBoundingClientRect();
        realKey("Control", "ControlLeft", false, function () {
            canvasElement.dispatchEvent(new WheelEvent("wheel", { bubbles: true, cancelable: true, composed: true,
                ctrlKey: true, deltaY: -100, deltaMode: 0, clientX: r.left + point[0], clientY: r.top + point[1] }));
        });
        snap("wheel-zoomed", { point: point });
        for (let i = 0; i < 20; i++) drive("click", "arrange.zoomIn");
        snap("zoom-most");
        for (let i = 0; i < 20; i++) drive("click", "arrange.zoomOut");
        snap("zoom-least");
        drive("click", "arrange.zoomFit");
        snap("fitted");

        // The grid: a move ends on it.
        drive("click", "arrange.grid");
        c = state().canvas;
        drive("click", "layer.shape2");
        const box = state().canvas.box;
        drag(at(box.x + 10, box.y + 10), at(box.x + 10 + 16, box.y + 10 + 7));
        snap("grid-dragged");
        drive("click", "arrange.grid");

        // Copy and paste: into another size at the same relative place, then into a new project.
        drive("key", "ctrl+a");
        drive("key", "ctrl+c");
        snap("copied");
        drive("click", "sizes.add");
        drive("click", "addSize.728x90");
        drive("key", "ctrl+v");
        snap("pasted-wide");
        drive("key", "ctrl+z");
        snap("paste-undone");
        drive("key", "ctrl+n");
        drive("click", "askSave.discard");
        drive("key", "ctrl+v");
        snap("pasted-new");

        // A group: two shapes selected by the pointer and grouped; a click on one member selects
        // both, a drag moves both; ungrouped and the ungrouping undone.
        c = state().canvas;
        const corner = function (id) {
            const e = new DOMParser().parseFromString(state().xml, "text/xml").querySelector('[id="' + id + '"]');
            return [parseFloat(e.getAttribute("x")), parseFloat(e.getAttribute("y"))];
        };
        const spot = function (id) { return at(corner(id)[0] + 5, corner(id)[1] + 5); };
        const click = function (point) {
            pointer("pointerdown", point);
            pointer("pointerup", point);
        };
        click(spot("shape1"));
        realKey("Shift", "ShiftLeft", true, function () { click(spot("shape2")); });
        drive("key", "ctrl+g");
        snap("grouped");
        click(at(290, 5));
        click(spot("shape2"));
        snap("member-clicked");
        drag(spot("shape2"), at(corner("shape2")[0] + 25, corner("shape2")[1] + 15));
        snap("group-moved");
        drive("key", "ctrl+shift+g");
        snap("ungrouped");
        drive("key", "ctrl+z");
        snap("ungroup-undone");
        // A double click takes one member alone, which moves without the other; Escape gives the group back.
        click(spot("shape2"));
        click(spot("shape2"));
        snap("member-alone");
        drag(spot("shape2"), at(corner("shape2")[0] + 25, corner("shape2")[1] + 15));
        snap("member-moved");
        drive("key", "esc");
        snap("member-left");

        // The colour picker: a colour the banner uses taken and cancelled, then a typed one chosen.
        drive("click", "layer.shape3");
        drive("click", "fill.pick");
        snap("picker");
        drive("click", "colour.used.#FFFFFF");
        drive("click", "colour.cancel");
        snap("picker-cancelled");
        drive("click", "fill.pick");
        drive("type", "colour.hex", "#12AB34");
        snap("picker-typed");
        drive("click", "colour.ok");
        snap("picked");
        // The eyedropper: the banner's background takes the colour shown in the middle of shape3.
        click(at(290, 5));
        drive("click", "bgColor.pick");
        drive("click", "colour.eyedropper");
        snap("eyedropper");
        const shape3 = new DOMParser().parseFromString(state().xml, "text/xml").querySelector('[id="shape3"]');
        click(at(corner("shape3")[0] + parseFloat(shape3.getAttribute("width")) / 2,
                 corner("shape3")[1] + parseFloat(shape3.getAttribute("height")) / 2));
        drive("click", "colour.ok");
        snap("eyedropped");

        drive("key", "shift+f1");
        snap("shortcuts");
        drive("key", "esc");
        snap("shortcuts-closed");
    },

    // For bench/editor_drag.py: 30 shapes, then one dragged in 60 pointer steps; the time each
    // step takes the movie (the pointer event handled, the banner re-posed) is recorded.
    dragCost: async function () {
        await startPlayer({ testMode: "1" });
        for (let i = 0; i < 30; i++) {
            drive("click", "layers.addRect");
            drive("type", "x", String(8 * i));
            drive("type", "y", String(6 * i));
        }
        await waitFor("the banner built", function () { return state().canvas.settled; }, 60);
        const c = state().canvas;
        const box = c.box;
        const from = [c.x + (box.x + 10) * c.scale, c.y + (box.y + 10) * c.scale];
        const times = [];
        for (let round = 0; round < 3; round++) {
            pointer("pointerdown", from);
            for (let i = 1; i <= 60; i++) {
                const started = performance.now();
                pointer("pointermove", [from[0] + i, from[1] + (i % 7)]);
                times.push(performance.now() - started);
            }
            pointer("pointerup", [from[0] + 60, from[1]]);
            drive("key", "ctrl+z");
        }
        snap("dragged", { times: times });
    },

    // For bench/editor_cost.py: the project cost-N.pbf (N shapes, "target" on top) opened; the
    // target selected and nudged, the nudges undone, then dragged; each step timed in the movie.
    editCost: async function () {
        answers.startInfo = dir + "/cost-" + query.get("n") + ".pbf";
        hostState.currentPath = answers.startInfo;
        await startPlayer({ testMode: "1" });
        await waitFor("the project to open", function () { return state().path === answers.startInfo; }, 60);
        await waitFor("the banner built", function () { return state().canvas.settled; }, 60);
        const c = state().canvas;
        const at = [c.x + 130 * c.scale, c.y + 120 * c.scale];
        pointer("pointerdown", at);
        pointer("pointerup", at);
        snap("selected");
        const times = { nudge: [], undo: [], drag: [] };
        // Each figure is a run of steps timed together, per step: the page's clock is too coarse
        // for one step.
        const timed = function (list, count, f) {
            const started = performance.now();
            for (let i = 1; i <= count; i++) f(i);
            list.push((performance.now() - started) / count);
        };
        for (let round = 0; round < 3; round++) {
            timed(times.nudge, 8, function () { realKey("ArrowRight", "ArrowRight", false); });
            if (round === 0) snap("nudged");
            timed(times.undo, 8, function () { drive("key", "ctrl+z"); });
            if (round === 0) snap("undone");
            pointer("pointerdown", at);
            pointer("pointermove", [at[0], at[1] + 4]);
            timed(times.drag, 20, function (i) { pointer("pointermove", [at[0] + i, at[1] + 4 + (i % 5)]); });
            pointer("pointerup", [at[0] + 20, at[1]]);
            drive("key", "ctrl+z");
        }
        snap("measured", { times: times });
    },

    // Pictures the editor never fetches or decodes: a project whose background is a PNG bomb and
    // whose image elements are a web address and a GIF bomb, opened at start; then a second start
    // hands over a project whose background is a JPEG bomb.
    refusedPictures: async function () {
        answers.startInfo = dir + "/bombs.pbf";
        hostState.currentPath = answers.startInfo;
        await startPlayer({ testMode: "1" });
        await waitFor("the project to open", function () { return state().path !== "" || state().dialog !== ""; });
        await waitFor("the background refused", function () { return state().imageState === "failed"; }, 30);
        const said = function (name) {
            return function () { return state().refusals.some(function (r) { return r.indexOf(name) >= 0; }); };
        };
        await waitFor("the background's refusal", said("bomb-20000x20000.png"), 30);
        await waitFor("the address's refusal", said("/phone-home.png"), 30);
        await waitFor("the GIF's refusal", said("bomb-65535x65535.gif"), 30);
        snap("opened");
        await sleep(500);
        snap("settled");
        player.HandOverProjectVC(dir + "/handed.pbf");
        await waitFor("the handed project", function () { return state().path === dir + "/handed.pbf"; }, 30);
        await waitFor("its background refused", function () { return state().imageState === "failed"; }, 30);
        await waitFor("its refusal", said("bomb-60000x60000.jpg"), 30);
        snap("handed");
        drive("click", "layers.addText");
        snap("still-editing");
    },

    // Started with a project past the reader's element limit: shown read-only, never saved, and
    // what publishing gets is the file's own text; then an ordinary project opens for editing.
    pastALimit: async function () {
        answers.startInfo = dir + "/big.pbf";
        hostState.currentPath = answers.startInfo;
        await startPlayer({ testMode: "1" });
        await waitFor("the project to open", function () { return state().dialog === "message"; }, 60);
        snap("opened");
        drive("click", "message.ok");
        const addText = drive("click", "layers.addText");
        drive("click", "layer.s3");
        drive("key", "delete");
        snap("tried", { addText: addText });
        answers.save.push(dir + "/copy.pbf");
        drive("key", "ctrl+s");
        snap("save-refused");
        drive("click", "message.ok");
        drive("key", "ctrl+shift+s");
        snap("save-as-refused");
        drive("click", "message.ok");
        drive("key", "ctrl+p");
        answers.folder.push(dir + "/web");
        drive("click", "publish.browse");
        drive("click", "publish.go");
        snap("publish-asked");
        drive("key", "esc");
        answers.file.push(dir + "/small.pbf");
        drive("key", "ctrl+o");
        await waitFor("the small project", function () { return state().path === dir + "/small.pbf" && !state().busy; }, 60);
        drive("click", "layers.addText");
        snap("small-edited");
        drive("key", "ctrl+p");
        drive("click", "publish.go");
        snap("small-published");
    },

    // Started with a project file: the editor opens it by itself.
    startWithFile: async function () {
        answers.startInfo = dir + "/relative.pbf";
        hostState.currentPath = answers.startInfo;
        await startPlayer({ testMode: "1" });
        await waitFor("the project to open", function () { return state().path !== "" || state().dialog !== ""; });
        await waitFor("the image", function () { return state().imageState !== "loading"; });
        snap("started");
        player.ControlAppWindowVC("closeAppButton");
        await waitFor("exit", function () { return callNames().indexOf("ExitApplicationVC") >= 0; });
        snap("exit");
    }
};

window.addEventListener("load", function () { runScenario(scenarios[query.get("scenario")]); });
