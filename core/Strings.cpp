// String lookup through the language files and the built-in table.
#include "core/Strings.h"

#include "core/ProgramPaths.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <cstdio>

namespace pennoria {

const char* const kPlayerDownloadPage = "https://ruffle.rs/#downloads";

namespace {

const std::string* g_languageIni = nullptr;

// Values longer than the lookup buffer (1023 characters with the terminating zero) are cut.
constexpr std::size_t kMaxValueCodePoints = 1022;

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

std::string BuiltInString(int id) {
    switch (id) {
    case IDS_OVERWRITE_PROMPT:
        return "One or more files existed:\n\n%s\n\nDo you want to overwrite current file(s)?\n\n"
               "Press No to change file name, press Yes to overwrite current file.";
    case IDS_CREATED_BY:
        return "<div class=\"text_createdby\"><p><a href=\"https://pennoria.org/\" "
               "target=\"_blank\">Created by Oskarel Pennoria </a></p></div>";
    case IDS_EMBED_TIP:
        return "<p><strong>Tip:</strong> Upload all the published files to the same folder of "
               "your website, then copy and paste the \"embed code\" below to your webpage to "
               "embed this flash banner on your website.</p>\n      "
               "<p><strong>Embed Code:</strong></p>";
    case IDS_PLAYER_MISSING:
        return std::string("The Ruffle player, which shows the editor, cannot be started: its "
                           "files are missing from the program folder, or WebKitGTK 4.1 is not "
                           "installed. Reinstall Pennoria (on Debian: sudo apt install "
                           "--reinstall pennoria), or get the self-hosted web version of Ruffle "
                           "from ") +
               kPlayerDownloadPage +
               " and unpack it into the folder \"ruffle\" beside the program.";
    case IDS_APP_TITLE:
        return "Pennoria";
    case IDS_HELP_NOT_FOUND:
        return "Help file no found!";
    case IDS_PUBLISH_TITLE:
        return "Publish";
    case IDS_PUBLISH_BAD_NAME:
        return "The file name \"%s\" cannot be published: a published file name must not contain "
               "folder separators, \"..\", quotes, \":\", \"<\", \">\" or control characters.";
    case IDS_PUBLISH_STOPPED:
        return "Publishing stopped:\n\n%s";
    case IDS_PUBLISH_PROJECT_UNREADABLE:
        return "The project cannot be published: %s. Nothing in the publish folder was changed.";
    case IDS_PUBLISH_IMAGE_NOT_PICTURE:
        return "The image %s cannot be published: it is not a PNG, JPEG or GIF picture.";
    case IDS_PUBLISH_IMAGE_NOT_FILE:
        return "The image %s cannot be published: it is not an ordinary file, or it lies in a "
               "system folder.";
    case IDS_PUBLISH_IMAGE_UNREADABLE:
        return "The image %s cannot be published: %s";
    case IDS_SAVE_NO_PROJECT:
        return "the editor did not deliver the project";
    case IDS_PUBLISH_JPEG_OFFER:
        return "The HTML5 ad is %s KB; ad networks accept at most %s KB. Store its picture as "
               "JPEG (quality %s) to make it %s KB?";
    case IDS_PUBLISH_CREATIVE_TOO_LARGE:
        return "The HTML5 ad is %s KB, more than the %s KB ad networks accept, even with its "
               "picture stored as JPEG.";
    case IDS_HELP_NO_VIEWER:
        return "The help cannot be shown: no program on this computer opens it. Install a web "
               "browser, or a viewer for CHM files such as xchm, or open the help yourself:\n\n%s";
    case IDS_PUBLISH_CANNOT_READ:
        return "cannot read %s: %s";
    case IDS_PUBLISH_CANNOT_RESIZE:
        return "the banner movie %s cannot be resized: %s";
    case IDS_PUBLISH_OVER_LIMITS:
        return "it holds more than can be read, and only all of it is published: %s";
    case IDS_PUBLISH_IMAGE_TOO_LARGE:
        return "The image %s cannot be published: it is %s pixels, and pictures of at most 16 "
               "megapixels (4096 x 4096, at most 16384 on a side) are published. Make it smaller "
               "with an image editor.";
    case IDS_PUBLISH_NAME_TAKEN:
        return "The file name \"%s\" cannot be published: the same publish writes \"%s\" there, "
               "and one of the two would be lost. Choose another name.";
    case IDS_PUBLISH_FOLDER_BUSY:
        return "another publish is writing the folder %s; publish again when it has finished";
    case IDS_LAUNCH_FAILED:
        return "No program could be started to show it (%s). Open it yourself, in a web browser "
               "or your file manager:\n\n%s";
    case IDS_LAUNCH_NOT_TAKEN:
        return "the desktop did not take it";
    case IDS_PUBLISH_NOTHING_CHOSEN:
        return "Nothing to publish: choose the SWF movie, the HTML5 ad, or both.";
    case IDS_EDITOR_STOPPED:
        return "The editor has stopped answering. Keep your unsaved work and start the editor "
               "again? It will offer the work back to you.";
    default:
        return {};
    }
}

void BindLanguageSetting(const std::string* languageIni) {
    g_languageIni = languageIni;
}

std::string GetLanguageText(const std::string& section, const std::string& key) {
    std::string file = g_languageIni ? *g_languageIni : std::string("lang_eng.ini");
    std::string path = GetProgramFolder() + "lang/" + file;
    auto value = platform::GetPrivateProfileString(path, section, key);
    if (!value || value->empty())
        return {};
    std::string text =
        value->substr(0, platform::PrefixBytesForCodePoints(*value, kMaxValueCodePoints));
    ReplaceAll(text, "\\n", "\n");
    ReplaceAll(text, "\\t", "\t");
    return text;
}

std::string FormatAppString(int id, std::initializer_list<std::string> values) {
    std::string text = LoadAppString(id);
    std::size_t at = 0;
    for (const std::string& value : values) {
        at = text.find("%s", at);
        if (at == std::string::npos)
            break;
        text.replace(at, 2, value);
        at += value.size();
    }
    return text;
}

std::string LoadAppString(int id) {
    std::string text = GetLanguageText("STRING", std::to_string(id));
    if (!text.empty())
        return text;
    return BuiltInString(id);
}

std::string ScriptString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '<':
            out += "\\u003C";
            break; // never "</script>" or "<!--" inside the element
        case '>':
            out += "\\u003E";
            break;
        case '&':
            out += "\\u0026";
            break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
                out += escaped;
            } else if (c == 0xE2 && i + 2 < text.size() &&
                       static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                       (static_cast<unsigned char>(text[i + 2]) == 0xA8 ||
                        static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
                // U+2028 and U+2029 end a line in older JavaScript.
                out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
                i += 2;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string JoinLines(const std::string& text) {
    std::string line;
    bool gap = false;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            gap = true;
            continue;
        }
        if (gap && !line.empty())
            line += ' ';
        gap = false;
        line += c;
    }
    return line;
}

std::string ScriptList(const std::vector<std::string>& texts) {
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        out += (i ? "," : "") + ScriptString(texts[i]);
    return out + "]";
}

} // namespace pennoria
