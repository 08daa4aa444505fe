#pragma once
// A view of the one document: it registers with the document and rebuilds what it shows
// when told. The hint numbers say what changed.

namespace fv {

enum UpdateHint : int {
    kHintRedraw = 0,
    kHintOffsetDragged = 3000,
    kHintTracesChanged = 3001,  // the set of open traces or the current trace changed
    kHintScrolled = 3002,
    kHintMarkerMoved = 3003,
    kHintEventPicked = 3004,
    kHintEventChanged = 3005,
    kHintLengthUnit = 3006,
    kHintFileInfo = 3007,
};

class DocumentView {
public:
    virtual ~DocumentView() = default;
    virtual void onInitialUpdate() {}
    virtual void onUpdate(DocumentView* sender, int hint) = 0;
};

}  // namespace fv
