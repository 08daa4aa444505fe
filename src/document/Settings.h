#pragma once
// The configuration file "quarloConfig.ini": which sections the printed report contains,
// the length unit, and the analysis switch.
//
// Where it lives: in the current directory at the moment of each access, as the
// instruments' own software keeps it. When the current directory has no such file, it is
// read from the per-user folder ($XDG_CONFIG_HOME/Fibrovue, else ~/.config/Fibrovue)
// if one is there; a write goes to the current directory when that can be written,
// otherwise to the per-user folder. So a user who starts the program in a read-only
// folder still keeps the settings.

#include <cstdint>
#include <string>
#include <string_view>

namespace fv {

struct ReportFlags {
    int32_t reportFileInfo = 1;
    int32_t reportTraceInfo = 1;
    int32_t reportTrace = 1;
    int32_t reportMarker = 1;
    int32_t reportMarkerInfo = 1;
    int32_t reportGrid = 1;
    int32_t reportEvent = 1;
    int32_t reportCompact = 1;
};

struct Settings {
    ReportFlags report;
    int32_t lengthUnit = 0;
    int32_t analysisSwitch = 0;
};

inline constexpr const char* kConfigFileName = "quarloConfig.ini";

// Reads one integer as the Windows profile reader does: keys and sections match without
// regard to case, blanks around the value are ignored, leading digits (with an optional
// sign) are the number, a value without digits is 0, a missing file or key the default.
int32_t readProfileInt(const std::string& file, std::string_view section, std::string_view key,
                       int32_t defaultValue);
// Writes one key, keeping every other line of the file; creates section and file when
// absent. Returns false when the file cannot be written.
bool writeProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value);

// The file to read: the current directory's, else the per-user one when that exists.
std::string configPathForReading();
// The file to write: the current directory's when it can be written, else the per-user one.
std::string configPathForWriting();

Settings loadSettings();
void writeReportSettings(const ReportFlags& flags);
void writeLengthUnit(int32_t lengthUnit);

}  // namespace fv
