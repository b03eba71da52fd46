// Stand-in for the desktop host: answers the editor's commands as the host does, records every call,
// keeps the host's current project path, and writes saved projects through the test server.
"use strict";

const answers = { file: [], save: [], folder: [], publish: [], recent: [], startInfo: "new",
                  settings: ["", "Banner.swf", "Banner.html"], feed: null, progress: [],
                  exportReply: "ok", exportProgress: [] };
const hostState = { currentPath: "", projectXml: {}, served: [] };

function hostReport() { return { served: hostState.served, published: hostState.projectXml }; }

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
    if (String(mode).toLowerCase() === "openprj" || String(filter).indexOf("xml") > 0) {
        hostState.previousPath = hostState.currentPath;
        hostState.currentPath = chosen;
    }
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
window.OpenHandedProjectVC = function (path) {
    record("OpenHandedProjectVC", arguments);
    hostState.previousPath = hostState.currentPath;
    hostState.currentPath = String(path);
    return String(path);
};
window.ReopenPreviousProjectVC = function () {
    record("ReopenPreviousProjectVC", arguments);
    hostState.currentPath = hostState.previousPath || "";
    return hostState.currentPath === "" ? "new" : hostState.currentPath;
};
// The projects opened and saved last, as the host lists them: "present" or "missing", a tab, the path.
window.RecentProjectsVC = function () {
    record("RecentProjectsVC", arguments);
    return answers.recent.map(function (r) { return (r.missing ? "missing\t" : "present\t") + r.path; }).join("\n");
};
window.OpenRecentProjectVC = function (path) {
    record("OpenRecentProjectVC", arguments);
    const listed = answers.recent.find(function (r) { return r.path === String(path) && !r.missing; });
    if (!listed) return "false";
    hostState.previousPath = hostState.currentPath;
    hostState.currentPath = listed.path;
    return listed.path;
};
window.ForgetRecentProjectVC = function (path) {
    record("ForgetRecentProjectVC", arguments);
    answers.recent = answers.recent.filter(function (r) { return r.path !== String(path); });
    return "ok";
};
window.SetLanguageVC = function () { record("SetLanguageVC", arguments); return "ok"; };
window.PreviewInBrowserVC = function () { record("PreviewInBrowserVC", arguments); return "ok"; };
// No painter here: the editor keeps a text the player cannot draw marked and blank.
window.TextPictureVC = function () { record("TextPictureVC", arguments); return "false"; };
window.MaximizeApplicationVC = function () { record("MaximizeApplicationVC", arguments); return "true"; };
window.RestoreApplicationVC = function () { record("RestoreApplicationVC", arguments); return "restore"; };
for (const name of ["ExitApplicationVC", "MinimizeApplicationVC", "OpenOutputFolderVC", "OpenHelpFileVC"]) {
    window[name] = function () { record(name, arguments); return "NoDefine Call"; };
}


// The feed panel's calls: the rows the host would read (answers.feed), and a publish that goes
// through answers.progress one answer per question, staying on the last.
window.ReadFeedVC = function () {
    record("ReadFeedVC", arguments);
    return answers.feed === null ? JSON.stringify({ error: "cannot read the feed" }) : JSON.stringify(answers.feed);
};
window.PublishFeedVC = function () {
    record("PublishFeedVC", arguments);
    hostState.projectXml.feed = fetchProject("photoEditor");
    return "ok";
};
window.FeedProgressVC = function () {
    record("FeedProgressVC", arguments);
    const next = answers.progress.length > 1 ? answers.progress.shift() : answers.progress[0];
    return JSON.stringify(next || { state: "idle", done: 0, published: 0, failed: 0, lines: [] });
};
window.CancelFeedVC = function () {
    record("CancelFeedVC", arguments);
    // The rows being published finish; then the host says it stopped.
    const last = answers.progress[answers.progress.length - 1] || { done: 0, published: 0, failed: 0 };
    answers.progress = [{ state: "cancelled", done: last.done, published: last.published || last.done,
                          failed: last.failed || 0, lines: [] }];
    return "ok";
};

// The export panel's calls: a start answered by answers.exportReply (the host's refusal when not
// "ok"), and an export that goes through answers.exportProgress one answer per question, staying
// on the last.
window.ExportBannerVC = function () {
    record("ExportBannerVC", arguments);
    if (answers.exportReply === "ok")
        hostState.projectXml.exported = fetchProject("photoEditor");
    return answers.exportReply;
};
window.ExportProgressVC = function () {
    record("ExportProgressVC", arguments);
    const p = answers.exportProgress;
    const next = p.length > 1 ? p.shift() : p[0];
    return JSON.stringify(next || { state: "idle", fraction: 0, written: [], notes: [], errors: [] });
};
window.CancelExportVC = function () {
    record("CancelExportVC", arguments);
    // The file being written is given up; then the host says it stopped.
    const last = answers.exportProgress[answers.exportProgress.length - 1] || { written: [], notes: [] };
    answers.exportProgress = [{ state: "cancelled", fraction: 1, written: last.written, notes: last.notes,
                                errors: ["the export was stopped"] }];
    return "ok";
};
