#include "document/Settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fv {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::vector<std::string> readLines(const std::string& file, bool& exists) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    exists = bool(in);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

// A section header "[name]" gives its name; anything else gives nothing.
bool sectionName(std::string_view line, std::string_view& name) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[') return false;
    size_t close = line.find(']');
    if (close == std::string_view::npos) return false;
    name = trim(line.substr(1, close - 1));
    return true;
}

bool keyOf(std::string_view line, std::string_view& key, std::string_view& value) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return true;
}

int32_t leadingInt(std::string_view v) {
    size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
    int64_t n = 0;
    bool any = false;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
        any = true;
        if (n < 0x7fffffff) n = n * 10 + (v[i] - '0');
    }
    if (!any) return 0;
    if (n > 0x7fffffff) n = 0x7fffffff;
    return int32_t(negative ? -n : n);
}

std::string currentDirFile() {
    char buf[4096];
    if (!getcwd(buf, sizeof buf)) return kConfigFileName;
    return std::string(buf) + "/" + kConfigFileName;
}

std::string userDir() {
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) return std::string(x) + "/Fibrovue";
    if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/.config/Fibrovue";
    return {};
}

bool fileExists(const std::string& p) { return access(p.c_str(), F_OK) == 0; }

}  // namespace

int32_t readProfileInt(const std::string& file, std::string_view section, std::string_view key,
                       int32_t defaultValue) {
    bool exists = false;
    auto lines = readLines(file, exists);
    bool inSection = false;
    for (const auto& l : lines) {
        std::string_view name, k, v;
        if (sectionName(l, name)) {
            inSection = equalsNoCase(name, section);
        } else if (inSection && keyOf(l, k, v) && equalsNoCase(k, key)) {
            return leadingInt(v);
        }
    }
    return defaultValue;
}

bool writeProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value) {
    bool exists = false;
    auto lines = readLines(file, exists);
    std::string entry = std::string(key) + "=" + std::string(value);
    int sectionLine = -1, lastInSection = -1;
    bool inSection = false, done = false;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        std::string_view name, k, v;
        if (sectionName(lines[i], name)) {
            if (inSection) break;  // the section ended without the key
            inSection = equalsNoCase(name, section);
            if (inSection) sectionLine = lastInSection = int(i);
        } else if (inSection) {
            if (keyOf(lines[i], k, v) && equalsNoCase(k, key)) {
                lines[i] = entry;
                done = true;
            } else if (!trim(lines[i]).empty()) {
                lastInSection = int(i);
            }
        }
    }
    if (!done) {
        if (sectionLine < 0) {
            if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
            std::string header;
            header.reserve(section.size() + 2);
            header.append(1, '[').append(section).append(1, ']');
            lines.push_back(std::move(header));
            lines.push_back(entry);
        } else {
            lines.insert(lines.begin() + lastInSection + 1, entry);
        }
    }
    std::ostringstream out;
    for (const auto& l : lines) out << l << '\n';
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f << out.str();
    return bool(f.flush());
}

std::string configPathForReading() {
    std::string here = currentDirFile();
    if (fileExists(here)) return here;
    std::string dir = userDir();
    if (!dir.empty() && fileExists(dir + "/" + kConfigFileName)) return dir + "/" + kConfigFileName;
    return here;
}

std::string configPathForWriting() {
    std::string here = currentDirFile();
    bool writable = fileExists(here) ? access(here.c_str(), W_OK) == 0 : access(".", W_OK) == 0;
    if (writable) return here;
    std::string dir = userDir();
    if (dir.empty()) return here;
    // mkdir -p of the per-user folder
    for (size_t p = 1; p <= dir.size(); ++p) {
        if (p == dir.size() || dir[p] == '/') {
            std::string part = dir.substr(0, p);
            if (!fileExists(part) && ::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return here;
        }
    }
    return dir + "/" + kConfigFileName;
}

Settings loadSettings() {
    const std::string f = configPathForReading();
    Settings s;
    auto& r = s.report;
    r.reportFileInfo = readProfileInt(f, "PrintReportSet", "FileInfo", 1);
    r.reportTraceInfo = readProfileInt(f, "PrintReportSet", "TraceInfo", 1);
    r.reportTrace = readProfileInt(f, "PrintReportSet", "Trace", 1);
    r.reportMarker = readProfileInt(f, "PrintReportSet", "Marker", 1);
    r.reportMarkerInfo = readProfileInt(f, "PrintReportSet", "MarkerInfo", 1);
    r.reportGrid = readProfileInt(f, "PrintReportSet", "Gird", 1);
    r.reportEvent = readProfileInt(f, "PrintReportSet", "Event", 1);
    r.reportCompact = readProfileInt(f, "PrintReportSet", "Page4In1", 1);
    s.lengthUnit = readProfileInt(f, "PARA", "LengthUnit", 0);
    s.analysisSwitch = readProfileInt(f, "PARA", "Analysis", 0);
    return s;
}

void writeReportSettings(const ReportFlags& r) {
    // Failures are ignored: the document keeps the new values for the rest of the run.
    const std::string f = configPathForWriting();
    const std::pair<const char*, int32_t> keys[] = {
        {"FileInfo", r.reportFileInfo},     {"TraceInfo", r.reportTraceInfo},
        {"Trace", r.reportTrace},           {"Marker", r.reportMarker},
        {"MarkerInfo", r.reportMarkerInfo}, {"Gird", r.reportGrid},
        {"Event", r.reportEvent},           {"Page4In1", r.reportCompact},
    };
    for (const auto& [key, value] : keys) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        writeProfileString(f, "PrintReportSet", key, text);
    }
}

void writeLengthUnit(int32_t lengthUnit) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", lengthUnit);
    writeProfileString(configPathForWriting(), "PARA", "LengthUnit", text);
}

}  // namespace fv
