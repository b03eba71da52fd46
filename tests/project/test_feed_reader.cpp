// The product feed's CSV reader: the forms spreadsheets write, and damaged files.
#include "project/FeedReader.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace pennoria;

namespace {

// Every record of text, then how the reading ended and the message.
std::vector<std::vector<std::string>>
ReadAll(const std::string& text, FeedReader::Status* end = nullptr, std::string* error = nullptr) {
    std::istringstream input(text);
    FeedReader reader(input);
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    FeedReader::Status status;
    while ((status = reader.Next(fields, error)) == FeedReader::Status::Record)
        records.push_back(fields);
    if (end)
        *end = status;
    return records;
}

using Records = std::vector<std::vector<std::string>>;

} // namespace

TEST(FeedReader, ReadsWhatSpreadsheetsWrite) {
    // A byte-order mark, CRLF, quoted commas, doubled quotes, a line break inside a field, an
    // empty field, a blank line, a last line without its line break, a lone CR as line end.
    const std::string text = "\xEF\xBB\xBFname,title,price\r\n"
                             "\"Shoe, red\",\"He said \"\"hi\"\"\",12\r\n"
                             "\r\n"
                             "Hat,\"two\r\nlines\",\n"
                             "Καπέλο,قبعة,\"\"\r"
                             "last,row,9";
    FeedReader::Status end;
    EXPECT_EQ(ReadAll(text, &end), (Records{{"name", "title", "price"},
                                            {"Shoe, red", "He said \"hi\"", "12"},
                                            {"Hat", "two\r\nlines", ""},
                                            {"Καπέλο", "قبعة", ""},
                                            {"last", "row", "9"}}));
    EXPECT_EQ(end, FeedReader::Status::End);
    EXPECT_TRUE(ReadAll("").empty());
    EXPECT_TRUE(ReadAll("\xEF\xBB\xBF\r\n\n").empty());
}

TEST(FeedReader, DamagedFilesEndWithTheLineAndNeverGrowWithoutBound) {
    std::string error;
    FeedReader::Status end;
    // An unclosed quote: the records before it, then where it opened.
    EXPECT_EQ(ReadAll("a,b\n1,\"open\n2,3\n", &end, &error), (Records{{"a", "b"}}));
    EXPECT_EQ(end, FeedReader::Status::Malformed);
    EXPECT_NE(error.find("opened on line 2 is not closed"), std::string::npos) << error;

    const std::string huge(FeedReader::kMaxFieldBytes + 1, 'x');
    for (const std::string& text : {"a\n" + huge + "\n", "a\n\"" + huge + "\"\n"}) {
        EXPECT_EQ(ReadAll(text, &end, &error), (Records{{"a"}}));
        EXPECT_EQ(end, FeedReader::Status::Malformed);
        EXPECT_NE(error.find("line 2: a field is longer"), std::string::npos) << error;
    }
    EXPECT_EQ(ReadAll(std::string(FeedReader::kMaxFields + 1, ','), &end, &error).size(), 0u);
    EXPECT_EQ(end, FeedReader::Status::Malformed);
    EXPECT_EQ(ReadAll("\xEF\xBB"
                      "a,b\n",
                      &end)
                  .size(),
              0u);
    EXPECT_EQ(end, FeedReader::Status::Malformed);
}
