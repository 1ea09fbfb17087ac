#include <gtest/gtest.h>

#include "browser/file_names.h"

namespace veltrin {
namespace {

TEST(FileNames, KindsFollowTheMarkersAtFourteenAndEighteen)
{
    struct Case {
        const char* name;
        int kind;
    };
    const Case cases[] = {
        {"a.TX", 0},
        {"readme", 0},
        {"220315-101010-REC-OK-1234-5678-07-0.TXT", 10},
        {"220315-090000-REC-ER-1234-5678-06-0.TXT", 8},
        {"220315-090000-REC-BD-1234-5678-06-0.txt", 8},
        {"220315-090000-REC-XX-1234-5678-06-0.TXT", 4},
        {"220315-090000-SNT-ER-1234-5678-06-0.TXT", 8},
        {"220315-090000-SNT-RD-1234-5678-06-0.TXT", 10},
        {"220315-090000-SNT-00-1234-5678-06-0.TXT", 4},
        {"220315-090000-BEA-ER-1234-0000-01-0.TXT", 9},
        {"220315-090000-BEA-OK-1234-0000-01-0.TXT", 11},
        {"220315-090000-BEA-BD-1234-0000-01-0.TXT", 5},
        {"220315-090000-GPS-ER-1234-0000-01-0.TXT", 13},
        {"220315-090000-GPS-OK-1234-0000-01-0-220315-090100.TXT", 6},
        {"220315-090000-GPS-OK-1234-0000-01-0-220315-090100.kml", 7},
        {"220315-090000-GPS-OK-1234-0000-01-0.DAT", -1},
        {"220315-090000-XYZ-OK-1234-0000-01-0.TXT", -1},
        {"-REC-220315-09-REC-OK.TXT", -1},  // first occurrence is not at 14
        {"readme.txt", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(classifyFileName(c.name), c.kind) << c.name;
}

TEST(FileNames, SentStateMaskAndDayNames)
{
    EXPECT_EQ(sentState("220315-090000-SNT-00-1234-5678-06-0.TXT"), 1);
    EXPECT_EQ(sentState("220315-090000-SNT-ER-1234-5678-06-0.TXT"), 2);
    EXPECT_EQ(sentState("220315-090000-REC-OK-1234-5678-06-0.TXT"), 0);

    EXPECT_TRUE(matchesMessageMask("220315-090000-REC-OK-1234-5678-06-0.TXT"));
    EXPECT_TRUE(matchesMessageMask("220315-090000-GPS-OK-1.KML"));
    EXPECT_FALSE(matchesMessageMask("readme.txt"));
    EXPECT_FALSE(matchesMessageMask("220315-090000-REC-OK.TX"));

    EXPECT_EQ(dayCaption("220315"), "15 Mar 2022");
    EXPECT_EQ(dayCaption("211231"), "31 Dec 2021");
    EXPECT_EQ(dayCaption("000101"), "01 Jan 2000");
    for (const char* bad : {"221301", "220300", "220332", "notes!", "2203", "22 315", "+20315"})
        EXPECT_EQ(dayCaption(bad), "") << bad;
}

}  // namespace
}  // namespace veltrin
