#pragma once
// The trace records as JSON, every field by its name.

#include "document/TraceRecords.h"
#include "sorfile/bellcorefile.h"

#include <nlohmann/json.hpp>
#include <span>

namespace fv::cli {

using Json = nlohmann::ordered_json;

Json toJson(const TraceParams& p);
Json toJson(const GenParams& g);
Json toJson(const SupParams& s);
Json toJson(const FxdParams& f);
Json toJson(const TraceEvent& e);
Json eventsJson(const TraceSlot& slot);
Json blocksJson(const SorMap& map);
// The checksum stored in the file's Cksum block beside the one our writer's rule gives.
Json checksumJson(const SorMap& map, std::span<const uint8_t> file);

}  // namespace fv::cli
