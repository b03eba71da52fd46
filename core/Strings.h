// Localized messages: the selected language file first, then the built-in string table.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace pennoria {

// Message ids of the built-in table.
enum StringId : int {
    IDS_OVERWRITE_PROMPT = 2,
    IDS_CREATED_BY = 3,
    IDS_EMBED_TIP = 5,
    IDS_PLAYER_MISSING = 6,
    IDS_APP_TITLE = 7,
    IDS_HELP_NOT_FOUND = 8,
    // Publishing and saving.
    IDS_PUBLISH_TITLE = 20,
    IDS_PUBLISH_BAD_NAME = 21,
    IDS_PUBLISH_STOPPED = 22,
    IDS_PUBLISH_PROJECT_UNREADABLE = 23,
    IDS_PUBLISH_IMAGE_NOT_PICTURE = 24,
    IDS_PUBLISH_IMAGE_NOT_FILE = 25,
    IDS_PUBLISH_IMAGE_UNREADABLE = 26,
    IDS_SAVE_NO_PROJECT = 27,
    IDS_PUBLISH_JPEG_OFFER = 28,
    IDS_PUBLISH_CREATIVE_TOO_LARGE = 29,
    // The help files exist but the desktop has no program to show them; %s: where they are.
    IDS_HELP_NO_VIEWER = 30,
    IDS_PUBLISH_CANNOT_READ = 31,
    IDS_PUBLISH_CANNOT_RESIZE = 32,
    // %s: what the project holds beyond the reader's limits ("1001 elements (at most 1000)").
    IDS_PUBLISH_OVER_LIMITS = 33,
    // A picture beyond the pixel budget; %s: the file, its size.
    IDS_PUBLISH_IMAGE_TOO_LARGE = 40,
    // A chosen file name that another output of the same publish has; %s: the name, the output.
    IDS_PUBLISH_NAME_TAKEN = 45,
    // Another publish is writing the folder; %s: the folder.
    IDS_PUBLISH_FOLDER_BUSY = 46,
    // No program could be started to show a page, document or folder; %s: why, what to open.
    IDS_LAUNCH_FAILED = 47,
    // The reason when the desktop did not even take the address.
    IDS_LAUNCH_NOT_TAKEN = 48,
    // Neither the SWF outputs nor the HTML5 creative chosen.
    IDS_PUBLISH_NOTHING_CHOSEN = 49,
    // The editor stopped answering: keep the work and start it again?
    IDS_EDITOR_STOPPED = 50,
};

// Where the player's download page is, shown with message 6.
extern const char* const kPlayerDownloadPage;

// The built-in text of an id; empty when the table has none.
std::string BuiltInString(int id);

// The language file's name is read from this setting at every lookup, so a changed setting
// takes effect at the next one. Unbound (or bound to nullptr) means "lang_eng.ini".
void BindLanguageSetting(const std::string* languageIni);

// Keeps the language lookups bound to a setting for as long as it lives.
class ScopedLanguageBinding {
public:
    explicit ScopedLanguageBinding(const std::string& languageIni) {
        BindLanguageSetting(&languageIni);
    }
    ~ScopedLanguageBinding() { BindLanguageSetting(nullptr); }
    ScopedLanguageBinding(const ScopedLanguageBinding&) = delete;
    ScopedLanguageBinding& operator=(const ScopedLanguageBinding&) = delete;
};

// The value of key in section of the current language file, with \n and \t escapes turned into
// a line feed and a tab; empty when the file, section or key is missing.
std::string GetLanguageText(const std::string& section, const std::string& key);

// The localized text of a string id, falling back to the built-in table.
std::string LoadAppString(int id);

// The localized text of a string id with its "%s" marks replaced, in order, by the values.
std::string FormatAppString(int id, std::initializer_list<std::string> values);

// A message's text on one line, for a terminal or a log: its paragraphs joined by blanks.
std::string JoinLines(const std::string& text);

// text as a JavaScript string literal, which is also a JSON string: quotes, backslashes,
// control characters and U+2028/U+2029 escaped, and <, > and & too, so that it is safe inside a
// <script> element of an HTML page.
std::string ScriptString(const std::string& text);
// The texts as a JavaScript (and JSON) array of such literals.
std::string ScriptList(const std::vector<std::string>& texts);

} // namespace pennoria
