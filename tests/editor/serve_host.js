// The editor's commands forwarded to the real host (pennoria-cli serve) through the test server:
// each call becomes an invoke text, as the desktop player's page builds it, sent with a synchronous
// request; calls the host makes into the movie come back to be run here, and their results go back.
"use strict";

const COMMANDS = ["GetSelectedFilePathVC", "CreateNewProjectVC", "SaveProjectFileVC", "OutPutProjectFilesVC",
                  "ExitApplicationVC", "MinimizeApplicationVC", "MaximizeApplicationVC", "RestoreApplicationVC",
                  "GetOutputFielsInfoVC", "GetOutputFolderPathVC", "OpenOutputFolderVC", "OpenHelpFileVC",
                  "PreviewInBrowserVC", "SetLanguageVC", "ReadFeedVC", "PublishFeedVC", "FeedProgressVC", "CancelFeedVC",
                  "ExportBannerVC", "ExportProgressVC", "CancelExportVC"];
const hostCalls = [];

function escapeXml(text) {
    return String(text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;").replace(/"/g, "&quot;");
}

function valueXml(value) {
    if (typeof value === "string") return "<string>" + escapeXml(value) + "</string>";
    if (typeof value === "number") return "<number>" + value + "</number>";
    if (typeof value === "boolean") return value ? "<true/>" : "<false/>";
    return "<null/>";
}

// A host call: the movie function it names, run with its arguments; the result in the external API's form.
function callMovie(invoke) {
    const doc = new DOMParser().parseFromString(invoke, "text/xml");
    const name = doc.documentElement.getAttribute("name");
    const args = Array.prototype.map.call(doc.querySelectorAll("arguments > *"), function (e) { return e.textContent; });
    hostCalls.push({ name: name, args: args });
    const result = player[name].apply(player, args);
    return result === undefined || result === null ? "" : valueXml(result);
}

function decodeReply(text) {
    if (text === "") return undefined;
    const doc = new DOMParser().parseFromString(text, "text/xml");
    return doc.documentElement.nodeName === "string" ? doc.documentElement.textContent : undefined;
}

function exchange(kind, body) {
    let answer = post("/bridge?" + kind, body);
    for (;;) {
        const cut = answer.indexOf("\n");
        const what = answer.substring(0, cut);
        const text = answer.substring(cut + 1);
        if (what !== "call")
            return decodeReply(text);
        answer = post("/bridge?result", callMovie(text));
    }
}

for (const name of COMMANDS) {
    window[name] = function () {
        record(name, arguments);
        const args = Array.prototype.map.call(arguments, valueXml).join("");
        return exchange("request", '<invoke name="' + name + '" returntype="xml"><arguments>' + args + "</arguments></invoke>");
    };
}

// Calls the host makes on its own (the output settings after start-up) are fetched while idle.
setInterval(function () {
    if (!player || typeof player.editorTest !== "function") return;
    const x = new XMLHttpRequest();
    x.open("POST", "/bridge?poll", false);
    x.send("");
    if (x.responseText.startsWith("call\n"))
        exchange("result", callMovie(x.responseText.substring(5)));
}, 100);

function hostReport() { return { hostCalls: hostCalls }; }
