// fibrovue-cli as a user runs it: its outputs, its files and its exit status.

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace fv::test;
using nlohmann::json;

namespace {

struct CliRun {
    int status = -1;
    std::string out;
};

// Runs the tool through the shell; stderr is discarded unless asked for.
CliRun cli(const std::string& args, bool withStderr = false) {
    std::string command = std::string("'") + FIBROVUE_CLI_PATH + "' " + args + (withStderr ? " 2>&1" : " 2>/dev/null");
    CliRun r;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return r;
    std::array<char, 65536> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string q(const std::string& s) { return "'" + s + "'"; }

class Cli : public testing::Test {
protected:
    TempDir dir;
    std::string demo;
    void SetUp() override {
        dir.enter();
        demo = dir.path() + "/demo.sor";
        ASSERT_EQ(cli("synth " + q(demo) + " --preset demo --seed 4").status, 0);
    }
};

}  // namespace

TEST_F(Cli, InfoPrintsTheWholeRecord) {
    CliRun r = cli("info " + q(demo));
    ASSERT_EQ(r.status, 0);
    json j = json::parse(r.out);
    EXPECT_EQ(j["file"], demo);
    const int n = j["pointCount"];
    EXPECT_GT(n, 1000);
    EXPECT_EQ(j["params"]["pointCount"], n);
    EXPECT_EQ(j["params"]["wavelength"], 15500);
    for (const char* key : {"rangeKm", "pulseWidthNs", "backscatterDb", "ior", "vendorWords", "markerA", "markerB"})
        EXPECT_TRUE(j["params"].contains(key)) << key;
    EXPECT_EQ(j["fxd"]["pulseWidth"].size(), 1u);
    EXPECT_EQ(j["fxd"]["units"], "mt");
    EXPECT_EQ(j["sup"]["supplier"], "Fibrovue");
    ASSERT_EQ(j["blocks"].size(), 8u);
    EXPECT_EQ(j["blocks"][0]["name"], "GenParams");
    EXPECT_EQ(j["blocks"][7]["name"], "Cksum");
    EXPECT_EQ(j["checksum"]["matches"], true);  // our own writer's rule
    ASSERT_GT(j["events"].size(), 2u);
    EXPECT_EQ(j["events"][0]["type"], 0);
    EXPECT_EQ(j["events"][0]["markers"].size(), 5u);
    EXPECT_GT(j["totalLengthKm"].get<double>(), 20.0);
}

TEST_F(Cli, EventsAsJsonAndCsvAgree) {
    CliRun js = cli("events " + q(demo));
    CliRun csv = cli("events " + q(demo) + " --csv");
    ASSERT_EQ(js.status, 0);
    ASSERT_EQ(csv.status, 0);
    json events = json::parse(js.out);
    std::istringstream lines(csv.out);
    std::string header, line;
    std::getline(lines, header);
    EXPECT_EQ(header.rfind("number,type,endFlag,distanceKm", 0), 0u);
    size_t rows = 0;
    while (std::getline(lines, line)) {
        ASSERT_LT(rows, events.size());
        EXPECT_EQ(line.substr(0, line.find(',')), std::to_string(events[rows]["number"].get<int>()));
        ++rows;
    }
    EXPECT_EQ(rows, events.size());
}

TEST_F(Cli, PointsGiveOneRowPerPoint) {
    CliRun r = cli("points " + q(demo));
    ASSERT_EQ(r.status, 0);
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "distance_km,level_db");
    int rows = 0;
    double lastDistance = -1;
    while (std::getline(lines, line)) {
        double d = std::stod(line.substr(0, line.find(',')));
        EXPECT_GT(d, lastDistance);
        lastDistance = d;
        ++rows;
    }
    EXPECT_EQ(rows, json::parse(cli("info " + q(demo)).out)["pointCount"].get<int>());
}

TEST_F(Cli, SynthIsReproducible) {
    const std::string a = dir.path() + "/a.sor", b = dir.path() + "/b.sor", c = dir.path() + "/c.sor";
    ASSERT_EQ(cli("synth " + q(a) + " --preset short --seed 9").status, 0);
    ASSERT_EQ(cli("synth " + q(b) + " --preset short --seed 9").status, 0);
    ASSERT_EQ(cli("synth " + q(c) + " --preset short --seed 10").status, 0);
    EXPECT_EQ(dir.read("a.sor"), dir.read("b.sor"));
    EXPECT_NE(dir.read("a.sor"), dir.read("c.sor"));
    ASSERT_EQ(cli("synth " + q(a) + " --preset longhaul --points 5000").status, 0);
    EXPECT_EQ(json::parse(cli("info " + q(a)).out)["pointCount"], 5000);
}

TEST_F(Cli, ResaveSettlesAndReplacesAtomically) {
    const std::string one = dir.path() + "/one.sor", two = dir.path() + "/two.sor";
    ASSERT_EQ(cli("resave " + q(demo) + " " + q(one)).status, 0);
    ASSERT_EQ(cli("resave " + q(one) + " " + q(two)).status, 0);
    ASSERT_EQ(cli("resave " + q(two) + " " + q(one)).status, 0);
    EXPECT_EQ(dir.read("one.sor"), dir.read("two.sor"));
    CliRun failed = cli("resave " + q(demo) + " " + q(dir.path() + "/no/such/folder.sor"), true);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.out.find("no/such/folder.sor"), std::string::npos) << failed.out;
}

TEST_F(Cli, CheckSaysWhyFilesAreRefused) {
    dir.writeText("notes.txt", "hello");
    dir.writeText("bad.sor", "not a trace");
    CliRun r = cli("check " + q(demo) + " notes.txt bad.sor missing.sor");
    EXPECT_EQ(r.status, 1);
    std::istringstream lines(r.out);
    std::string line;
    std::vector<std::string> got;
    while (std::getline(lines, line)) got.push_back(line);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0], demo + ": OK");
    EXPECT_NE(got[1].find("not a trace file"), std::string::npos);
    EXPECT_NE(got[2].find("not an issue-2"), std::string::npos);
    EXPECT_NE(got[3].find("cannot be opened"), std::string::npos);
    EXPECT_EQ(cli("check " + q(demo)).status, 0);
}

struct StatusCase {
    const char* args;
    int status;
};
class CliStatus : public testing::TestWithParam<StatusCase> {};
TEST_P(CliStatus, ExitStatusTellsWhatHappened) {
    TempDir dir;
    dir.enter();
    dir.writeText("bad.sor", "junk");
    dir.writeText("t.txt", "junk");
    EXPECT_EQ(cli(GetParam().args).status, GetParam().status) << GetParam().args;
}
INSTANTIATE_TEST_SUITE_P(Cases, CliStatus,
                         testing::Values(StatusCase{"", 2}, StatusCase{"frobnicate", 2}, StatusCase{"--help", 0},
                                         StatusCase{"info --help", 0}, StatusCase{"synth --help", 0},
                                         StatusCase{"info", 2}, StatusCase{"info bad.sor", 2},
                                         StatusCase{"info t.txt", 2}, StatusCase{"info missing.sor", 1},
                                         StatusCase{"synth x.sor --preset nope", 2},
                                         StatusCase{"synth x.sor --points 1", 2},
                                         StatusCase{"synth x.sor --points 128001", 2},
                                         StatusCase{"events bad.sor --csv", 2}, StatusCase{"check", 2}));

TEST(CliExamples, BundledExamplesAreReadable) {
    CliRun r = cli(std::string("check ") + FIBROVUE_EXAMPLES_DIR + "/*.sor");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(": OK"), std::string::npos);
}
