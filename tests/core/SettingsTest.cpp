#include "TestFiles.h"
#include "app/AppState.h"
#include "app/Settings.h"
#include "common/AppError.h"

#include <sys/stat.h>

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

// A settings file that never ends or never opens is refused at once, naming the file.
TEST(Settings, ASettingsFileThatIsNoRegularFileOrTooLargeIsRefused)
{
    TempFolder dir;
    const std::string fifo = dir.Path("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string large = dir.Write("large.ini", "[ThreeTierRate]\nRangeFee1=" + std::string(2u << 20, '1') + "\n");
    const struct
    {
        std::string path;
        std::string message;
    } cases[] = {
        {fifo, "The settings file " + fifo + " is not a regular file"},
        {"/dev/zero", "The settings file /dev/zero is not a regular file"},
        {large, "The settings file " + large + " is larger than 1 MB"},
    };
    for (const auto& c : cases) {
        try {
            ReadIniValue(c.path, "ThreeTierRate", "RangeFee1", "");
            ADD_FAILURE() << c.path << " was read";
        } catch (const AppError& e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
}
