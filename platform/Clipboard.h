// The desktop clipboard as the host uses it: elements copied in the editor go there in the
// program's own form (a project fragment, under its own type) and as a picture for other
// programs; a paste reads the program's own form back, whoever put it there.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

namespace pennoria::platform {

// The type under which the program's own form travels.
inline constexpr char kFragmentClipboardType[] = "application/x-pennoria-fragment+xml";

struct ClipboardContent {
    std::string fragment; // the program's own form
    std::string png;      // a picture of it for other programs; empty: none offered
};

class IClipboard {
public:
    virtual ~IClipboard() = default;
    // Replaces what the clipboard holds; false when it could not be taken.
    virtual bool Put(ClipboardContent content) = 0;
    // The program's own form, when the clipboard holds it in at most maxBytes; nothing when it
    // holds something else, nothing, or more.
    virtual std::optional<std::string> Fragment(std::size_t maxBytes) = 0;
};

// A clipboard of the process alone: the headless host and the tests.
class MemoryClipboard : public IClipboard {
public:
    bool Put(ClipboardContent content) override {
        m_content = std::move(content);
        return true;
    }
    std::optional<std::string> Fragment(std::size_t maxBytes) override {
        if (m_content.fragment.empty() || m_content.fragment.size() > maxBytes)
            return std::nullopt;
        return m_content.fragment;
    }
    const ClipboardContent& Content() const { return m_content; }

private:
    ClipboardContent m_content;
};

} // namespace pennoria::platform
