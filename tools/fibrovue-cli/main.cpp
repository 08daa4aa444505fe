// fibrovue-cli: batch work on trace files without the desktop program.
// Exit status: 0 success, 1 some file failed, 2 usage error or not a trace file.

#include "GbkText.h"
#include "TraceJson.h"

#include "document/CQUARLODoc.h"
#include "document/Prompts.h"
#include "sorfile/bellcorefile.h"
#include "synth/TraceSynth.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace fv::cli {
namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;

// Messages of the core go to standard error; questions take their default answer.
class ConsolePrompts : public Prompts {
public:
    bool quiet = false;
    PromptAnswer message(std::string_view text, std::string_view caption, PromptButtons buttons) override {
        if (!quiet) std::cerr << caption << ": " << text << "\n";
        return buttons == PromptButtons::Ok || buttons == PromptButtons::OkCancel ? PromptAnswer::Ok
                                                                                  : PromptAnswer::No;
    }
    std::vector<std::string> chooseOpenFiles(std::string_view, const std::vector<FileFilter>&, bool) override {
        return {};
    }
    std::string chooseSavePath(std::string_view, std::string_view, const std::vector<FileFilter>&) override {
        return {};
    }
    std::string chooseFolder(std::string_view) override { return {}; }
};

const char* kUsage =
    "usage: fibrovue-cli COMMAND [ARGS]\n"
    "commands:\n"
    "  info FILE                 parameters, fields, blocks, checksum and events as JSON\n"
    "  events FILE [--csv]       the event list (JSON, or CSV with a header row)\n"
    "  points FILE               CSV distance_km,level_db, one row per point\n"
    "  resave IN OUT             open IN and save it to OUT through our writer\n"
    "  synth OUT [--preset NAME] [--points N] [--seed S]\n"
    "                            write a synthetic trace\n"
    "  check FILE...             OK or the reason, one line per file\n"
    "Each command takes --help.\n";

struct CommandHelp {
    const char* name;
    const char* text;
};
const CommandHelp kHelp[] = {
    {"info", "usage: fibrovue-cli info FILE\n"
             "Opens FILE as the desktop program does and prints one JSON object: file, pointCount,\n"
             "spacingKm, totalLengthKm, params, gen, sup, fxd, blocks, checksum and events.\n"},
    {"events", "usage: fibrovue-cli events FILE [--csv]\nThe event list as JSON, or CSV with a header row.\n"},
    {"points", "usage: fibrovue-cli points FILE\nCSV distance_km,level_db, one row per point.\n"},
    {"resave", "usage: fibrovue-cli resave IN OUT\n"
               "Opens IN and saves it to OUT with our writer, markers as stored. OUT is replaced\n"
               "only when the whole file was written.\n"},
    {"synth", "usage: fibrovue-cli synth OUT [--preset NAME] [--points N] [--seed S]\n"
              "Writes a synthetic trace. The same options give the same bytes.\n"},
    {"check", "usage: fibrovue-cli check FILE...\n"
              "One line per file: OK or why it is refused. Exit status 0 when all are readable.\n"},
};

bool wantsHelp(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

int usage(const std::string& command, const std::string& problem) {
    std::cerr << "fibrovue-cli " << command << ": " << problem << "\n";
    for (const auto& h : kHelp)
        if (command == h.name) std::cerr << h.text;
    return kExitUsage;
}

// Opens a file as the program does; on failure says why and gives the exit status.
struct Session {
    ConsolePrompts prompts;
    std::unique_ptr<CQUARLODoc> doc = CQUARLODoc::create(prompts);

    int open(const std::string& path) {
        if (doc->openTraceFile(path)) return kExitOk;
        switch (doc->lastOpenResult) {
            case OpenResult::NotTraceFile:
            case OpenResult::WrongFormat:
            case OpenResult::NoFile: return kExitUsage;
            default: return kExitFailed;
        }
    }
    TraceSlot& trace() { return doc->currentTrace(); }
};

void printJson(const Json& j) {
    std::string text = j.dump(1, ' ', false, Json::error_handler_t::replace);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

int cmdInfo(const std::vector<std::string>& args) {
    if (args.size() != 1) return usage("info", "needs exactly one FILE");
    Session s;
    if (int rc = s.open(args[0])) return rc;
    const TraceSlot& t = s.trace();
    const std::span<const uint8_t> file(s.doc->fileBuffer, s.doc->fileLength);
    SorMap map;
    decodeMap(file, map);
    Json j{{"file", t.path},
           {"pointCount", t.pointCount},
           {"spacingKm", t.spacingKm},
           {"totalLengthKm", t.totalLengthKm},
           {"params", toJson(t.params)},
           {"gen", toJson(t.gen)},
           {"sup", toJson(t.sup)},
           {"fxd", toJson(t.fxd)},
           {"blocks", blocksJson(map)},
           {"checksum", checksumJson(map, file)},
           {"clipped", t.clipped != 0},
           {"events", eventsJson(t)}};
    printJson(j);
    return kExitOk;
}

int cmdEvents(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool csv = false;
    for (const auto& a : args) {
        if (a == "--csv") csv = true;
        else if (a == "--json") csv = false;
        else if (a.rfind("--", 0) == 0) return usage("events", "unknown option " + a);
        else files.push_back(a);
    }
    if (files.size() != 1) return usage("events", "needs exactly one FILE");
    Session s;
    if (int rc = s.open(files[0])) return rc;
    const TraceSlot& t = s.trace();
    if (!csv) {
        printJson(eventsJson(t));
        return kExitOk;
    }
    std::printf("number,type,endFlag,distanceKm,level,reflectance,loss,attenuation,cumulativeLoss,"
                "m1,m2,m3,m4,m5,time,pointIndex,comment\n");
    for (int i = 0; i < t.eventCount; ++i) {
        const TraceEvent& e = t.events[i];
        std::string comment = fieldText(e.comment);
        std::string quoted = "\"";
        for (char c : comment) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        quoted += "\"";
        std::printf("%d,%d,%d,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%d,%d,%d,%d,%d,%d,%d,%s\n", e.number, e.type,
                    e.endFlag, e.distanceKm, e.level, e.reflectance, e.loss, e.attenuation, e.cumulativeLoss,
                    e.markers[0], e.markers[1], e.markers[2], e.markers[3], e.markers[4], e.time, e.pointIndex,
                    quoted.c_str());
    }
    return kExitOk;
}

int cmdPoints(const std::vector<std::string>& args) {
    if (args.size() != 1) return usage("points", "needs exactly one FILE");
    Session s;
    if (int rc = s.open(args[0])) return rc;
    const TraceSlot& t = s.trace();
    std::string out = "distance_km,level_db\n";
    out.reserve(size_t(t.pointCount) * 24 + 32);
    char line[64];
    for (int i = 0; i < t.pointCount; ++i) {
        int n = std::snprintf(line, sizeof line, "%.9g,%.9g\n", t.distance[i], t.level[i]);
        out.append(line, size_t(n));
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kExitOk;
}

int cmdResave(const std::vector<std::string>& args) {
    if (args.size() != 2) return usage("resave", "needs IN and OUT");
    Session s;
    if (int rc = s.open(args[0])) return rc;
    TraceSlot& t = s.trace();
    if (t.clipped) std::cerr << "fibrovue-cli resave: " << args[0]
                             << ": the file holds more than a trace can keep; the copy leaves that out\n";
    std::string error;
    if (!s.doc->saveTraceFile(t, args[1], error)) {
        std::cerr << "fibrovue-cli resave: " << error << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

bool parseInt(const std::string& text, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == 0;
}

int cmdSynth(const std::vector<std::string>& args) {
    SynthOptions options;
    std::string out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        std::string v;
        long long n = 0;
        if (a == "--preset") {
            if (!value(options.preset)) return usage("synth", "--preset needs a NAME");
        } else if (a == "--points") {
            if (!value(v) || !parseInt(v, n) || n < 2 || n > kMaxPoints)
                return usage("synth", "--points needs a number from 2 to 128000");
            options.points = int(n);
        } else if (a == "--seed") {
            if (!value(v) || !parseInt(v, n) || n < 0) return usage("synth", "--seed needs a non-negative number");
            options.seed = uint64_t(n);
        } else if (a.rfind("--", 0) == 0) {
            return usage("synth", "unknown option " + a);
        } else if (out.empty()) {
            out = a;
        } else {
            return usage("synth", "only one OUT");
        }
    }
    if (out.empty()) return usage("synth", "needs OUT");
    Session s;
    TraceSlot& slot = s.doc->scratch;
    SynthResult r = synthesizeTrace(options, slot);
    if (!r.ok) {
        std::string names;
        for (const auto& p : synthPresetNames()) names += " " + p;
        return usage("synth", r.error + " (presets:" + names + ")");
    }
    std::string error;
    if (!s.doc->saveTraceFile(slot, out, error)) {
        std::cerr << "fibrovue-cli synth: " << error << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

int cmdCheck(const std::vector<std::string>& args) {
    if (args.empty()) return usage("check", "needs at least one FILE");
    int rc = kExitOk;
    for (const auto& path : args) {
        Session s;
        s.prompts.quiet = true;
        std::string reason;
        if (s.doc->openTraceFile(path)) {
            reason = s.trace().clipped ? "OK (clipped to what a trace can hold)" : "OK";
        } else {
            rc = kExitFailed;
            switch (s.doc->lastOpenResult) {
                case OpenResult::NotTraceFile: reason = "not a trace file (the name must end in sor or SOR)"; break;
                case OpenResult::CannotOpen: reason = "cannot be opened for reading"; break;
                case OpenResult::WrongFormat: reason = "not an issue-2 trace file, or no trace in it"; break;
                default: reason = "refused"; break;
            }
        }
        std::printf("%s: %s\n", path.c_str(), reason.c_str());
    }
    return rc;
}

}  // namespace
}  // namespace fv::cli

int main(int argc, char** argv) {
    using namespace fv::cli;
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    if (wantsHelp(args)) {
        for (const auto& h : kHelp)
            if (command == h.name) {
                std::fputs(h.text, stdout);
                return kExitOk;
            }
    }
    if (command == "info") return cmdInfo(args);
    if (command == "events") return cmdEvents(args);
    if (command == "points") return cmdPoints(args);
    if (command == "resave") return cmdResave(args);
    if (command == "synth") return cmdSynth(args);
    if (command == "check") return cmdCheck(args);
    std::fprintf(stderr, "fibrovue-cli: unknown command %s\n%s", command.c_str(), kUsage);
    return kExitUsage;
}
