#include "app/Settings.h"
#include "TestFiles.h"
#include "app/AppState.h"
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
    EXPECT_EQ(app.rangeFee1.text, "");
    EXPECT_EQ(app.rangeFee3.text, "");
}

TEST(Settings, FeeTextsAreReadAsTextAndLongValuesAreCut)
{
    TempFolder dir;
    AppState app;
    app.programFolder = dir.Folder();
    dir.Write("Data/Config.ini",
              "[ThreeTierRate]\nRangeFee1 =  12.50  \nRANGEFEE2=abc\nRangeFee3=" + std::string(3000, '9') + "\n");
    LoadFeeRanges(app);
    EXPECT_EQ(app.rangeFee1.text, "12.50");
    EXPECT_EQ(app.rangeFee2.text, "abc");
    EXPECT_EQ(app.rangeFee3.text, std::string(2047, '9'));
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

// Each key comes from the first file that sets it: the user's own, the machine's, the
// program folder's; a fee that is no amount names its value, key, section and file.
TEST(Settings, EachKeyFromTheFirstFileThatSetsItAndFeeErrorsNameTheirOrigin)
{
    TempFolder dir;
    const std::string user = dir.Write("config/tallivo/Config.ini", "[ThreeTierRate]\nRangeFee1=11\n");
    const std::string machine = dir.Write("etc/Config.ini", "[ThreeTierRate]\nRangeFee1=1\nRangeFee2=x2\n"
                                                            "[BeneChargeProfile]\nBeneChargeFlag=TRUE\n");
    const std::string program = dir.Write("Data/Config.ini", "[ThreeTierRate]\nRangeFee2=2\nRangeFee3=3\n"
                                                             "[BeneChargeProfile]\nBeneChargeFlag=FALSE\n");
    const struct Restore
    {
        ~Restore()
        {
            ::setenv("TALLIVO_TEST_SYSTEM_SETTINGS", "/nonexistent/tallivo/Config.ini", 1);
            ::unsetenv("XDG_CONFIG_HOME");
        }
    } restore;
    ::setenv("XDG_CONFIG_HOME", dir.Path("config").c_str(), 1);
    ::setenv("TALLIVO_TEST_SYSTEM_SETTINGS", machine.c_str(), 1);
    AppState app;
    app.programFolder = dir.Folder();
    LoadSettings(app);
    LoadFeeRanges(app);
    EXPECT_TRUE(app.beneChargeFlag);
    EXPECT_EQ(app.rangeFee1.text, "11");
    EXPECT_EQ(app.rangeFee2.text, "x2");
    EXPECT_EQ(app.rangeFee3.text, "3");
    EXPECT_EQ(FeeAmount(app.rangeFee3), StrToCurr("3"));
    try {
        FeeAmount(app.rangeFee2);
        ADD_FAILURE() << "x2 was taken as a fee";
    } catch (const AppError& e) {
        EXPECT_EQ(e.message(),
                  "'x2' is not a valid floating point value (RangeFee2 in section [ThreeTierRate] of " + machine + ")");
    }
    const Setting missing = ReadSetting({user, machine, program}, "ThreeTierRate", "RangeFee4");
    EXPECT_EQ(missing.text, "");
    EXPECT_EQ(missing.origin,
              "RangeFee4 in section [ThreeTierRate], set in none of " + user + ", " + machine + ", " + program);
}
