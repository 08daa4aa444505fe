// Arbitrary bytes into the trace reader; whatever decodes is written back, read again and
// has its event values recomputed, as saving and editing would.
#include "analysis/EventValues.h"
#include "sorfile/bellcorefile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto slot = std::make_unique<fv::TraceSlot>();
    static std::vector<uint8_t> buffer(fv::kFileBufferSize);
    if (!fv::decodeTraceFile(std::span<const uint8_t>(data, size), *slot)) return 0;
    fv::RecomputeEvents(*slot);
    const size_t written = fv::encodeTraceFile(buffer, *slot, 0);
    if (written == 0) return 0;
    if (!fv::decodeTraceFile(std::span<const uint8_t>(buffer.data(), written), *slot)) __builtin_trap();
    return 0;
}
