// Helpers shared by the editor test's hosts and scenarios: the call record, the test entry point,
// waiting, snapshots, starting the player and reporting to the test server.
"use strict";

const calls = [];
let player = null;

// The frame rates the movie announces to the page (the desktop player's page rests on them).
const paces = [];
window.pennoriaPace = function (rate) { paces.push(Number(rate)); return true; };

function post(path, body) {
    const x = new XMLHttpRequest();
    x.open("POST", path, false);
    x.send(body);
    return x.responseText;
}

function record(name, args) {
    calls.push({ name: name, args: Array.prototype.map.call(args, String) });
}

function sleep(ms) { return new Promise(function (r) { setTimeout(r, ms); }); }

async function waitFor(what, test, seconds) {
    const end = Date.now() + (seconds || 20) * 1000;
    while (Date.now() < end) {
        try { if (test()) return; } catch (e) { /* not ready yet */ }
        await sleep(50);
    }
    throw new Error("timed out waiting for " + what);
}

function drive(op, a, b) { return String(player.editorTest(op, a === undefined ? "" : a, b === undefined ? "" : b)); }
function state() { return JSON.parse(drive("state")); }
function callNames() { return calls.map(function (c) { return c.name; }); }

const snapshots = [];
function snap(label, extra) {
    snapshots.push({ label: label, state: state(), calls: calls.length, extra: extra || null });
}

async function startPlayer(params) {
    const ruffle = window.RufflePlayer.newest();
    player = ruffle.createPlayer();
    // The window's size: 1000 by 640 unless the query asks for another.
    const size = new URLSearchParams(location.search);
    const stage = document.getElementById("stage");
    stage.style.width = player.style.width = (Number(size.get("w")) || 1000) + "px";
    stage.style.height = player.style.height = (Number(size.get("h")) || 640) + "px";
    stage.appendChild(player);
    await player.load({ url: "/editor/Pennoria.swf", parameters: params, allowScriptAccess: true,
                        autoplay: "on", unmuteOverlay: "hidden", splashScreen: false, logLevel: "error",
                        letterbox: "off" });
    await waitFor("the editor's test entry point", function () { return typeof player.editorTest === "function"; }, 150);
    await waitFor("the start-up question", function () { return callNames().indexOf("GetOutputFielsInfoVC") >= 0; });
}

function finish(error) {
    const report = { error: error ? String(error.stack || error) : null, calls: calls, snapshots: snapshots,
                     paces: paces };
    if (typeof hostReport === "function")
        Object.assign(report, hostReport());
    post("/done", JSON.stringify(report));
}

async function runScenario(body) {
    try {
        await body();
        finish(null);
    } catch (e) {
        finish(e);
    }
}
