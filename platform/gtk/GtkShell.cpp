// Shell "open" through GIO's default handlers, launched asynchronously.
#include "platform/gtk/GtkShell.h"

#include "platform/DebugLog.h"
#include "platform/FileSystem.h"

#include <gio/gio.h>

namespace pennoria::platform {

namespace {

void OnLaunched(GObject*, GAsyncResult* result, gpointer data) {
    GError* error = nullptr;
    std::string* uri = static_cast<std::string*>(data);
    if (!g_app_info_launch_default_for_uri_finish(result, &error)) {
        DebugOutput("shell: cannot open " + *uri + ": " + (error ? error->message : "?"));
        g_clear_error(&error);
    }
    delete uri;
}

bool Launch(const std::string& uri) {
    if (uri.empty())
        return false;
    DebugOutput("shell: open " + uri);
    g_app_info_launch_default_for_uri_async(uri.c_str(), nullptr, nullptr, OnLaunched,
                                            new std::string(uri));
    return true;
}

} // namespace

std::string FileUriForPath(const std::string& path) {
    if (path.empty() || path.front() != '/')
        return {};
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri)
        return {};
    std::string result = uri;
    g_free(uri);
    return result;
}

bool GtkShell::OpenFolder(const std::string& path) {
    if (!DirectoryExists(path))
        return false;
    return Launch(FileUriForPath(path));
}

bool GtkShell::OpenDocument(const std::string& path) {
    if (!FileExists(path))
        return false;
    return Launch(FileUriForPath(path));
}

bool GtkShell::HasHandlerFor(const std::string& path) {
    // The type as the desktop's launcher sees it: from the name, then from the content.
    GFile* file = g_file_new_for_path(path.c_str());
    GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                        G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
    g_object_unref(file);
    if (!info)
        return false;
    const char* type = g_file_info_get_content_type(info);
    GAppInfo* handler = type ? g_app_info_get_default_for_type(type, FALSE) : nullptr;
    DebugOutput("shell: " + path + " is " + (type ? type : "?") +
                (handler ? std::string(", opened by ") + g_app_info_get_id(handler)
                         : std::string(", with no program to open it")));
    g_object_unref(info);
    if (!handler)
        return false;
    g_object_unref(handler);
    return true;
}

bool GtkShell::OpenUri(const std::string& uri) {
    // Only web addresses: a file or program address handed in here would run or open
    // something local.
    if (uri.rfind("https://", 0) != 0 && uri.rfind("http://", 0) != 0)
        return false;
    return Launch(uri);
}

} // namespace pennoria::platform
