#pragma once
// Builds trace files byte by byte, so that tests can make any block, well-formed or not.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fv::test {

class Bytes {
public:
    std::vector<uint8_t> data;
    Bytes& i16(int16_t v) { return raw(uint16_t(v), 2); }
    Bytes& u16(uint16_t v) { return raw(v, 2); }
    Bytes& i32(int32_t v) { return raw(uint32_t(v), 4); }
    Bytes& str(const std::string& s) {  // with its zero byte
        data.insert(data.end(), s.begin(), s.end());
        data.push_back(0);
        return *this;
    }
    Bytes& chars(const std::string& s) {  // a fixed field, no terminator
        data.insert(data.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& append(const Bytes& b) {
        data.insert(data.end(), b.data.begin(), b.data.end());
        return *this;
    }

private:
    Bytes& raw(uint32_t v, int n) {
        for (int i = 0; i < n; ++i) data.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
};

struct SorBlockSpec {
    SorBlockSpec(std::string n, Bytes b, std::optional<int32_t> listed = {})
        : name(std::move(n)), body(std::move(b)), listedSize(listed) {}
    std::string name;
    Bytes body;                 // the whole block, its name string included
    std::optional<int32_t> listedSize;  // size written in the map; default the body's size
};

struct SorFile {
    int16_t mapVersion = 200;
    int listedCount = -1;       // block count written in the map; -1 = the real one
    std::vector<SorBlockSpec> blocks;
    std::vector<uint8_t> build() const;
};

// Well-formed blocks with plain values.
struct FxdSpec {
    uint32_t dateTime = 1600000000;
    std::string units = "mt";
    int16_t pulseCount = 1;
    int16_t pulseWidth = 100;
    int32_t dataSpacing = 100000;  // T = 10: one point every 10 units
    int32_t groupIndex = 146800;
    int16_t backscatter = 802;
    uint16_t averagingTime = 1800;
    int32_t acqRangeDistance = 200000;
    uint16_t noiseFloor = 50000, lossThreshold = 50, reflThreshold = 65000, endThreshold = 3000;
};
struct EventSpec {
    int32_t time = 0;
    int16_t attenuation = 0, loss = 0;
    int32_t reflectance = 0;
    std::string code = "0F9999";
    int32_t markers[5] = {};
    std::string comment = " ";
};

SorBlockSpec genBlock(const std::string& cableId = "C1", int16_t wavelengthNm = 1550);
SorBlockSpec supBlock(const std::string& moduleId = "MOD-101");
SorBlockSpec fxdBlock(const FxdSpec& f = {});
SorBlockSpec keyEventsBlock(const std::vector<EventSpec>& events, int listedCount = -1);
// Levels in dB (<= 0) stored with the given scale factor.
SorBlockSpec dataPtsBlock(const std::vector<float>& levels, uint16_t scale = 1000, int32_t listedPoints = -1);
SorBlockSpec dataPtsBlockOf(int points, float startDb = -5.0f, float slopePerPoint = -0.001f);
SorBlockSpec userNameBlock(int32_t version, int32_t markerA, int32_t markerB, int32_t level0Milli,
                           const std::vector<int32_t>& cumulativeMilli);
SorBlockSpec checksumBlock();

// A small valid file: Gen, Sup, Fxd, KeyEvents (start + one event), DataPts, Cksum.
SorFile basicFile(int points = 1000);

}  // namespace fv::test
