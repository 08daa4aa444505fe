// The configuration file: the profile reader's rules, writes that keep the rest of the
// file, and the per-user folder used when the current directory has no file.

#include "document/Settings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

using namespace fv;
using namespace fv::test;

namespace {

// Points the per-user folder somewhere harmless for the test's life.
class ScopedConfigHome {
public:
    explicit ScopedConfigHome(const std::string& dir) {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) old_ = old, had_ = true;
        ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    }
    ~ScopedConfigHome() {
        if (had_) ::setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
    }

private:
    std::string old_;
    bool had_ = false;
};

}  // namespace

struct ProfileCase {
    const char* value;
    int32_t expected;
};
class ProfileInt : public testing::TestWithParam<ProfileCase> {};
TEST_P(ProfileInt, ReadsLeadingDigits) {
    TempDir dir;
    const std::string f = dir.writeText("p.ini", std::string("[Sec]\nKey=") + GetParam().value + "\n");
    EXPECT_EQ(readProfileInt(f, "Sec", "Key", 42), GetParam().expected) << GetParam().value;
}
INSTANTIATE_TEST_SUITE_P(Values, ProfileInt,
                         testing::Values(ProfileCase{"2", 2}, ProfileCase{"  17  ", 17}, ProfileCase{"7x", 7},
                                         ProfileCase{"abc", 0}, ProfileCase{"", 0}, ProfileCase{"-3", -3},
                                         ProfileCase{"5\r", 5}, ProfileCase{"99999999999", 2147483647}));

TEST(Profile, MissingFileSectionOrKeyGivesTheDefault) {
    TempDir dir;
    EXPECT_EQ(readProfileInt(dir.path() + "/none.ini", "A", "B", 9), 9);
    const std::string f = dir.writeText("p.ini", "[Other]\nKey=1\n[sec]\nkey = 4\n");
    EXPECT_EQ(readProfileInt(f, "Sec", "Missing", 9), 9);
    EXPECT_EQ(readProfileInt(f, "Nowhere", "Key", 9), 9);
    EXPECT_EQ(readProfileInt(f, "SEC", "KEY", 9), 4);  // names match without regard to case
}

TEST(Profile, WritingOneKeyKeepsTheRestOfTheFile) {
    TempDir dir;
    const std::string f = dir.writeText("p.ini", "; comment\n[A]\nx=1\ny=2\n\n[B]\nz=3\n");
    ASSERT_TRUE(writeProfileString(f, "A", "y", "20"));
    ASSERT_TRUE(writeProfileString(f, "A", "new", "5"));
    ASSERT_TRUE(writeProfileString(f, "C", "w", "6"));
    EXPECT_EQ(dir.readText("p.ini"), "; comment\n[A]\nx=1\ny=20\nnew=5\n\n[B]\nz=3\n\n[C]\nw=6\n");
    EXPECT_TRUE(writeProfileString(dir.path() + "/fresh.ini", "S", "k", "1"));
    EXPECT_EQ(dir.readText("fresh.ini"), "[S]\nk=1\n");
}

TEST(Settings, DefaultsWithoutAFile) {
    TempDir dir, home;
    dir.enter();
    ScopedConfigHome scoped(home.path());
    const Settings s = loadSettings();
    EXPECT_EQ(s.lengthUnit, 0);
    EXPECT_EQ(s.analysisSwitch, 0);
    for (int32_t flag : {s.report.reportFileInfo, s.report.reportTraceInfo, s.report.reportTrace,
                         s.report.reportMarker, s.report.reportMarkerInfo, s.report.reportGrid,
                         s.report.reportEvent, s.report.reportCompact})
        EXPECT_EQ(flag, 1);
}

TEST(Settings, WritesEveryReportKeyAndTheLengthUnit) {
    TempDir dir, home;
    dir.enter();
    ScopedConfigHome scoped(home.path());
    dir.writeText("quarloConfig.ini", "[PARA]\nLengthUnit=1\nOther=7\n");
    ReportFlags flags;
    flags.reportGrid = 0;
    flags.reportCompact = 0;
    writeReportSettings(flags);
    writeLengthUnit(2);
    const Settings s = loadSettings();
    EXPECT_EQ(s.report.reportGrid, 0);
    EXPECT_EQ(s.report.reportCompact, 0);
    EXPECT_EQ(s.report.reportTrace, 1);
    EXPECT_EQ(s.lengthUnit, 2);
    const std::string text = dir.readText("quarloConfig.ini");
    EXPECT_NE(text.find("Other=7"), std::string::npos);
    for (const char* key : {"FileInfo=1", "TraceInfo=1", "Trace=1", "Marker=1", "MarkerInfo=1", "Gird=0",
                            "Event=1", "Page4In1=0"})
        EXPECT_NE(text.find(key), std::string::npos) << key;
}

TEST(Settings, FallsBackToThePerUserFileWhenTheCurrentDirectoryHasNone) {
    TempDir dir, home;
    dir.enter();
    ScopedConfigHome scoped(home.path());
    ::mkdir((home.path() + "/Fibrovue").c_str(), 0755);
    home.writeText("Fibrovue/quarloConfig.ini", "[PARA]\nLengthUnit=1\n");
    EXPECT_EQ(loadSettings().lengthUnit, 1);
    dir.writeText("quarloConfig.ini", "[PARA]\nLengthUnit=2\n");
    EXPECT_EQ(loadSettings().lengthUnit, 2);  // the current directory's file comes first
}
