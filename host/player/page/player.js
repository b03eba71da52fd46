// The player page's script: runs the movie in Ruffle and links its external calls to the host.
//
// Every ExternalInterface.call of the movie becomes an invoke text sent to the host with a
// synchronous request; the host answers with the reply, or asks for a movie function to be called
// first (its result goes back in a new request, and so on until the reply comes).
(function () {
    "use strict";

    const config = window.pennoriaPlayerConfig || {};
    const bridgeUrl = config.bridgeUrl || "pennoria://player/?bridge";
    let player = null;

    // Pace. Ruffle draws from animation frames, 60 a second, even when the movie is still. While
    // the movie rests (it says so through "pennoriaPace" with a low frame rate) and nobody touches
    // the page, the frames come from a slow timer instead; input, a call into the movie, or the
    // movie raising its rate brings the display's frames back at once.
    const nativeFrame = window.requestAnimationFrame.bind(window);
    const nativeCancel = window.cancelAnimationFrame.bind(window);
    const kAwakeAfterInputMs = 1500;
    let moviePace = 30;
    let awakeUntil = 0;
    let nextHandle = 1;
    const waiting = new Map(); // our handle -> {native, timer, callback}

    function resting() {
        return moviePace < 10 && performance.now() > awakeUntil;
    }
    function restIntervalMs() {
        return Math.max(100, Math.min(1000, 1000 / Math.max(moviePace, 1)));
    }
    function deliver(handle, time) {
        const entry = waiting.get(handle);
        if (!entry)
            return;
        waiting.delete(handle);
        if (entry.timer)
            clearTimeout(entry.timer);
        if (entry.late)
            clearTimeout(entry.late);
        if (entry.native)
            nativeCancel(entry.native);
        entry.callback(time);
    }
    // A display frame more than this late is given from a timer: the movie never waits on a
    // frame the view forgot (a hidden or re-parented view may stop giving them).
    const kFrameLateMs = 1000;
    function schedule(handle) {
        const entry = waiting.get(handle);
        if (resting()) {
            entry.timer = setTimeout(function () { deliver(handle, performance.now()); }, restIntervalMs());
        } else {
            entry.native = nativeFrame(function (time) { deliver(handle, time); });
            entry.late = setTimeout(function () { deliver(handle, performance.now()); }, kFrameLateMs);
        }
    }
    window.requestAnimationFrame = function (callback) {
        const handle = nextHandle++;
        waiting.set(handle, { native: 0, timer: 0, late: 0, callback: callback });
        schedule(handle);
        return handle;
    };
    window.cancelAnimationFrame = function (handle) {
        const entry = waiting.get(handle);
        if (!entry)
            return;
        waiting.delete(handle);
        if (entry.timer)
            clearTimeout(entry.timer);
        if (entry.late)
            clearTimeout(entry.late);
        if (entry.native)
            nativeCancel(entry.native);
    };
    // Frames waiting on the slow timer come at the display's pace again.
    function wake() {
        awakeUntil = performance.now() + kAwakeAfterInputMs;
        for (const [handle, entry] of waiting) {
            if (entry.timer) {
                clearTimeout(entry.timer);
                entry.timer = 0;
                entry.native = nativeFrame(function (time) { deliver(handle, time); });
                entry.late = setTimeout(function () { deliver(handle, performance.now()); }, kFrameLateMs);
            }
        }
    }
    for (const type of ["pointerdown", "pointermove", "pointerup", "wheel", "keydown", "keyup", "focus"])
        window.addEventListener(type, wake, { capture: true, passive: true });
    function setPace(rate) {
        const value = Number(rate);
        if (!(value > 0))
            return;
        moviePace = value;
        notify("pace\n" + value);
        if (!resting())
            wake();
    }

    function escapeXml(text) {
        return String(text)
            .replace(/&/g, "&amp;")
            .replace(/</g, "&lt;")
            .replace(/>/g, "&gt;")
            .replace(/"/g, "&quot;")
            .replace(/'/g, "&apos;");
    }

    // A value in the external API's XML form.
    function toXml(value, seen) {
        switch (typeof value) {
            case "string":
                return "<string>" + escapeXml(value) + "</string>";
            case "number":
                return "<number>" + String(value) + "</number>";
            case "boolean":
                return value ? "<true/>" : "<false/>";
            case "undefined":
                return "<undefined/>";
            case "object":
                break;
            default:
                return "<null/>";
        }
        if (value === null)
            return "<null/>";
        seen = seen || new Set();
        if (seen.has(value))
            return "<null/>";
        seen.add(value);
        let text;
        if (Array.isArray(value)) {
            text = "<array>";
            for (let i = 0; i < value.length; ++i)
                text += '<property id="' + i + '">' + toXml(value[i], seen) + "</property>";
            text += "</array>";
        } else {
            text = "<object>";
            for (const key of Object.keys(value))
                text += '<property id="' + escapeXml(key) + '">' + toXml(value[key], seen) + "</property>";
            text += "</object>";
        }
        seen.delete(value);
        return text;
    }

    // A value from an element of the external API's XML form.
    function fromXml(element) {
        switch (element.nodeName) {
            case "string":
                return element.textContent;
            case "number":
                return Number(element.textContent);
            case "true":
                return true;
            case "false":
                return false;
            case "null":
                return null;
            case "date":
                return new Date(Number(element.textContent));
            case "array":
            case "object": {
                const result = element.nodeName === "array" ? [] : {};
                for (const property of element.children) {
                    if (property.nodeName !== "property")
                        continue;
                    const inner = property.firstElementChild;
                    result[property.getAttribute("id")] = inner ? fromXml(inner) : undefined;
                }
                return result;
            }
            default:
                return undefined;
        }
    }

    const kEntities = { lt: "<", gt: ">", amp: "&", quot: '"', apos: "'" };

    function decodeEntities(text) {
        return text.replace(/&(lt|gt|amp|quot|apos|#[0-9]{1,7}|#x[0-9a-fA-F]{1,6});/g, function (all, name) {
            if (name[0] !== "#")
                return kEntities[name];
            const code = name[1] === "x" ? parseInt(name.substring(2), 16) : parseInt(name.substring(1), 10);
            return code > 0 && code <= 0x10ffff ? String.fromCodePoint(code) : all;
        });
    }

    // The host's reply as a value for the movie. A string reply is taken between its tags as it
    // stands, so a path or text with a bare "&" or "<" still arrives whole.
    function decodeReply(text) {
        const wrapped = /^\s*<string>([\s\S]*)<\/string>\s*$/.exec(text);
        if (wrapped)
            return decodeEntities(wrapped[1]);
        if (/^\s*<string\s*\/>\s*$/.test(text))
            return "";
        const doc = new DOMParser().parseFromString(text, "text/xml");
        if (!doc.documentElement || doc.getElementsByTagName("parsererror").length)
            return undefined;
        return fromXml(doc.documentElement);
    }

    // One synchronous exchange with the host; null when the host cannot be reached.
    function post(body) {
        const request = new XMLHttpRequest();
        try {
            request.open("POST", bridgeUrl, false);
            request.send(body);
        } catch (error) {
            return null;
        }
        return request.status === 200 ? request.responseText : null;
    }

    // A message that needs no answer.
    function notify(body) {
        fetch(bridgeUrl, { method: "POST", body: body }).catch(function () {});
    }

    function splitLines(text, count) {
        const parts = [];
        let rest = text;
        for (let i = 0; i < count; ++i) {
            const end = rest.indexOf("\n");
            if (end < 0)
                return null;
            parts.push(rest.substring(0, end));
            rest = rest.substring(end + 1);
        }
        parts.push(rest);
        return parts;
    }

    // Calls the movie function an invoke text names; "ok\n<result xml>" or "error\n<why>".
    function callMovie(invokeText) {
        wake();
        if (!player)
            return "error\nno movie is loaded";
        const doc = new DOMParser().parseFromString(invokeText, "text/xml");
        const root = doc.documentElement;
        if (!root || root.nodeName !== "invoke" || doc.getElementsByTagName("parsererror").length)
            return "error\nthe invoke text is not well-formed";
        const name = root.getAttribute("name") || "";
        if (!Object.prototype.hasOwnProperty.call(player, name) || typeof player[name] !== "function")
            return "error\nthe movie has no function " + name;
        const args = [];
        for (const list of root.children) {
            if (list.nodeName !== "arguments")
                continue;
            for (const argument of list.children)
                args.push(fromXml(argument));
        }
        try {
            return "ok\n" + toXml(callReportingFailure(player[name], args));
        } catch (error) {
            return "error\n" + String((error && error.message) || error);
        }
    }

    // Ruffle catches an error thrown by a movie function, logs it and answers null; the log line
    // is how the failure is told from a real null.
    const failurePattern = /error in avm\d? external interface callback/i;
    function callReportingFailure(fn, args) {
        let failure = null;
        const saved = {};
        for (const level of ["log", "error", "warn"]) {
            saved[level] = console[level];
            console[level] = function () {
                const text = Array.prototype.join.call(arguments, " ");
                if (failure === null && failurePattern.test(text)) {
                    failure = text.substring(text.search(failurePattern)).split("\n")[0];
                    return;
                }
                return saved[level].apply(console, arguments);
            };
        }
        let result;
        try {
            result = fn.apply(player, args);
        } finally {
            for (const level in saved)
                console[level] = saved[level];
        }
        if (failure !== null)
            throw new Error(failure);
        return result;
    }

    // Once the movie has made its first call (the editor does while it builds itself), its first
    // frame is drawn two display frames later: the host then takes its splash away.
    let shown = false;
    function reportShown() {
        if (shown)
            return;
        shown = true;
        nativeFrame(function () { nativeFrame(function () { notify("shown\n"); }); });
    }

    // The movie's ExternalInterface.call(name, ...args).
    function externalCall(name, args) {
        if (name === "pennoriaPace") {
            setPace(args[0]);
            return true;
        }
        wake();
        setTimeout(reportShown, 0);
        const invoke = '<invoke name="' + escapeXml(name) + '" returntype="xml"><arguments>' +
            args.map(function (arg) { return toXml(arg); }).join("") + "</arguments></invoke>";
        let answer = post("call\n" + invoke);
        while (answer !== null) {
            const kind = answer.substring(0, answer.indexOf("\n"));
            if (kind === "reply")
                return decodeReply(answer.substring(6));
            if (kind !== "callmovie")
                break;
            const parts = splitLines(answer, 3);
            if (!parts)
                break;
            answer = post("result\n" + parts[1] + "\n" + parts[2] + "\n" + callMovie(parts[3]));
        }
        return undefined;
    }

    // Ruffle runs ExternalInterface.call(name, ...) as new Function("return (name)(...arguments);")
    // on the page; every such call goes to the host instead, under the name the movie gave.
    const NativeFunction = window.Function;
    const externalPattern = /^return \(([\s\S]*)\)\(\.\.\.arguments\);$/;
    function externalTrampoline(args) {
        if (args.length !== 1 || typeof args[0] !== "string")
            return null;
        const match = externalPattern.exec(args[0]);
        if (!match)
            return null;
        const name = match[1];
        return function () { return externalCall(name, Array.prototype.slice.call(arguments)); };
    }
    window.Function = new Proxy(NativeFunction, {
        construct: function (target, args) {
            return externalTrampoline(args) || Reflect.construct(target, args);
        },
        apply: function (target, self, args) {
            return externalTrampoline(args) || Reflect.apply(target, self, args);
        },
    });

    // Ruffle's renderer. WebGL drawn by the processor (llvmpipe, SwiftShader: no GPU) costs far
    // more than Ruffle's canvas renderer drawing the same stage, so "auto" takes the canvas
    // there and where WebGL is missing, and WebGL where a GPU draws it. Browsers may hide the
    // name of what draws WebGL, so what decides is the time of a small drawing: a shader of 32
    // sines for each of 128 x 128 pixels takes a GPU well under a millisecond and a processor
    // many milliseconds.
    function webglDrawMs(gl) {
        const vertex = gl.createShader(gl.VERTEX_SHADER);
        gl.shaderSource(vertex, "attribute vec2 p; void main() { gl_Position = vec4(p, 0.0, 1.0); }");
        gl.compileShader(vertex);
        const fragment = gl.createShader(gl.FRAGMENT_SHADER);
        gl.shaderSource(fragment, "precision mediump float; void main() { float v = gl_FragCoord.x;" +
            " for (int i = 0; i < 32; i++) v = sin(v * 1.01 + gl_FragCoord.y);" +
            " gl_FragColor = vec4(v, v, v, 1.0); }");
        gl.compileShader(fragment);
        const program = gl.createProgram();
        gl.attachShader(program, vertex);
        gl.attachShader(program, fragment);
        gl.linkProgram(program);
        if (!gl.getProgramParameter(program, gl.LINK_STATUS))
            return Infinity;
        gl.useProgram(program);
        gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
        gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 3, -1, -1, 3]), gl.STATIC_DRAW);
        gl.enableVertexAttribArray(0);
        gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
        const pixel = new Uint8Array(4);
        const draw = function () {
            gl.drawArrays(gl.TRIANGLES, 0, 3);
            gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel); // waits for the drawing
        };
        draw(); // compiles and warms up
        const started = performance.now();
        draw();
        draw();
        return (performance.now() - started) / 2;
    }
    function chooseRenderer(wanted) {
        if (wanted === "canvas" || wanted === "webgl")
            return { renderer: wanted, why: "setting" };
        try {
            const canvas = document.createElement("canvas");
            canvas.width = canvas.height = 128;
            const gl = canvas.getContext("webgl");
            if (!gl)
                return { renderer: "canvas", why: "no WebGL" };
            const ms = webglDrawMs(gl);
            const lose = gl.getExtension("WEBGL_lose_context");
            if (lose)
                lose.loseContext();
            return { renderer: ms > 2 ? "canvas" : "webgl",
                      why: "WebGL test drawing " + ms.toFixed(2) + " ms" };
        } catch (e) {
            return { renderer: "canvas", why: "no WebGL" };
        }
    }
    let renderer = null;

    // Ruffle ends a script of the movie that runs longer than its limit (15 seconds unless told)
    // with an error in the middle of what it was doing. The clock keeps running while the movie
    // waits for the host, and so while a person answers a dialog of the host's (types in its text
    // box, looks for a file): the reply then came back to a movie whose handler was cut short, its
    // change half made and never an undo step. The limit is set past any answer; a movie that
    // really stops is noticed by the host, which asks it a cheap question now and then.
    const kScriptLimitSeconds = 7 * 24 * 3600;

    function loadOptions(url, vars) {
        if (!renderer) {
            renderer = chooseRenderer(config.renderer);
            notify("log\nrenderer " + renderer.renderer + " (" + renderer.why + ")");
        }
        return {
            preferredRenderer: renderer.renderer,
            url: url,
            parameters: Object.fromEntries(new URLSearchParams(vars || "")),
            allowScriptAccess: true,
            autoplay: "on",
            unmuteOverlay: "hidden",
            splashScreen: false,
            letterbox: "on",
            scale: "showAll",
            quality: "high",
            wmode: "window",
            menu: true,
            warnOnUnsupportedContent: false,
            showSwfDownload: false,
            openUrlMode: "deny",
            logLevel: "error",
            maxExecutionDuration: kScriptLimitSeconds,
            fontSources: config.fontSources || [],
            defaultFonts: config.defaultFonts || {},
        };
    }

    window.pennoriaLoadMovie = function (url, vars) {
        if (!player) {
            player = window.RufflePlayer.newest().createPlayer();
            player.id = "player";
            document.body.appendChild(player);
        }
        player.ruffle().load(loadOptions(url, vars)).then(
            function () {
                player.focus();
                notify("loaded\n" + url);
                // A movie that never calls the host is shown a moment after it is loaded.
                setTimeout(reportShown, 1000);
            },
            function (error) { notify("failed\n" + String(error)); });
    };
    window.pennoriaCallMovie = callMovie;

    // Ruffle's WebAssembly fetched and compiled, for the start-up breakdown in the bridge log.
    for (const name of ["instantiateStreaming", "compileStreaming", "instantiate", "compile"]) {
        const original = window.WebAssembly && WebAssembly[name];
        if (typeof original !== "function")
            continue;
        WebAssembly[name] = function () {
            const started = performance.now();
            const result = original.apply(this, arguments);
            result.then(function () {
                notify("log\nwasm ready " + Math.round(performance.now() - started) + " ms");
            }, function () {});
            return result;
        };
    }

    // For the tests: Ctrl+Shift+F12 stops the page's script for good, as a movie that stopped
    // answering would.
    if (config.testHooks) {
        window.addEventListener("keydown", function (event) {
            if (event.key === "F12" && event.ctrlKey && event.shiftKey) {
                notify("log\ntest hook: the script stops");
                setTimeout(function () { for (;;) {} }, 100);
            }
        }, true);
    }

    window.pennoriaRuffleLoaded = function () {
        let version = 0;
        const plugin = navigator.plugins && navigator.plugins.namedItem("Shockwave Flash");
        const match = plugin && /(\d+)\.(\d+)/.exec(plugin.description || "");
        if (match)
            version = (Number(match[1]) << 16) | Number(match[2]);
        notify("ready\n" + version);
    };
    window.pennoriaRuffleFailed = function () {
        notify("failed\nRuffle could not be loaded");
    };
})();
