#include "platform/gtk/GtkDesktopClipboard.h"

#include <gtk/gtk.h>

#include <utility>

namespace pennoria::platform {

namespace {

constexpr char kPngType[] = "image/png";
enum Target : guint { FragmentTarget, PngTarget };

// Handed to GTK with the clipboard; GTK frees it when another owner takes the clipboard.
struct Offered {
    ClipboardContent content;
};

void GiveOffered(::GtkClipboard*, GtkSelectionData* selection, guint target, gpointer data) {
    const auto* offered = static_cast<const Offered*>(data);
    const std::string& bytes =
        target == FragmentTarget ? offered->content.fragment : offered->content.png;
    gtk_selection_data_set(selection, gtk_selection_data_get_target(selection), 8,
                           reinterpret_cast<const guchar*>(bytes.data()),
                           static_cast<gint>(bytes.size()));
}

void FreeOffered(::GtkClipboard*, gpointer data) {
    delete static_cast<Offered*>(data);
}

::GtkClipboard* DesktopClipboard() {
    return gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
}

} // namespace

GtkDesktopClipboard::GtkDesktopClipboard() = default;
GtkDesktopClipboard::~GtkDesktopClipboard() = default;

bool GtkDesktopClipboard::Put(ClipboardContent content) {
    GtkTargetEntry targets[] = {
        {const_cast<gchar*>(kFragmentClipboardType), 0, FragmentTarget},
        {const_cast<gchar*>(kPngType), 0, PngTarget},
    };
    const guint count = content.png.empty() ? 1 : 2;
    auto* offered = new Offered{std::move(content)};
    if (!gtk_clipboard_set_with_data(DesktopClipboard(), targets, count, GiveOffered, FreeOffered,
                                     offered)) {
        delete offered;
        return false;
    }
    return true;
}

std::optional<std::string> GtkDesktopClipboard::Fragment(std::size_t maxBytes) {
    GtkSelectionData* selection = gtk_clipboard_wait_for_contents(
        DesktopClipboard(), gdk_atom_intern_static_string(kFragmentClipboardType));
    if (!selection)
        return std::nullopt;
    std::optional<std::string> text;
    const gint length = gtk_selection_data_get_length(selection);
    const guchar* data = gtk_selection_data_get_data(selection);
    if (length > 0 && data && static_cast<std::size_t>(length) <= maxBytes)
        text.emplace(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    gtk_selection_data_free(selection);
    return text;
}

} // namespace pennoria::platform
