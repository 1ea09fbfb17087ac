#include "config/interface_texts.h"

#include <gtest/gtest.h>

namespace veltrin {
namespace {

TEST(InterfaceTexts, KeysReplaceTextsAndEmptyValuesKeepThem)
{
    InterfaceTexts texts;
    EXPECT_EQ(interfaceTextKeys().size(), 15u);
    EXPECT_TRUE(setInterfaceText(texts, "GpsIsOffMessage", "GPS aus"));
    EXPECT_TRUE(setInterfaceText(texts, "gpserrormessage", "Fehler"));
    EXPECT_TRUE(setInterfaceText(texts, "BeaconWoGpsMessage", ""));
    EXPECT_FALSE(setInterfaceText(texts, "Exit", "Ende"));
    EXPECT_EQ(texts.GpsIsOffMessage, "GPS aus");
    EXPECT_EQ(texts.GpsErrorMessage, "Fehler");
    EXPECT_EQ(texts.BeaconWoGpsMessage, "Beacon without GPS-coordinates:");
    EXPECT_EQ(texts.MessWithHdrErrMessage, "Message with corrupted header !!!");
    EXPECT_EQ(texts.DeleteFileMessage, "Delete the file %s ?");
}

TEST(InterfaceTexts, FormatTextsKeepExactlyOnePlaceholder)
{
    struct Case {
        const char* value;
        bool used;
    };
    const Case cases[] = {
        {"Datei %s entfernen?", true},
        {"%s", true},
        {"Datei entfernen?", false},      // no place for the name
        {"%s und %s?", false},            // two
        {"Datei %n %s?", false},          // a conversion that writes
        {"Datei %d?", false},
        {"100%% %s", false},              // no other "%" at all
        {"Datei %s %", false},
    };
    for (const Case& c : cases) {
        InterfaceTexts texts;
        EXPECT_TRUE(setInterfaceText(texts, "DeleteFileMessage", c.value));
        EXPECT_TRUE(setInterfaceText(texts, "DeleteFolderFilesMessage", c.value));
        const std::string expectedFile = c.used ? c.value : "Delete the file %s ?";
        EXPECT_EQ(texts.DeleteFileMessage, expectedFile) << c.value;
        EXPECT_EQ(texts.DeleteFolderFilesMessage, c.used ? c.value : "Delete contents of folder %s ?") << c.value;
    }
    // The other texts are never formats: a "%" in them is just a character.
    InterfaceTexts texts;
    setInterfaceText(texts, "GpsIsOffMessage", "GPS 100% aus %n");
    EXPECT_EQ(texts.GpsIsOffMessage, "GPS 100% aus %n");
}

}  // namespace
}  // namespace veltrin
