// The CSV reader of product feeds.
#include "project/FeedReader.h"

namespace pennoria {

namespace {
constexpr int kEnd = -1;
} // namespace

int FeedReader::Get() {
    if (m_pending != -2) {
        const int c = m_pending;
        m_pending = -2;
        return c;
    }
    const int c = m_input.get();
    return c == std::char_traits<char>::eof() ? kEnd : c;
}

FeedReader::Status FeedReader::Next(std::vector<std::string>& fields, std::string* error) {
    auto fail = [&](const std::string& why) {
        m_broken = true;
        if (error)
            *error = "line " + std::to_string(m_line) + ": " + why;
        return Status::Malformed;
    };
    fields.clear();
    if (m_broken)
        return Status::Malformed;
    if (!m_started) {
        m_started = true;
        // The byte-order mark some programs write before UTF-8 text.
        const int a = Get();
        if (a == 0xEF) {
            const int b = Get(), c = Get();
            if (b != 0xBB || c != 0xBF)
                return fail("the file starts with a damaged byte-order mark");
        } else {
            Unget(a);
        }
    }
    // Empty lines between records are skipped.
    int c = Get();
    while (c == '\r' || c == '\n') {
        if (c == '\r') {
            const int next = Get();
            if (next != '\n')
                Unget(next);
        }
        ++m_line;
        c = Get();
    }
    if (c == kEnd)
        return Status::End;
    m_recordLine = m_line;

    std::string field;
    for (;;) {
        // One field, c its first character.
        field.clear();
        if (c == '"') {
            const std::size_t opened = m_line;
            for (;;) {
                c = Get();
                if (c == kEnd)
                    return fail("the quoted field opened on line " + std::to_string(opened) +
                                " is not closed");
                if (c == '"') {
                    c = Get();
                    if (c != '"')
                        break; // the closing quote; c follows it
                } else if (c == '\n') {
                    ++m_line; // a line break inside the field is kept as it is
                }
                if (field.size() >= kMaxFieldBytes)
                    return fail("a field is longer than " + std::to_string(kMaxFieldBytes) +
                                " bytes");
                field += static_cast<char>(c);
            }
            // Text after the closing quote belongs to the field, as most programs read it.
            while (c != ',' && c != '\r' && c != '\n' && c != kEnd) {
                if (field.size() >= kMaxFieldBytes)
                    return fail("a field is longer than " + std::to_string(kMaxFieldBytes) +
                                " bytes");
                field += static_cast<char>(c);
                c = Get();
            }
        } else {
            while (c != ',' && c != '\r' && c != '\n' && c != kEnd) {
                if (field.size() >= kMaxFieldBytes)
                    return fail("a field is longer than " + std::to_string(kMaxFieldBytes) +
                                " bytes");
                field += static_cast<char>(c);
                c = Get();
            }
        }
        if (fields.size() >= kMaxFields)
            return fail("a record has more than " + std::to_string(kMaxFields) + " fields");
        fields.push_back(field);
        if (c == ',') {
            c = Get();
            continue;
        }
        // The record's end.
        if (c == '\r') {
            const int next = Get();
            if (next != '\n')
                Unget(next);
        }
        if (c != kEnd)
            ++m_line;
        return Status::Record;
    }
}

} // namespace pennoria
