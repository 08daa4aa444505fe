#include "TraceJson.h"

#include "GbkText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace fv::cli {
namespace {
// A single-precision value as the shortest decimal that reads back as it (0.2, not
// 0.200000003), and null for a value that is not finite.
Json number(float v) {
    if (!std::isfinite(v)) return nullptr;
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::strtod(std::string(buf, r.ptr).c_str(), nullptr);
}

template <class T, size_t N>
Json array(const T (&values)[N], size_t count = N) {
    Json a = Json::array();
    for (size_t i = 0; i < count && i < N; ++i) a.push_back(values[i]);
    return a;
}
}  // namespace

Json toJson(const TraceParams& p) {
    return Json{{"rangeKm", number(p.rangeKm)},
                {"pulseWidthNs", p.pulseWidthNs},
                {"wavelength", p.wavelength},
                {"backscatterDb", number(p.backscatterDb)},
                {"averagingTimeS", p.averagingTimeS},
                {"dataSpacing", p.dataSpacing},
                {"pointCount", p.pointCount},
                {"reflThresholdDb", number(p.reflThresholdDb)},
                {"lossThresholdDb", number(p.lossThresholdDb)},
                {"endThresholdDb", number(p.endThresholdDb)},
                {"ior", number(p.ior)},
                {"dateTime", p.dateTime},
                {"noiseFloorDb", number(p.noiseFloorDb)},
                {"endToEndLoss", p.endToEndLoss},
                {"endToEndStart", p.endToEndStart},
                {"endToEndEnd", p.endToEndEnd},
                {"orl", p.orl},
                {"orlStart", p.orlStart},
                {"orlEnd", p.orlEnd},
                {"vendorValue", number(p.vendorValue)},
                {"vendorWords", array(p.vendorWords)},
                {"acqOffset", p.acqOffset},
                {"markerA", p.markerA},
                {"markerB", p.markerB}};
}

Json toJson(const GenParams& g) {
    return Json{{"cableId", fieldText(g.cableId)},
                {"fiberId", fieldText(g.fiberId)},
                {"fiberType", g.fiberType},
                {"wavelengthNm", g.wavelengthNm},
                {"origLocation", fieldText(g.origLocation)},
                {"termLocation", fieldText(g.termLocation)},
                {"cableCode", fieldText(g.cableCode)},
                {"userOffset", g.userOffset},
                {"userOffsetDistance", g.userOffsetDistance},
                {"operatorName", fieldText(g.operatorName)},
                {"comment", fieldText(g.comment)}};
}

Json toJson(const SupParams& s) {
    return Json{{"supplier", fieldText(s.supplier)},
                {"mainframeId", fieldText(s.mainframeId)},
                {"mainframeSerial", fieldText(s.mainframeSerial)},
                {"moduleId", fieldText(s.moduleId)},
                {"moduleSerial", fieldText(s.moduleSerial)},
                {"softwareRevision", fieldText(s.softwareRevision)},
                {"other", fieldText(s.other)}};
}

Json toJson(const FxdParams& f) {
    const size_t pulses = size_t(f.pulseCount > 0 ? f.pulseCount : 0);
    return Json{{"dateTime", f.dateTime},
                {"units", fieldText(f.units)},
                {"actualWavelength", f.actualWavelength},
                {"acqOffset", f.acqOffset},
                {"acqOffsetDistance", f.acqOffsetDistance},
                {"pulseCount", f.pulseCount},
                {"pulseWidth", array(f.pulseWidth, pulses)},
                {"dataSpacing", array(f.dataSpacing, pulses)},
                {"pointsPerPulse", array(f.pointsPerPulse, pulses)},
                {"groupIndex", f.groupIndex},
                {"backscatter", f.backscatter},
                {"averages", f.averages},
                {"averagingTime", f.averagingTime},
                {"acqRange", f.acqRange},
                {"acqRangeDistance", f.acqRangeDistance},
                {"frontPanelOffset", f.frontPanelOffset},
                {"noiseFloor", f.noiseFloor},
                {"noiseFloorScale", f.noiseFloorScale},
                {"powerOffset", f.powerOffset},
                {"lossThreshold", f.lossThreshold},
                {"reflThreshold", f.reflThreshold},
                {"endThreshold", f.endThreshold}};
}

Json toJson(const TraceEvent& e) {
    return Json{{"type", e.type},
                {"endFlag", e.endFlag},
                {"number", e.number},
                {"distanceKm", number(e.distanceKm)},
                {"level", number(e.level)},
                {"reflectance", number(e.reflectance)},
                {"loss", number(e.loss)},
                {"attenuation", number(e.attenuation)},
                {"cumulativeLoss", number(e.cumulativeLoss)},
                {"markers", array(e.markers)},
                {"time", e.time},
                {"comment", fieldText(e.comment)},
                {"pointIndex", e.pointIndex},
                {"endIndex", e.endIndex},
                {"runStart", e.runStart},
                {"runEnd", e.runEnd},
                {"runPeak", number(e.runPeak)},
                {"reserved", e.reserved},
                {"runGap", e.runGap},
                {"runWindow", e.runWindow}};
}

Json eventsJson(const TraceSlot& slot) {
    Json a = Json::array();
    for (int i = 0; i < slot.eventCount; ++i) a.push_back(toJson(slot.events[i]));
    return a;
}

Json blocksJson(const SorMap& map) {
    Json a = Json::array();
    for (int i = 0; i < map.count; ++i) {
        const SorBlock& b = map.blocks[i];
        a.push_back(Json{{"name", fieldText(b.name)}, {"version", b.version}, {"size", b.size}, {"offset", b.offset}});
    }
    return a;
}

Json checksumJson(const SorMap& map, std::span<const uint8_t> file) {
    for (int i = 0; i < map.count; ++i) {
        const SorBlock& b = map.blocks[i];
        if (std::string_view(b.name).substr(0, 3) != "Cks") continue;
        const int64_t at = b.offset;
        const int64_t valueAt = at + 6;  // after "Cksum" and its zero byte
        if (at < 0 || valueAt + 2 > int64_t(file.size())) break;
        const uint16_t stored = uint16_t(file[size_t(valueAt)] | (file[size_t(valueAt) + 1] << 8));
        const uint16_t computed = crc16(file.first(size_t(at)));
        return Json{{"stored", stored}, {"computed", computed}, {"matches", stored == computed}};
    }
    return Json{{"stored", nullptr}, {"computed", nullptr}, {"matches", false}};
}

}  // namespace fv::cli
