// Owning pointers for GObject and GLib memory, so no reference or buffer is released by hand.
//
//   GObjectPtr<WebKitURISchemeResponse> response(webkit_uri_scheme_response_new(...));
//   GCharPtr text(jsc_value_to_string(value));
//   GErrorPtr error;  some_call(..., error.Out());
#pragma once

#include <glib-object.h>

#include <memory>

namespace pennoria::glib {

struct ObjectUnref {
    void operator()(gpointer object) const {
        if (object)
            g_object_unref(object);
    }
};
struct Free {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct BytesUnref {
    void operator()(GBytes* bytes) const {
        if (bytes)
            g_bytes_unref(bytes);
    }
};
struct UriUnref {
    void operator()(GUri* uri) const {
        if (uri)
            g_uri_unref(uri);
    }
};
struct SourceRelease {
    void operator()(GSource* source) const {
        if (source) {
            g_source_destroy(source);
            g_source_unref(source);
        }
    }
};

// A GObject (or GObject-derived) reference of which we own one count.
template <typename T> using GObjectPtr = std::unique_ptr<T, ObjectUnref>;
using GCharPtr = std::unique_ptr<gchar, Free>;
using GBytesPtr = std::unique_ptr<GBytes, BytesUnref>;
using GUriPtr = std::unique_ptr<GUri, UriUnref>;
// An attached source: destroyed (detached) and released together.
using GSourcePtr = std::unique_ptr<GSource, SourceRelease>;

// A GError filled by an out-parameter, freed when it goes out of scope.
class GErrorPtr {
public:
    GErrorPtr() = default;
    ~GErrorPtr() { Reset(); }
    GErrorPtr(const GErrorPtr&) = delete;
    GErrorPtr& operator=(const GErrorPtr&) = delete;

    GError** Out() {
        Reset();
        return &m_error;
    }
    explicit operator bool() const { return m_error != nullptr; }
    const char* Message() const { return m_error ? m_error->message : ""; }

private:
    void Reset() {
        if (m_error)
            g_error_free(m_error);
        m_error = nullptr;
    }
    GError* m_error = nullptr;
};

// Takes a new reference of an object we do not own yet.
template <typename T> GObjectPtr<T> Ref(T* object) {
    return GObjectPtr<T>(object ? static_cast<T*>(g_object_ref(object)) : nullptr);
}

} // namespace pennoria::glib
