#include "platform/Preferences.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("velkaro-prefs-" + std::to_string(getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        path = (dir / "velkaro" / "preferences").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    void writeFile(const std::string& text) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << text;
    }
    fs::path dir;
    std::string path;
};

TEST_F(PreferencesTest, ValuesSurviveANewStoreOnTheSameFile) {
    {
        Preferences p(path);
        EXPECT_FALSE(p.hasObject("firstRun"));
        p.setInteger(1700000000, "firstRun");
        p.setBool(true, "rateDisplayed");
        p.setInteger(-5, "negative");
    }
    Preferences again(path);  // what a restarted process sees
    EXPECT_TRUE(again.hasObject("firstRun"));
    EXPECT_EQ(again.integerForKey("firstRun"), 1700000000);
    EXPECT_TRUE(again.boolForKey("rateDisplayed"));
    EXPECT_EQ(again.integerForKey("rateDisplayed"), 1);
    EXPECT_EQ(again.integerForKey("negative"), -5);
    EXPECT_FALSE(again.hasObject("other"));
    EXPECT_EQ(again.integerForKey("other"), 0);
    EXPECT_FALSE(fs::exists(path + ".tmp"));  // written through a temporary file that was renamed
}

TEST_F(PreferencesTest, CorruptOrForeignFilesReadAsEmptyAndAreReplacedOnTheNextWrite) {
    for (const char* text : {"garbage\n", "velkaro-preferences 1\nfirstRun\tx\t5\n", "velkaro-preferences 1\nnotabs\n",
                             "\x00\xff\xfe", ""}) {
        writeFile(text);
        Preferences p(path);
        EXPECT_FALSE(p.hasObject("firstRun")) << text;
        p.setBool(true, "rateDisplayed");
        Preferences again(path);
        EXPECT_TRUE(again.boolForKey("rateDisplayed"));
        EXPECT_FALSE(again.hasObject("firstRun"));
    }
}

TEST_F(PreferencesTest, AnUnreadableFileGivesDefaultsWithoutCrashing) {
    fs::create_directories(path);  // a directory where the file should be
    Preferences p(path);
    EXPECT_FALSE(p.hasObject("firstRun"));
    p.setInteger(3, "firstRun");  // the write fails and is logged; the value is kept for this run
    EXPECT_EQ(p.integerForKey("firstRun"), 3);
}

TEST_F(PreferencesTest, TypesConvertAsTheStoreReadsThem) {
    writeFile("velkaro-preferences 1\na\ts\tYES\nb\ts\t12x\nc\ts\tno\nd\tb\t0\n");
    Preferences p(path);
    EXPECT_TRUE(p.boolForKey("a"));
    EXPECT_TRUE(p.boolForKey("b"));
    EXPECT_EQ(p.integerForKey("b"), 12);
    EXPECT_FALSE(p.boolForKey("c"));
    EXPECT_FALSE(p.boolForKey("d"));
    EXPECT_TRUE(p.hasObject("d"));
}

}  // namespace
