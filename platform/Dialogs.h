// Dialogs the host shows: file Open/Save, the folder chooser, message boxes and prompts.
// Implementations: GTK (desktop) and scripted (tests and headless runs).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pennoria::platform {

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct OpenFileRequest {
    std::string filter;      // framework filter form: "Desc(*.a;*.b)|*.a;*.b||"
    std::string initialFile; // full path or empty
    // Where the dialog starts when initialFile names no folder (its nearest existing folder).
    std::string startFolder;
};

struct SaveFileRequest {
    std::string filter;
    std::string defaultExtension; // without the dot, e.g. "pbf"
    std::string initialFile;      // full path or empty
    std::string startFolder;      // as for OpenFileRequest
    bool confirmOverwrite = true;
};

struct FolderRequest {
    std::string title;
    std::string initialFolder;
    // Gives the status-line text for the folder currently selected (the dialog shows it under
    // the tree and updates it as the selection moves). May be empty.
    std::function<std::string(const std::string& selectedFolder)> statusText;
};

// A box to type a text in with the desktop's input methods (any script, any direction), for
// fields the editor movie's player cannot serve. Every text shown is the caller's, in its language.
struct TextEntryRequest {
    std::string title;
    std::string text; // what the box starts with
    std::string okLabel;
    std::string cancelLabel;
    bool multiLine = false;   // Return starts a new line (Ctrl+Return is OK); else Return is OK
    std::size_t maxChars = 0; // characters (code points) at most; 0: no limit
};

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // nullopt: cancelled.
    virtual std::optional<std::string> ChooseOpenFile(const OpenFileRequest& request) = 0;
    virtual std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) = 0;
    virtual std::optional<std::string> ChooseFolder(const FolderRequest& request) = 0;
    virtual MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons,
                                      MessageIcon icon) = 0;
    // A message box with its own title ("Folder Existed"); backends without titles may ignore it.
    virtual MessageAnswer ShowTitledMessage(const std::string& /*title*/, const std::string& text,
                                            MessageButtons buttons, MessageIcon icon) {
        return ShowMessage(text, buttons, icon);
    }
    // Whether EnterText shows a box; backends without one answer every request with nothing.
    virtual bool OffersTextEntry() const { return false; }
    // The text typed, in UTF-8 (cut to maxChars); nullopt: cancelled.
    virtual std::optional<std::string> EnterText(const TextEntryRequest& /*request*/) {
        return std::nullopt;
    }
};

// Dialogs where nothing is chosen interactively (a command line, a batch): every chooser answers
// as cancelled; what a message does is the subclass's.
class MessagesOnlyDialogs : public IDialogs {
public:
    std::optional<std::string> ChooseOpenFile(const OpenFileRequest&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(const SaveFileRequest&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseFolder(const FolderRequest&) override { return std::nullopt; }
};

// One filter of the framework's filter form.
struct FileFilter {
    std::string description;           // "Project files(*.pbf;*.xml)"
    std::vector<std::string> patterns; // "*.pbf", "*.xml"
};

} // namespace pennoria::platform
