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

}  // namespace
}  // namespace veltrin
