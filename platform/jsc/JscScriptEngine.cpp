// The script engine with JavaScriptCore's GLib API: one context (and virtual machine) per
// engine, strings handed over with their lengths, exceptions turned into error texts.
#include "platform/ScriptEngine.h"

#include <jsc/jsc.h>

#include <mutex>

namespace pennoria::platform {

namespace {

struct Unref {
    void operator()(gpointer object) const {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using Ref = std::unique_ptr<T, Unref>;

void SetError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

// The context's pending exception as one line (cleared), or empty when there is none.
std::string TakeException(JSCContext* context) {
    JSCException* exception = jsc_context_get_exception(context);
    if (!exception)
        return {};
    std::string text =
        jsc_exception_get_message(exception) ? jsc_exception_get_message(exception) : "exception";
    if (const char* name = jsc_exception_get_name(exception))
        text = std::string(name) + ": " + text;
    const unsigned line = jsc_exception_get_line_number(exception);
    if (line > 0)
        text += " (line " + std::to_string(line) + ")";
    jsc_context_clear_exception(context);
    return text;
}

Ref<JSCValue> StringValue(JSCContext* context, const std::string& text) {
    GBytes* bytes = g_bytes_new(text.data(), text.size());
    Ref<JSCValue> value(jsc_value_new_string_from_bytes(context, bytes));
    g_bytes_unref(bytes);
    return value;
}

class JscScriptEngine : public IScriptEngine {
public:
    explicit JscScriptEngine(JSCContext* context) : m_context(context) {}

    std::optional<std::string> Call(const std::string& object, const std::string& function,
                                    const std::vector<Argument>& arguments,
                                    std::string* error) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        JSCContext* context = m_context.get();
        Ref<JSCValue> holder(jsc_context_get_value(context, object.c_str()));
        if (!holder || !jsc_value_is_object(holder.get())) {
            SetError(error, "the script defines no " + object);
            return std::nullopt;
        }
        Ref<JSCValue> callee(jsc_value_object_get_property(holder.get(), function.c_str()));
        if (!callee || !jsc_value_is_function(callee.get())) {
            SetError(error, "the script defines no " + object + "." + function);
            return std::nullopt;
        }
        std::vector<Ref<JSCValue>> values;
        std::vector<JSCValue*> raw;
        for (const Argument& argument : arguments) {
            if (const auto* text = std::get_if<std::string>(&argument))
                values.push_back(StringValue(context, *text));
            else
                values.emplace_back(jsc_value_new_number(context, std::get<double>(argument)));
            raw.push_back(values.back().get());
        }
        // The method is called with its object as this.
        Ref<JSCValue> result(jsc_value_object_invoke_methodv(
            holder.get(), function.c_str(), static_cast<guint>(raw.size()), raw.data()));
        std::string thrown = TakeException(context);
        if (!thrown.empty() || !result) {
            SetError(error,
                     object + "." + function + ": " + (thrown.empty() ? "no answer" : thrown));
            return std::nullopt;
        }
        if (jsc_value_is_undefined(result.get()) || jsc_value_is_null(result.get()))
            return std::string();
        GBytes* bytes = jsc_value_to_string_as_bytes(result.get());
        if (!bytes) {
            SetError(error, object + "." + function + ": the answer is not text");
            TakeException(context);
            return std::nullopt;
        }
        gsize size = 0;
        const char* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
        std::string answer(data ? data : "", data ? size : 0);
        g_bytes_unref(bytes);
        return answer;
    }

private:
    std::mutex m_mutex;
    Ref<JSCContext> m_context;
};

} // namespace

std::unique_ptr<IScriptEngine> CreateScriptEngine(const std::string& source,
                                                  const std::string& name, std::string* error) {
    Ref<JSCContext> context(jsc_context_new());
    if (!context) {
        SetError(error, "cannot make a script context");
        return nullptr;
    }
    const std::string uri = "file:///" + name;
    Ref<JSCValue> done(jsc_context_evaluate_with_source_uri(
        context.get(), source.data(), static_cast<gssize>(source.size()), uri.c_str(), 1));
    const std::string thrown = TakeException(context.get());
    if (!thrown.empty()) {
        SetError(error, name + ": " + thrown);
        return nullptr;
    }
    return std::make_unique<JscScriptEngine>(context.release());
}

} // namespace pennoria::platform

#if defined(__SANITIZE_ADDRESS__)
// The engine's heap lives until the process ends and is no memory LeakSanitizer scans, so what
// it alone refers to looks leaked; allocations by our own code are still checked.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libjavascriptcoregtk-4.1.so\n";
}
#endif
