#include "TestFiles.h"
#include "app/AppState.h"
#include "app/Settings.h"

#include <gtest/gtest.h>

using namespace tallivo;
using tallivo::test::TempFolder;

TEST(Settings, BeneChargeFlagRules)
{
    struct Case
    {
        const char* ini;
        bool expected;
    };
    const Case cases[] = {
        {"[BeneChargeProfile]\nBeneChargeFlag=TRUE\n", true},
        {"[beneChargeProfile]\r\nbenechargeflag = true \r\n", true},
        {"[BeneChargeProfile]\nBeneChargeFlag=True\n", true},
        {"[BeneChargeProfile]\nBeneChargeFlag=1\n", false},
        {"[BeneChargeProfile]\nBeneChargeFlag=yes\n", false},
        {"[Other]\nBeneChargeFlag=TRUE\n", false},
        {"", false},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        AppState app;
        app.programFolder = dir.Folder();
        dir.Write("Data/Config.ini", c.ini);
        LoadSettings(app);
        EXPECT_EQ(app.beneChargeFlag, c.expected) << c.ini;
    }
}

TEST(Settings, MissingFileGivesDefaults)
{
    TempFolder dir;
    AppState app;
    app.programFolder = dir.Folder();
    app.beneChargeFlag = true;
    LoadSettings(app);
    LoadFeeRanges(app);
    EXPECT_FALSE(app.beneChargeFlag);
    EXPECT_EQ(app.rangeFee1, "");
    EXPECT_EQ(app.rangeFee3, "");
}

TEST(Settings, FeeTextsAreReadAsTextAndLongValuesAreCut)
{
    TempFolder dir;
    AppState app;
    app.programFolder = dir.Folder();
    dir.Write("Data/Config.ini",
              "[ThreeTierRate]\nRangeFee1 =  12.50  \nRANGEFEE2=abc\nRangeFee3=" + std::string(3000, '9') + "\n");
    LoadFeeRanges(app);
    EXPECT_EQ(app.rangeFee1, "12.50");
    EXPECT_EQ(app.rangeFee2, "abc");
    EXPECT_EQ(app.rangeFee3, std::string(2047, '9'));
}
