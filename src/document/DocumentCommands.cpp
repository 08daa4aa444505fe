#include "document/DocumentCommands.h"

#include "document/Utf8Text.h"

#include "document/CQUARLODoc.h"
#include "document/DocumentView.h"
#include "document/TextTable.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace fv {

namespace {

constexpr size_t kMaxCommandLineChars = 499;
constexpr size_t kListedLongNames = 10;  // more would not fit a message box

// Anything at that name, a dangling link included, would be replaced by the write.
bool somethingExistsAt(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

enum class WriteOutcome { Saved, Cancelled, Failed };

// Writes one slot to `path`, asking first when the reader could not keep all of its file
// and reporting a failed write. The markers belong to the current trace only.
WriteOutcome writeSlot(CQUARLODoc& doc, TraceSlot& slot, const std::string& path) {
    Prompts& prompts = doc.prompts();
    if (slot.clipped != kClipNone &&
        prompts.message(textOf(151), path, PromptButtons::OkCancel) != PromptAnswer::Ok)
        return WriteOutcome::Cancelled;
    if (doc.openCount > 0 && &slot == &doc.currentTrace()) {
        slot.params.markerA = doc.markerA;
        slot.params.markerB = doc.markerB;
    }
    std::string error;
    if (!doc.saveTraceFile(slot, path, error)) {
        prompts.message(error, textOf(150), PromptButtons::Ok);
        return WriteOutcome::Failed;
    }
    // The file now holds exactly what the slot holds; nothing more can be lost by saving.
    slot.clipped = kClipNone;
    return WriteOutcome::Saved;
}

// true when the slot may be discarded: it is unchanged, saved now, or the user said No.
bool offerToSave(CQUARLODoc& doc, TraceSlot& slot) {
    if (!slot.inUse || !slot.modified) return true;
    switch (doc.prompts().message(textOf(149), slot.path, PromptButtons::YesNoCancel)) {
    case PromptAnswer::No: return true;
    case PromptAnswer::Yes: return writeSlot(doc, slot, slot.path) == WriteOutcome::Saved;
    default: return false;
    }
}

}  // namespace

std::vector<FileFilter> traceFileFilters() { return {{"BellCore File(*.sor)", "*.sor"}}; }

void openFiles(CQUARLODoc& doc, const std::vector<std::string>& selectedPaths, const OpenFn& open) {
    if (selectedPaths.empty()) return;
    const std::string& last = selectedPaths.back();
    const size_t lastSlash = last.rfind('/');
    // Kept with its slash, so that a file in the root folder stays "/name".
    const std::string folder = lastSlash == std::string::npos ? std::string() : last.substr(0, lastSlash + 1);

    std::vector<std::string> names;
    std::vector<std::string> tooLong;
    names.reserve(selectedPaths.size());
    for (const std::string& p : selectedPaths) {
        const size_t slash = p.rfind('/');
        std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
        (utf8Length(name) > kMaxSelectedNameChars ? tooLong : names).push_back(std::move(name));
    }
    if (!tooLong.empty()) {
        std::string text = textOf(153);
        for (size_t i = 0; i < tooLong.size() && i < kListedLongNames; ++i) text += "\n" + tooLong[i];
        if (tooLong.size() > kListedLongNames) text += "\n...";
        doc.prompts().message(text, textOf(137), PromptButtons::Ok);
    }

    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return std::strcmp(a.c_str(), b.c_str()) < 0; });
    if (names.size() > kMaxSelectedFiles) {
        doc.prompts().message(textOf(152), textOf(137), PromptButtons::Ok);
        names.resize(kMaxSelectedFiles);
    }
    for (const std::string& name : names) open(folder + name);
}

void openFilesCommand(CQUARLODoc& doc, const OpenFn& open) {
    openFiles(doc, doc.prompts().chooseOpenFiles("", traceFileFilters(), true), open);
}

bool confirmDiscardAll(CQUARLODoc& doc) {
    for (TraceSlot& s : doc.slots)
        if (!offerToSave(doc, s)) return false;
    return true;
}

bool closeCurrent(CQUARLODoc& doc) {
    if (doc.openCount == 0) return true;
    TraceSlot& closing = doc.currentTrace();
    if (!offerToSave(doc, closing)) return false;

    closing.inUse = 0;
    --doc.openCount;
    doc.markerSetSource = 0;  // an event set-up on the closed trace cannot go on
    if (doc.openCount == 0) {
        doc.currentSlot = 0;
        doc.graphCaption = textOf(6);
    } else {
        int next = 0;
        while (!doc.slots[next].inUse) ++next;
        // The markers must stay on the new current trace; the closed slot still holds its
        // points for the mapping.
        doc.MapMarkersToTrace(next);
        doc.currentSlot = next;
    }
    doc.updateCaptions();
    doc.updateAllViews(nullptr, kHintTracesChanged);
    return true;
}

bool closeAll(CQUARLODoc& doc) {
    if (!confirmDiscardAll(doc)) return false;
    doc.openCount = 0;
    for (TraceSlot& s : doc.slots) s.inUse = 0;
    doc.markerSetSource = 0;
    doc.updateCaptions();
    doc.updateAllViews(nullptr, kHintTracesChanged);
    return true;
}

bool save(CQUARLODoc& doc) {
    if (doc.openCount == 0) return false;
    TraceSlot& s = doc.currentTrace();
    return writeSlot(doc, s, s.path) == WriteOutcome::Saved;
}

std::string saveAsName(const std::string& chosenPath) {
    if (chosenPath.size() < 5) return chosenPath + ".sor";
    const std::string_view tail = std::string_view(chosenPath).substr(chosenPath.size() - 4);
    if (tail == ".sor" || tail == ".SOR") return chosenPath;
    return chosenPath + ".sor";
}

bool saveAs(CQUARLODoc& doc, const std::string& chosenPath) {
    if (chosenPath.empty() || doc.openCount == 0) return false;
    const std::string name = saveAsName(chosenPath);
    if (somethingExistsAt(name) &&
        doc.prompts().message(textOf(142), name, PromptButtons::OkCancel) != PromptAnswer::Ok)
        return false;
    TraceSlot& s = doc.currentTrace();
    if (writeSlot(doc, s, name) != WriteOutcome::Saved) return false;
    s.path = name;
    doc.updateAllViews(nullptr, kHintTracesChanged);
    doc.updateCaptions();
    return true;
}

bool saveAsCommand(CQUARLODoc& doc) {
    return saveAs(doc, doc.prompts().chooseSavePath(textOf(143), "", traceFileFilters()));
}

std::optional<bool> commandEnabled(const CQUARLODoc& doc, int commandId) {
    const bool open = doc.openCount > 0;
    switch (commandId) {
    case kCmdClose:
    case kCmdCloseAll:
    case kCmdSave:
    case kCmdSaveAs:
    case kCmdEditFileInfo:
    case kCmdAddNonReflectiveEvent:
    case kCmdAddReflectiveEvent: return open;
    case kCmdZoomOut:
    case kCmdShowWholeTrace: return open && (doc.zoomedH != 0 || doc.zoomedV != 0);
    default: return std::nullopt;
    }
}

std::string startupPathFromCommandLine(std::string raw) {
    std::string path(utf8Prefix(raw, kMaxCommandLineChars));
    // One or two characters are passed on as they are; the open step refuses them.
    if (path.size() > 2) cleanTracePath(std::string(path), path);
    return path.empty() ? std::string("space") : path;
}

}  // namespace fv
