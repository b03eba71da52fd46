// Native GTK file choosers, message dialogs and the text-entry box behind IDialogs.
#include "platform/gtk/GtkDialogs.h"

#include "platform/FileFilter.h"
#include "platform/FileSystem.h"

#include <gtk/gtk.h>

namespace pennoria::platform {

namespace {

GtkWindow* AsWindow(void* parent) {
    return parent ? GTK_WINDOW(parent) : nullptr;
}

// File patterns of the filter form match without regard to case, as users of such filters
// expect: "*.pbf" also finds "BANNER.PBF". "*.*" means every file.
std::string CaseFoldedPattern(const std::string& pattern) {
    if (pattern == "*.*")
        return "*";
    std::string out;
    for (char c : pattern) {
        const char lower = g_ascii_tolower(c);
        const char upper = g_ascii_toupper(c);
        if (lower != upper) {
            out += '[';
            out += lower;
            out += upper;
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

void AddFilters(GtkFileChooser* chooser, const std::string& filterForm) {
    for (const FileFilter& f : ParseFilterForm(filterForm)) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, f.description.c_str());
        for (const std::string& pattern : f.patterns)
            gtk_file_filter_add_pattern(filter, CaseFoldedPattern(pattern).c_str());
        gtk_file_chooser_add_filter(chooser, filter);
    }
}

std::optional<std::string> TakeFilename(GtkFileChooser* chooser) {
    gchar* name = gtk_file_chooser_get_filename(chooser);
    if (!name)
        return std::nullopt;
    std::string result = name;
    g_free(name);
    return result;
}

std::string Directory(const std::string& path) {
    gchar* dir = g_path_get_dirname(path.c_str());
    std::string result = dir;
    g_free(dir);
    return result;
}

std::string BaseName(const std::string& path) {
    gchar* base = g_path_get_basename(path.c_str());
    std::string result = base;
    g_free(base);
    return result;
}

} // namespace

std::string WithDefaultExtension(const std::string& path, const std::string& defaultExtension) {
    if (defaultExtension.empty() || path.empty() || path.back() == '/')
        return path;
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return path;
    return defaultExtension.front() == '.' ? path + defaultExtension
                                           : path + "." + defaultExtension;
}

namespace {

// A file dialog with no file to place it starts in the start folder, or in its nearest folder
// that exists (the output folder is created only by publishing).
void StartInFolder(GtkFileChooser* chooser, std::string folder) {
    while (!folder.empty() && folder.front() == '/' && !DirectoryExists(folder)) {
        const std::size_t slash = folder.find_last_of('/');
        folder = slash == 0 ? "/" : folder.substr(0, slash);
    }
    if (!folder.empty() && folder.front() == '/')
        gtk_file_chooser_set_current_folder(chooser, folder.c_str());
}

} // namespace

std::optional<std::string> GtkDialogs::ChooseOpenFile(const OpenFileRequest& request) {
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        nullptr, AsWindow(m_parent), GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
        "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    AddFilters(chooser, request.filter);
    if (!request.initialFile.empty() && request.initialFile.front() == '/') {
        if (FileExists(request.initialFile))
            gtk_file_chooser_set_filename(chooser, request.initialFile.c_str());
        else
            gtk_file_chooser_set_current_folder(chooser, Directory(request.initialFile).c_str());
    } else {
        StartInFolder(chooser, request.startFolder);
    }
    std::optional<std::string> result;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT)
        result = TakeFilename(chooser);
    gtk_widget_destroy(dialog);
    return result;
}

std::optional<std::string> GtkDialogs::ChooseSaveFile(const SaveFileRequest& request) {
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        nullptr, AsWindow(m_parent), GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel", GTK_RESPONSE_CANCEL,
        "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    AddFilters(chooser, request.filter);
    if (!request.initialFile.empty()) {
        if (request.initialFile.front() == '/') {
            gtk_file_chooser_set_current_folder(chooser, Directory(request.initialFile).c_str());
            gtk_file_chooser_set_current_name(chooser, BaseName(request.initialFile).c_str());
        } else {
            StartInFolder(chooser, request.startFolder);
            gtk_file_chooser_set_current_name(chooser, request.initialFile.c_str());
        }
    } else {
        StartInFolder(chooser, request.startFolder);
    }
    // The overwrite question is asked here rather than by the chooser, because it concerns the
    // name with the default extension added, which the chooser never sees.
    std::optional<std::string> result;
    while (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        std::optional<std::string> chosen = TakeFilename(chooser);
        if (!chosen)
            continue;
        std::string path = WithDefaultExtension(*chosen, request.defaultExtension);
        if (request.confirmOverwrite && PathExists(path)) {
            std::string question = BaseName(path) + " already exists.\nDo you want to replace it?";
            if (ShowMessage(question, MessageButtons::YesNo, MessageIcon::Warning) !=
                MessageAnswer::Yes)
                continue;
        }
        result = std::move(path);
        break;
    }
    gtk_widget_destroy(dialog);
    return result;
}

namespace {

struct FolderDialogState {
    GtkFileChooser* chooser = nullptr;
    GtkLabel* status = nullptr;
    const FolderRequest* request = nullptr;
};

void UpdateFolderStatus(FolderDialogState& state) {
    if (!state.request->statusText)
        return;
    std::optional<std::string> selected = TakeFilename(state.chooser);
    if (!selected) {
        gchar* current = gtk_file_chooser_get_current_folder(state.chooser);
        if (current) {
            selected = current;
            g_free(current);
        }
    }
    gtk_label_set_text(state.status, state.request->statusText(selected.value_or("")).c_str());
}

void OnFolderSelectionChanged(GtkFileChooser*, gpointer data) {
    UpdateFolderStatus(*static_cast<FolderDialogState*>(data));
}

} // namespace

std::optional<std::string> GtkDialogs::ChooseFolder(const FolderRequest& request) {
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        request.title.empty() ? nullptr : request.title.c_str(), AsWindow(m_parent),
        GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Cancel", GTK_RESPONSE_CANCEL, "_Select",
        GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    GtkWidget* status = gtk_label_new("");
    gtk_label_set_xalign(GTK_LABEL(status), 0.0f);
    gtk_widget_set_name(status, "folder-status");
    gtk_file_chooser_set_extra_widget(chooser, status);

    FolderDialogState state{chooser, GTK_LABEL(status), &request};
    if (!request.initialFolder.empty()) {
        // Select the folder itself, so that confirming at once answers it.
        if (DirectoryExists(request.initialFolder))
            gtk_file_chooser_set_filename(chooser, request.initialFolder.c_str());
        if (request.statusText)
            gtk_label_set_text(state.status, request.statusText(request.initialFolder).c_str());
    }
    g_signal_connect(chooser, "selection-changed", G_CALLBACK(OnFolderSelectionChanged), &state);
    g_signal_connect(chooser, "current-folder-changed", G_CALLBACK(OnFolderSelectionChanged),
                     &state);

    std::optional<std::string> result;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT)
        result = TakeFilename(chooser); // nullopt for a place without a file-system path
    g_signal_handlers_disconnect_by_data(chooser, &state);
    gtk_widget_destroy(dialog);
    return result;
}

MessageAnswer GtkDialogs::ShowMessage(const std::string& text, MessageButtons buttons,
                                      MessageIcon icon) {
    GtkMessageType type = GTK_MESSAGE_OTHER;
    switch (icon) {
    case MessageIcon::Information:
        type = GTK_MESSAGE_INFO;
        break;
    case MessageIcon::Warning:
        type = GTK_MESSAGE_WARNING;
        break;
    case MessageIcon::Error:
        type = GTK_MESSAGE_ERROR;
        break;
    case MessageIcon::Question:
        type = GTK_MESSAGE_QUESTION;
        break;
    case MessageIcon::None:
        break;
    }
    GtkWidget* dialog = gtk_message_dialog_new(
        AsWindow(m_parent), GTK_DIALOG_MODAL, type,
        buttons == MessageButtons::YesNo ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK, "%s", text.c_str());
    if (const char* name = g_get_application_name())
        gtk_window_set_title(GTK_WINDOW(dialog), name);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    if (buttons == MessageButtons::YesNo)
        return response == GTK_RESPONSE_YES ? MessageAnswer::Yes : MessageAnswer::No;
    return MessageAnswer::Ok;
}

namespace {

// Ctrl+Return in the box's text view answers OK (Return starts a new line there).
gboolean OnTextEntryKey(GtkWidget* /*view*/, GdkEventKey* event, gpointer dialog) {
    if ((event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) &&
        (event->state & GDK_CONTROL_MASK)) {
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
        return TRUE;
    }
    return FALSE;
}

} // namespace

std::optional<std::string> GtkDialogs::EnterText(const TextEntryRequest& request) {
    GtkWidget* dialog = gtk_dialog_new_with_buttons(
        request.title.c_str(), AsWindow(m_parent), GTK_DIALOG_MODAL,
        request.cancelLabel.empty() ? "_Cancel" : request.cancelLabel.c_str(), GTK_RESPONSE_CANCEL,
        request.okLabel.empty() ? "_OK" : request.okLabel.c_str(), GTK_RESPONSE_OK, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    gtk_widget_set_name(dialog, "pennoria-text-entry");
    GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    gtk_container_set_border_width(GTK_CONTAINER(area), 8);
    // The widgets' own input method context: the desktop's input method, or GTK's simple one
    // (compose keys, Ctrl+Shift+U and a code point), whatever the script.
    GtkWidget* entry = nullptr;
    GtkTextBuffer* buffer = nullptr;
    if (request.multiLine) {
        GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_AUTOMATIC,
                                       GTK_POLICY_AUTOMATIC);
        gtk_widget_set_size_request(scroll, 420, 140);
        entry = gtk_text_view_new();
        gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(entry), GTK_WRAP_WORD_CHAR);
        buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(entry));
        gtk_text_buffer_set_text(buffer, request.text.c_str(), -1);
        g_signal_connect(entry, "key-press-event", G_CALLBACK(OnTextEntryKey), dialog);
        gtk_container_add(GTK_CONTAINER(scroll), entry);
        gtk_box_pack_start(GTK_BOX(area), scroll, TRUE, TRUE, 0);
    } else {
        entry = gtk_entry_new();
        gtk_entry_set_text(GTK_ENTRY(entry), request.text.c_str());
        gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
        gtk_entry_set_width_chars(GTK_ENTRY(entry), 40);
        if (request.maxChars > 0 && request.maxChars < 65536)
            gtk_entry_set_max_length(GTK_ENTRY(entry), static_cast<gint>(request.maxChars));
        gtk_box_pack_start(GTK_BOX(area), entry, TRUE, TRUE, 0);
    }
    gtk_widget_set_name(entry, "pennoria-text-entry-field");
    gtk_widget_show_all(dialog);
    gtk_widget_grab_focus(entry);
    std::optional<std::string> typed;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
        if (buffer) {
            GtkTextIter start, end;
            gtk_text_buffer_get_bounds(buffer, &start, &end);
            gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
            typed = std::string(text ? text : "");
            g_free(text);
        } else {
            typed = std::string(gtk_entry_get_text(GTK_ENTRY(entry)));
        }
        if (request.maxChars > 0 &&
            g_utf8_strlen(typed->c_str(), -1) > static_cast<glong>(request.maxChars)) {
            const char* cut =
                g_utf8_offset_to_pointer(typed->c_str(), static_cast<glong>(request.maxChars));
            typed->resize(static_cast<std::size_t>(cut - typed->c_str()));
        }
    }
    gtk_widget_destroy(dialog);
    return typed;
}

} // namespace pennoria::platform
