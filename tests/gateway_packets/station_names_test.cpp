#include "gateway/station_names.h"

#include <gtest/gtest.h>

#include <string>

namespace veltrin {
namespace {

TEST(StationNames, CallsignShapes)
{
    struct Row {
        const char* text;
        int result;
    };
    const Row rows[] = {
        {"N0C", 0},     {"0NC", 3},    {"N0CAL", 0}, {"0NCAL", 5},  {"N0CA1", 4},  {"NCAL", 6},
        {"N01C", 0},    {"N0", -1},    {"", -1},     {"N0CALLX", -1}, {"N0CALL", 0}, {"NN0CAL", 0},
        {"NNN", 3},     {"N00", 3},    {"000", 3},   {"0000", 4},   {"00NC", 0},   {"0N0C", 0},
        {"N-0C", -2},   {"N 0C", -2},  {"N0c", -3},  {"N0C_", -3},  {"N0:C", -4},  {"N0@C", -4},
        {"N0=CL", -4},  {"N0\x80" "C", -3},
    };
    for (const Row& r : rows)
        EXPECT_EQ(isValidCallsign(r.text), r.result) << '"' << r.text << '"';
}

TEST(StationNames, ParseResultsAndNames)
{
    struct Row {
        std::string text;
        char delimiter;
        int result;
        std::string name;      // the name field afterwards
        std::size_t textStart;  // results 1 and 2
    };
    const Row rows[] = {
        {"#;N0CALL-10;Hi", ';', 2, "N0CALL-10", 12},
        {"#:N0CALL-10:!x", ':', 2, "N0CALL-10", 12},
        {"#;N0C-10;x", ';', 2, "N0C-10", 9},
        {"#;N0CAL-AB;x", ';', 2, "N0CAL-AB", 11},
        {"#;N0CALL-9;Hi", ';', 1, "N0CALL-9 ", 11},
        {"#;MYOBJECT;x", ';', 1, "MYOBJECT ", 11},
        {"#;OBJECT:1;", ';', 1, "OBJECT:1 ", 11},
        {"#;n0call-10;", ';', 1, "n0call-10", 12},
        {"#;0NCAL-10;", ';', 1, "0NCAL-10 ", 11},
        {"#;N0CALL-1a;", ';', 1, "N0CALL-1a", 12},
        {"#;N0 AL-10;", ';', 1, "N0 AL-10 ", 11},
        {"#;ABCDEFGHI;", ';', 1, "ABCDEFGHI", 12},
        {"#:N0CALL-10;x", ';', -2, "         ", 0},
        {"N0CALL-10", ';', -1, "         ", 0},
        {"", ';', -1, "         ", 0},
        {"#", ';', -2, "         ", 0},
        {"#;N0CA\x01L;", ';', -3, "N0CA     ", 0},
        {"#;N0CALL", ';', -3, "N0CALL   ", 0},
        {std::string("#;N0\0CALL;", 10), ';', -3, "N0       ", 0},
        {"#;N0CA\xC9L;", ';', -4, "N0CA     ", 0},
        {"#;N0CA\x7FL;", ';', -4, "N0CA     ", 0},
        {"#;N0C|ALL;", ';', -5, "N0C      ", 0},
        {"#;N0C~ALL;", ';', -6, "N0C      ", 0},
        {"#;ABCDEFGHIJ;", ';', -7, "ABCDEFGHI", 0},
        {"#;ABCDEFGHIJKLMNOP", ';', -7, "ABCDEFGHI", 0},
        {"#;ABC;x", ';', -8, "ABC      ", 0},
        {"#;;x", ';', -8, "         ", 0},
        {"#;ABCDE;x", ';', -8, "ABCDE    ", 0},
    };
    for (const Row& r : rows) {
        std::string name = "junk";
        std::size_t textStart = 0;
        EXPECT_EQ(parseStationName(r.text, r.delimiter, name, &textStart), r.result) << r.text;
        EXPECT_EQ(name, r.name) << r.text;
        if (r.result > 0) {
            EXPECT_EQ(textStart, r.textStart) << r.text;
        }
    }
}

}  // namespace
}  // namespace veltrin
