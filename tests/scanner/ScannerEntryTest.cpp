#include "Scanner/ScannerEntry.h"

#include <gtest/gtest.h>

TEST(ScannerEntryTest, PreferencesRootIsTheRequestPathBeforeItsEffectsFolder)
{
    EXPECT_EQ(
        ScannerEntry::PreferencesRootOf(L"C:/Users/u/AppData/Roaming/X/Preferences/Q/Effects/FXScan.xml"),
        L"C:/Users/u/AppData/Roaming/X/Preferences/Q");
    EXPECT_EQ(ScannerEntry::PreferencesRootOf(L"C:\\P\\Effects\\FXScan.xml"), L"C:\\P");
    EXPECT_EQ(ScannerEntry::PreferencesRootOf(L"C:\\A\\Effects\\B/Effects/FXScan.xml"), L"C:\\A\\Effects\\B")
        << "the forward-slash match wins";
    EXPECT_EQ(ScannerEntry::PreferencesRootOf(L"/tmp/FXScan.xml"), L"");
    EXPECT_EQ(ScannerEntry::PreferencesRootOf(L"/tmp/effects/FXScan.xml"), L"")
        << "the match is case-sensitive";
}
