// Publish request parsing, the publish folder check and recursive folder creation.
#include "publish/PublishRequest.h"

#include "core/Strings.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "publish/PlayerBundle.h"
#include "publish/PublishManifest.h"

#include <climits>
#include <cstdio>

namespace pennoria {

namespace {

bool IsScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

bool ScanDecimal(const std::string& text, std::int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && IsScanSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return false;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude <= std::int64_t{INT32_MAX} + 1)
            magnitude = magnitude * 10 + (text[i] - '0');
    }
    std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX)
        signedValue = INT32_MAX;
    if (signedValue < INT32_MIN)
        signedValue = INT32_MIN;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

CPublishRequest::CPublishRequest(const std::vector<std::string>& arguments) {
    ParseArguments(arguments);
}

void CPublishRequest::ParseArguments(const std::vector<std::string>& arguments) {
    const std::size_t count = arguments.size();
    if (count > 0)
        ScanDecimal(arguments[0], outMode);
    if (count > 1)
        ScanDecimal(arguments[1], embedMode);
    if (count > 2)
        folder = platform::Trim(arguments[2]);
    if (count > 3)
        swfName = platform::Trim(arguments[3]);
    if (count > 4)
        pageName = platform::Trim(arguments[4]);
    if (count > 5)
        xmlName = platform::Trim(arguments[5]);
    if (count > 6)
        playerMode = platform::Trim(arguments[6]);
    if (count > 7)
        html5 = platform::Trim(arguments[7]);
    if (count > 8)
        swf = platform::Trim(arguments[8]);
}

std::string PublishBaseName(const std::string& swfName) {
    std::size_t dot = swfName.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return swfName;
    return swfName.substr(0, dot);
}

bool IsPlainPublishName(const std::string& name) {
    if (name.empty() || name == "." || name.find("..") != std::string::npos)
        return false;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\' || c == '"' || c == '\'' ||
            c == '`' || c == '<' || c == '>' || c == ':')
            return false;
    }
    return true;
}

std::string PublishNameCollision(const std::string& name, const std::string& swfName,
                                 const std::string& pageName, const std::string& xmlName) {
    const std::string lower = platform::AsciiLower(name);
    const std::string base = PublishBaseName(swfName);
    const std::string fixed[] = {"res",
                                 "html5",
                                 kPlayerFolderName,
                                 "fs_aux.html",
                                 "swfobject.js",
                                 kPublishManifestName,
                                 base + "_html5.zip",
                                 base + "_backup.png"};
    for (const std::string& output : fixed)
        if (lower == platform::AsciiLower(output))
            return output;
    // Every movie name makes a zip and a backup image of its own: a chosen name of that form is
    // the creative of another movie name, and the movie itself would read as one.
    for (const char* suffix : {"_html5.zip", "_backup.png"}) {
        const std::string_view end(suffix);
        if (lower.size() >= end.size() &&
            lower.compare(lower.size() - end.size(), end.size(), end) == 0)
            return "*" + std::string(suffix);
    }
    // "<W>x<H>": the folder of one size of a project with several.
    const std::size_t x = lower.find('x');
    auto digits = [](std::string_view text) {
        return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (x != std::string::npos && digits(std::string_view(lower).substr(0, x)) &&
        digits(std::string_view(lower).substr(x + 1)))
        return "<width>x<height>/";
    if (platform::IsTemporaryFileName(name))
        return name;
    int same = 0;
    for (const std::string* chosen : {&swfName, &pageName, &xmlName})
        if (platform::AsciiLower(*chosen) == lower)
            ++same;
    if (same > 1)
        return name;
    return {};
}

bool CPublishRequest::PrepareOutputFolder(PublishOutcome& outcome, platform::IDialogs& dialogs) {
    if (embedMode == 0)
        embedPages = true;
    writePages = outMode == 1;
    if (pageName.empty())
        pageName = "banner.html";
    if (swfName.empty())
        swfName = "banner.swf";
    if (xmlName.empty())
        xmlName = "template.xml";

    // A name that would lead out of the publish folder is refused before anything happens.
    for (const std::string* name : {&swfName, &pageName, &xmlName}) {
        if (!IsPlainPublishName(*name)) {
            dialogs.ShowTitledMessage(LoadAppString(IDS_PUBLISH_TITLE),
                                      FormatAppString(IDS_PUBLISH_BAD_NAME, {*name}),
                                      platform::MessageButtons::Ok, platform::MessageIcon::Error);
            outcome = PublishOutcome::NameRefused;
            return false;
        }
    }
    // Nor may a name take the place of another output of the same publish: one of the two would
    // be lost, and the publish would still say it succeeded.
    for (const std::string* name : {&swfName, &pageName, &xmlName}) {
        if (name == &pageName && !writePages)
            continue;
        const std::string taken =
            PublishNameCollision(*name, swfName, writePages ? pageName : std::string(), xmlName);
        if (!taken.empty()) {
            dialogs.ShowTitledMessage(LoadAppString(IDS_PUBLISH_TITLE),
                                      FormatAppString(IDS_PUBLISH_NAME_TAKEN, {*name, taken}),
                                      platform::MessageButtons::Ok, platform::MessageIcon::Error);
            outcome = PublishOutcome::NameRefused;
            return false;
        }
    }

    outputFolder = folder;
    if (outputFolder.empty() || (outputFolder.back() != '\\' && outputFolder.back() != '/'))
        outputFolder += '/';
    outputFolder += PublishBaseName(swfName);

    if (platform::DirectoryExists(outputFolder)) {
        std::string prompt = FormatAppString(IDS_OVERWRITE_PROMPT, {outputFolder});
        if (dialogs.ShowTitledMessage("Folder Existed", prompt, platform::MessageButtons::YesNo,
                                      platform::MessageIcon::Question) !=
            platform::MessageAnswer::Yes) {
            outcome = PublishOutcome::Cancelled;
            return false;
        }
    }
    outputFolder += '/';
    if (!EnsureDirectory(outputFolder)) {
        outcome = PublishOutcome::FolderNotCreated;
        return false;
    }
    return true;
}

bool EnsureDirectory(const std::string& path) {
    std::string target = path;
    if (!target.empty() && target.back() == '/')
        target.pop_back();
    if (platform::PathExists(target))
        return true;
    // Walk up to the first level that exists, then create the missing ones top-down.
    std::vector<std::string> missing{target};
    for (;;) {
        std::size_t slash = missing.back().find_last_of('/');
        if (slash == std::string::npos)
            break; // a relative name: its first level goes into the current folder
        std::string parent = missing.back().substr(0, slash);
        if (parent.empty() || platform::PathExists(parent))
            break;
        missing.push_back(std::move(parent));
    }
    bool created = false;
    for (auto level = missing.rbegin(); level != missing.rend(); ++level)
        created = platform::CreateOneDirectory(*level);
    return created;
}

} // namespace pennoria
