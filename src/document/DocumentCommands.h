#pragma once
// The commands that act on the document as a whole: opening the files chosen in the open
// dialog, closing, saving, and which commands the document enables. The Qt layer shows the
// dialogs and routes the command ids here; everything else happens in these functions.

#include "document/Prompts.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fv {

class CQUARLODoc;

// Every command id of the menus, the toolbar and the accelerators.
enum CommandId : int {
    kCmdNew = 57600,                    // the framework's new document (Ctrl+N)
    kCmdOpen = 57601,                   // "打开(&O)...", Ctrl+O
    kCmdClose = 57602,                  // "关闭当前文件(&C)"
    kCmdCloseAll = 32780,               // "关闭全部文件"
    kCmdSave = 57603,                   // "保存(&S)", Ctrl+S
    kCmdSaveAs = 57604,                 // "另存为(&A)..."
    kCmdExit = 57665,                   // "退出(&X)"
    kCmdRecentFile = 57616,             // first of the four recent-file entries
    kCmdPrint = 32830,                  // "打印"
    kCmdPrintPreview = 32831,           // "打印预览(&V)"
    kCmdBatchPrint = 32811,             // "批量文件打印"
    kCmdBatchPrintPreview = 32812,      // "批量文件打印预览"
    kCmdReportOptions = 32815,          // "设置打印报告选项"
    kCmdPrintSetup = 57606,             // "打印机设置(&R)..."
    kCmdEditFileInfo = 32808,           // "修改文件信息"
    kCmdBatchEditFileInfo = 32810,      // "批量文件修改"
    kCmdZoomOut = 32784,                // "缩小轨迹"
    kCmdShowWholeTrace = 32771,         // "显示整个轨迹"
    kCmdClearCurrentOffset = 32806,     // "清除当前文件垂直偏移"
    kCmdClearAllOffsets = 32853,        // "清除全部文件垂直偏移"
    kCmdLengthUnit = 32803,             // "长度单位"
    kCmdTile = 32813,                   // "平铺(&T)"
    kCmdAbout = 57664,                  // "关于Fibrovue(&A)..."
    kCmdLockMarkers = 32781,            // lock markers A and B together
    kCmdInsertionLossMarkers = 32772,   // four-point auxiliary markers
    kCmdReflectanceMarkers = 32773,     // three-point auxiliary markers
    kCmdAddNonReflectiveEvent = 32792,  // "添加非反射事件"
    kCmdAddReflectiveEvent = 32793,     // "添加反射事件"
    kCmdScanTrace = 32795,              // the event detector's scan
    kCmdThreePointDone = 32797,         // "3PT ok refl"
    kCmdFourPointDone = 32798,          // "4PT SET OK"
    kCmdFourPointCancel = 32799,        // "SET 4PT CANCEL"
    kCmdToolbarSpare1 = 32868,          // toolbar buttons without a handler
    kCmdToolbarSpare2 = 32869,
    kCmdToolbarSpare3 = 32870,
    kCmdToolbarSpare4 = 32871,
    kCmdFilePrint = 57607,              // the framework's print command (Ctrl+P)
    kCmdToolBar = 59392,                // show or hide the toolbar
    kCmdStatusBar = 59393,              // show or hide the status bar
    kCmdUpload = 32807,                 // "上传文件"
    kCmdCascade = 57650,                // the framework's cascade; the document swallows it
    kCmdArrangeIcons = 57649,           // the framework's arrange icons; swallowed too
};

inline constexpr int kRecentFileEntries = 4;
// The open collection's limits: names per selection and characters per file name.
inline constexpr size_t kMaxSelectedFiles = 1000;
inline constexpr size_t kMaxSelectedNameChars = 319;

// The filter of the open and save dialogs.
std::vector<FileFilter> traceFileFilters();

// Opens one file the way the application does (its openDocumentFile).
using OpenFn = std::function<void(const std::string& path)>;

// What follows a confirmed open dialog: the names are sorted in byte order and each is
// opened from the folder of the last selected path. Over-long names are skipped with one
// message listing them; past the first 1000 names (in sorted order) nothing is opened and
// one message says so.
void openFiles(CQUARLODoc& doc, const std::vector<std::string>& selectedPaths, const OpenFn& open);
// The open command: asks the prompts for the files, then openFiles.
void openFilesCommand(CQUARLODoc& doc, const OpenFn& open);

// Closes the current trace; a modified one is offered for saving first (Yes / No / Cancel).
// false when the user cancelled or saving failed, and nothing was closed.
bool closeCurrent(CQUARLODoc& doc);
// Closes every trace after offering each modified one for saving.
bool closeAll(CQUARLODoc& doc);
// Offers every modified open trace for saving, as before quitting; false = stay.
bool confirmDiscardAll(CQUARLODoc& doc);

// Writes the current trace back to its file. A trace the reader had to clip asks first;
// a failed write is reported and leaves the old file. true when the file was written.
bool save(CQUARLODoc& doc);
// The name save-as writes: ".sor" appended unless the name already ends in ".sor"/".SOR".
std::string saveAsName(const std::string& chosenPath);
// Writes the current trace under a new name (an empty name is a cancelled dialog). An
// existing file is only replaced after the overwrite question; on success the trace is
// bound to the new name, on failure it keeps its old one.
bool saveAs(CQUARLODoc& doc, const std::string& chosenPath);
// The save-as command: asks the prompts for the name, then saveAs.
bool saveAsCommand(CQUARLODoc& doc);

// The enable rule the document keeps for a command, or nothing when the document has no
// rule for it (the Qt layer then asks the next handler in the route).
std::optional<bool> commandEnabled(const CQUARLODoc& doc, int commandId);

// The path that start-up hands to openDocumentFile, from all arguments joined by single
// blanks: "space" opens the windows without a file.
std::string startupPathFromCommandLine(std::string raw);

}  // namespace fv
