// Product feeds: CSV files (RFC 4180) read one record at a time, so that a feed of any length
// is read in bounded memory. UTF-8 text with or without a byte-order mark; fields may be quoted,
// and a quoted field may hold commas, quotes (doubled) and line breaks. Records end in CRLF, LF
// or CR; empty lines are skipped.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace pennoria {

class FeedReader {
public:
    // A field longer than this, or a record with more fields, is refused: a damaged or hostile
    // file never makes the reader hold more than one record of bounded size.
    static constexpr std::size_t kMaxFieldBytes = std::size_t{1} << 20;
    static constexpr std::size_t kMaxFields = 1024;

    enum class Status { Record, End, Malformed };

    explicit FeedReader(std::istream& input) : m_input(input) {}

    // The next record's fields. Malformed (with error saying where) ends the reading.
    Status Next(std::vector<std::string>& fields, std::string* error = nullptr);

    // The line the last record started on (the first line is 1).
    std::size_t RecordLine() const { return m_recordLine; }

private:
    int Get();
    void Unget(int c) { m_pending = c; }

    std::istream& m_input;
    int m_pending = -2;     // a character read ahead; -2: none
    bool m_started = false; // the byte-order mark has been looked for
    bool m_broken = false;
    std::size_t m_line = 1;
    std::size_t m_recordLine = 0;
};

} // namespace pennoria
