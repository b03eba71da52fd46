// Stand-in for the desktop host: answers the editor's commands as the host does, records every call,
// keeps the host's current project path, and writes saved projects through the test server.
"use strict";

const calls = [];
const answers = { file: [], save: [], folder: [], publish: [], startInfo: "new",
                  settings: ["", "Banner.swf", "Banner.html"] };
const hostState = { currentPath: "", projectXml: {}, served: [] };
let player = null;

function post(path, body) {
    const x = new XMLHttpRequest();
    x.open("POST", path, false);
    x.send(body);
    return x.responseText;
}

function record(name, args) {
    calls.push({ name: name, args: Array.prototype.map.call(args, String) });
}

function fetchProject(kind) {
    const xml = player.GetProjectFileXmlDataVC(kind);
    hostState.served.push({ kind: kind, xml: String(xml) });
    // The host turns every backslash + "n" of the text into a line feed.
    return String(xml).split("\\n").join("\n");
}

window.GetSelectedFilePathVC = function (filter, mode, initial) {
    record("GetSelectedFilePathVC", arguments);
    const chosen = answers.file.shift();
    if (chosen === undefined) return "false";
    if (String(mode).toLowerCase() === "openprj" || String(filter).indexOf("xml") > 0)
        hostState.currentPath = chosen;
    return chosen;
};
window.CreateNewProjectVC = function () {
    record("CreateNewProjectVC", arguments);
    hostState.currentPath = "";
    return "NoDefine Call";
};
window.SaveProjectFileVC = function (mode) {
    record("SaveProjectFileVC", arguments);
    let path = hostState.currentPath;
    if (path === "" || String(mode || "").toLowerCase() === "saveas") {
        const chosen = answers.save.shift();
        if (chosen === undefined) return "false";
        path = chosen;
    }
    hostState.currentPath = path;
    const text = fetchProject("customTemplate");
    post("/write?path=" + encodeURIComponent(path), text);
    return path;
};
window.OutPutProjectFilesVC = function () {
    record("OutPutProjectFilesVC", arguments);
    const reply = answers.publish.shift() || "ok";
    if (reply === "ok") {
        hostState.projectXml.photoEditor = fetchProject("photoEditor");
        hostState.projectXml.customTemplate = fetchProject("customTemplate");
    }
    return reply;
};
window.GetOutputFielsInfoVC = function () {
    record("GetOutputFielsInfoVC", arguments);
    // The settings reach the movie after this reply, through a separate call.
    setTimeout(function () {
        player.SettingOutputFilesVC(answers.settings[0], answers.settings[1], answers.settings[2]);
    }, 0);
    return answers.startInfo;
};
window.GetOutputFolderPathVC = function () {
    record("GetOutputFolderPathVC", arguments);
    const chosen = answers.folder.shift();
    return chosen === undefined ? "false" : chosen;
};
window.MaximizeApplicationVC = function () { record("MaximizeApplicationVC", arguments); return "true"; };
window.RestoreApplicationVC = function () { record("RestoreApplicationVC", arguments); return "restore"; };
for (const name of ["ExitApplicationVC", "MinimizeApplicationVC", "OpenOutputFolderVC", "OpenHelpFileVC"]) {
    window[name] = function () { record(name, arguments); return "NoDefine Call"; };
}

// ---- Helpers for scenarios.

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
    player.style.width = "1000px";
    player.style.height = "640px";
    document.getElementById("stage").appendChild(player);
    await player.load({ url: "/editor/Pennoria.swf", parameters: params, allowScriptAccess: true,
                        autoplay: "on", unmuteOverlay: "hidden", splashScreen: false, logLevel: "error",
                        letterbox: "off" });
    await waitFor("the editor's test entry point", function () { return typeof player.editorTest === "function"; }, 150);
    await waitFor("the start-up question", function () { return callNames().indexOf("GetOutputFielsInfoVC") >= 0; });
}

function finish(error) {
    post("/done", JSON.stringify({ error: error ? String(error.stack || error) : null, calls: calls,
                                   snapshots: snapshots, served: hostState.served,
                                   published: hostState.projectXml }));
}

async function runScenario(body) {
    try {
        await body();
        finish(null);
    } catch (e) {
        finish(e);
    }
}
