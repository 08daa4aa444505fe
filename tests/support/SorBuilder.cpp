#include "support/SorBuilder.h"

#include <cmath>

namespace fv::test {

std::vector<uint8_t> SorFile::build() const {
    Bytes map;
    map.str("Map").i16(mapVersion);
    size_t size = 4 + 2 + 4 + 2;
    for (const auto& b : blocks) size += b.name.size() + 1 + 2 + 4;
    map.i32(int32_t(size)).i16(int16_t(listedCount >= 0 ? listedCount : int(blocks.size()) + 1));
    for (const auto& b : blocks)
        map.str(b.name).i16(200).i32(b.listedSize.value_or(int32_t(b.body.data.size())));
    for (const auto& b : blocks) map.append(b.body);
    return map.data;
}

SorBlockSpec genBlock(const std::string& cableId, int16_t wavelengthNm) {
    Bytes b;
    b.str("GenParams").chars("CH").str(cableId).str("F1").i16(652).i16(wavelengthNm);
    b.str("Origin").str("Terminus").str("CODE").chars("BC").i32(0).i32(0).str("Op").str("Comment");
    return {"GenParams", b};
}

SorBlockSpec supBlock(const std::string& moduleId) {
    Bytes b;
    b.str("SupParams").str("Maker").str("MF").str("MF-SN").str(moduleId).str("MOD-SN").str("1.0").str("");
    return {"SupParams", b};
}

SorBlockSpec fxdBlock(const FxdSpec& f) {
    Bytes b;
    b.str("FxdParams").i32(int32_t(f.dateTime)).chars(f.units).i16(15500).i32(0).i32(0).i16(f.pulseCount);
    for (int i = 0; i < f.pulseCount; ++i) b.i16(int16_t(f.pulseWidth + i));
    for (int i = 0; i < f.pulseCount; ++i) b.i32(f.dataSpacing);
    for (int i = 0; i < f.pulseCount; ++i) b.i32(1000);
    b.i32(f.groupIndex).i16(f.backscatter).i32(1024).u16(f.averagingTime).i32(0).i32(f.acqRangeDistance);
    b.i32(0).u16(f.noiseFloor).i16(0).u16(0).u16(f.lossThreshold).u16(f.reflThreshold).u16(f.endThreshold);
    b.chars("ST").i32(0).i32(0).i32(0).i32(0);
    return {"FxdParams", b};
}

SorBlockSpec keyEventsBlock(const std::vector<EventSpec>& events, int listedCount) {
    Bytes b;
    b.str("KeyEvents").i16(int16_t(listedCount >= 0 ? listedCount : int(events.size())));
    int number = 1;
    for (const auto& e : events) {
        b.i16(int16_t(number++)).i32(e.time).i16(e.attenuation).i16(e.loss).i32(e.reflectance);
        b.chars(e.code).chars("LS");
        for (int32_t m : e.markers) b.i32(m);
        b.str(e.comment);
    }
    b.i32(0).i32(0).i32(0).u16(0).i32(0).i32(0);
    return {"KeyEvents", b};
}

SorBlockSpec dataPtsBlock(const std::vector<float>& levels, uint16_t scale, int32_t listedPoints) {
    Bytes b;
    const int32_t n = listedPoints >= 0 ? listedPoints : int32_t(levels.size());
    b.str("DataPts").i32(n).i16(1).i32(n).u16(scale);
    for (float l : levels) b.u16(uint16_t(std::lround(-l * scale)));
    return {"DataPts", b};
}

SorBlockSpec dataPtsBlockOf(int points, float startDb, float slopePerPoint) {
    std::vector<float> levels(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i) levels[size_t(i)] = std::max(startDb + slopePerPoint * i, -60.0f);
    return dataPtsBlock(levels);
}

SorBlockSpec userNameBlock(int32_t version, int32_t markerA, int32_t markerB, int32_t level0Milli,
                           const std::vector<int32_t>& cumulativeMilli) {
    Bytes b;
    b.str("UserName").i32(version);
    if (version > 19999) b.i32(1060232947).i16(7297);
    if (version >= 200) b.i32(5204007).i32(3000);
    if (version > 200) {
        for (int i = 0; i < 6; ++i) b.i32(10 + i);
        b.i32(0).i32(markerA).i32(markerB);
        for (int i = 0; i < 23; ++i) b.i32(0);
    }
    if (version >= 202) {
        b.i32(int32_t(cumulativeMilli.size())).i32(level0Milli);
        for (int i = 0; i < 200; ++i) b.i32(i < int(cumulativeMilli.size()) ? cumulativeMilli[size_t(i)] : 0);
    }
    return {"UserName", b};
}

SorBlockSpec checksumBlock() {
    Bytes b;
    b.str("Cksum").u16(0);
    return {"Cksum", b};
}

SorFile basicFile(int points) {
    SorFile f;
    EventSpec start;
    start.code = "1F9999";
    start.markers[2] = 20;
    start.markers[3] = 2000;
    EventSpec splice;
    splice.time = 5000;  // point 500
    splice.loss = 150;
    splice.markers[0] = 3000;
    splice.markers[1] = 5000;
    splice.markers[2] = 5100;
    splice.markers[3] = 8000;
    f.blocks = {genBlock(), supBlock(), fxdBlock(), keyEventsBlock({start, splice}), dataPtsBlockOf(points),
                checksumBlock()};
    return f;
}

}  // namespace fv::test
