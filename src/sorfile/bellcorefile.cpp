#include "sorfile/bellcorefile.h"

#include "analysis/EventValues.h"
#include "sorfile/ByteCursor.h"
#include "sorfile/RangeFormat.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace fv {
namespace {

// ---------------------------------------------------------------------------------------
// Reading

// State shared by the block decoders of one file: what later steps need from earlier
// blocks, and what had to be clipped.
struct DecodeState {
    TraceSlot& slot;
    bool sawDataPoints = false;
    uint16_t scale = 0;
    uint32_t clipped = kClipNone;
};

template <size_t N>
void readString(ByteReader& r, char (&field)[N], DecodeState& st) {
    bool clipped = false;
    r.readString(field, N, clipped);
    if (clipped) st.clipped |= kClipStrings;
}

void decodeGenParams(ByteReader& r, DecodeState& st) {
    GenParams& g = st.slot.gen;
    r.skipString();  // block name
    r.skip(2);       // language code
    readString(r, g.cableId, st);
    readString(r, g.fiberId, st);
    r.readI16(g.fiberType);
    r.readI16(g.wavelengthNm);
    readString(r, g.origLocation, st);
    readString(r, g.termLocation, st);
    readString(r, g.cableCode, st);
    r.skip(2);  // current data flag
    r.readI32(g.userOffset);
    r.readI32(g.userOffsetDistance);
    readString(r, g.operatorName, st);
    readString(r, g.comment, st);
}

void decodeSupParams(ByteReader& r, DecodeState& st) {
    SupParams& s = st.slot.sup;
    r.skipString();
    readString(r, s.supplier, st);
    readString(r, s.mainframeId, st);
    readString(r, s.mainframeSerial, st);
    readString(r, s.moduleId, st);
    readString(r, s.moduleSerial, st);
    readString(r, s.softwareRevision, st);
    readString(r, s.other, st);
}

// Reads `count` values of which the first kMaxPulseWidths are kept.
template <class T>
void readPulseArray(ByteReader& r, int count, T* dst) {
    for (int i = 0; i < count; ++i) {
        T v{};
        if constexpr (sizeof(T) == 2) r.readI16(v); else r.readI32(v);
        if (i < kMaxPulseWidths) dst[i] = v;
    }
}

void decodeFxdParams(ByteReader& r, DecodeState& st) {
    FxdParams& f = st.slot.fxd;
    r.skipString();
    r.readU32(f.dateTime);
    r.readFixed(f.units, 2);
    r.readI16(f.actualWavelength);
    r.readI32(f.acqOffset);
    r.readI32(f.acqOffsetDistance);
    int16_t n = 0;
    r.readI16(n);
    int count = std::max<int>(n, 0);
    if (count > kMaxPulseWidths) st.clipped |= kClipPulseWidths;
    f.pulseCount = int16_t(std::min(count, kMaxPulseWidths));
    readPulseArray(r, count, f.pulseWidth);
    readPulseArray(r, count, f.dataSpacing);
    readPulseArray(r, count, f.pointsPerPulse);
    r.readI32(f.groupIndex);
    r.readI16(f.backscatter);
    r.readI32(f.averages);
    uint16_t tenths = 0;
    if (r.readU16(tenths)) f.averagingTime = uint16_t(tenths / 10);
    r.readI32(f.acqRange);
    r.readI32(f.acqRangeDistance);
    r.skip(4);  // front panel offset
    r.readU16(f.noiseFloor);
    r.skip(2);  // noise floor scale factor
    r.skip(2);  // power offset of the first point
    r.readU16(f.lossThreshold);
    r.readU16(f.reflThreshold);
    r.readU16(f.endThreshold);
    // trace type and window coordinates are not kept
    st.slot.params.acqOffset = f.acqOffset;
}

// Event codes: '0' non-reflective, '1' reflective (the first event is the launch), '2'
// saturated reflective, which we show as reflective too; any other first character is
// taken as non-reflective, the kind that claims nothing about a reflection.
int32_t eventTypeOf(char code, bool first) {
    if (code == '1' || code == '2') return first ? kEventStart : kEventReflective;
    return kEventNonReflective;
}

void decodeKeyEvents(ByteReader& r, DecodeState& st) {
    TraceSlot& s = st.slot;
    TraceParams& p = s.params;
    r.skipString();
    int16_t n = 0;
    r.readI16(n);
    const int listed = std::max<int>(n, 0);
    if (listed > kMaxEvents) st.clipped |= kClipEvents;
    int held = 0;
    for (int i = 0; i < listed && !r.failed(); ++i) {
        TraceEvent scratch;
        TraceEvent& e = i < kMaxEvents ? s.events[i] : scratch;
        int16_t number = 0, att = 0, loss = 0;
        int32_t refl = 0;
        char code[6] = {}, technique[2];
        r.readI16(number);
        r.readI32(e.time);
        r.readI16(att);
        r.readI16(loss);
        r.readI32(refl);
        r.readFixed(code, 6);
        r.readFixed(technique, 2);
        // Marker locations stay in the file's unit until the point spacing is known.
        for (int32_t& m : e.markers) r.readI32(m);
        bool clipped = false;
        r.readString(e.comment, sizeof e.comment, clipped);
        if (clipped && !r.failed()) st.clipped |= kClipStrings;
        if (r.failed()) break;
        e.number = number;
        e.attenuation = float(att) / 1000.0f;
        e.loss = float(loss) / 1000.0f;
        e.reflectance = float(refl) / 1000.0f;
        e.type = eventTypeOf(code[0], i == 0);
        e.endFlag = code[1] == 'E' ? kEndFlagFibreEnd : 0;
        if (i < kMaxEvents) held = i + 1;
    }
    if (r.failed()) st.clipped |= kClipTruncated;  // an event cut short is not kept
    s.eventCount = held;
    uint16_t orl = 0;
    r.readI32(p.endToEndLoss);
    r.readI32(p.endToEndStart);
    r.readI32(p.endToEndEnd);
    if (r.readU16(orl)) p.orl = orl;
    r.readI32(p.orlStart);
    r.readI32(p.orlEnd);
}

void decodeDataPoints(ByteReader& r, DecodeState& st, const uint8_t* file) {
    TraceSlot& s = st.slot;
    r.skipString();
    int32_t n = 0, m = 0;
    int16_t groups = 0;
    uint16_t scale = 0;
    r.readI32(n);
    r.readI16(groups);  // only the first scale-factor group is read
    r.readI32(m);
    r.readU16(scale);
    if (r.failed()) {
        st.clipped |= kClipTruncated;
        return;
    }
    st.sawDataPoints = true;
    st.scale = scale;
    int64_t wanted = std::min<int64_t>(std::max(n, 0), std::max(m, 0));
    if (wanted > kMaxPoints) st.clipped |= kClipPoints;
    if (n != m) st.clipped |= kClipPoints;
    int64_t held = std::min<int64_t>(wanted, kMaxPoints);
    const int64_t available = int64_t(r.remaining() / 2);
    if (held > available) {
        held = available;
        st.clipped |= kClipTruncated;
    }
    const uint8_t* p = file + r.position();
    r.skip(size_t(held) * 2);
    if (scale != 0) {
        const float sf = float(scale);
        for (int64_t i = 0; i < held; ++i) {
            const uint16_t v = uint16_t(p[2 * i] | (p[2 * i + 1] << 8));
            s.level[i] = -float(v) / sf;
        }
    }
    const int32_t count = int32_t(held);
    s.pointCount = count;
    s.params.pointCount = count;
    s.params.markerA = count / 3;
    s.params.markerB = 2 * count / 3;
    s.vendor.v[10] = s.params.markerA;
    s.vendor.v[11] = s.params.markerB;
}

void decodeUserName(ByteReader& r, DecodeState& st, size_t blockEnd) {
    TraceSlot& s = st.slot;
    int32_t* v = s.vendor.v;
    std::fill(v, v + kVendorEntries, 0);
    v[10] = v[11] = -1;
    r.skipString();
    int32_t version = 0;
    if (!r.readI32(version)) return;
    v[0] = version;
    if (version > 19999) r.skip(6);
    if (version >= 200) {
        r.readI32(v[1]);
        r.readI32(v[2]);
    }
    if (version > 200 && blockEnd - r.position() >= 128 && !r.failed()) {
        for (int i = 0; i < 6; ++i) {
            r.readI32(v[3 + i]);
            s.params.vendorWords[i] = v[3 + i];
        }
        r.readI32(v[9]);
        int32_t a = 0, b = 0;
        r.readI32(a);
        r.readI32(b);
        if (version > 202 && !r.failed()) {
            v[10] = a;
            v[11] = b;
            s.params.markerA = a;
            s.params.markerB = b;
        }
        r.skip(23 * 4);
    }
    if (version >= 202) {
        r.readI32(v[35]);
        r.readI32(v[36]);
        for (int i = 0; i < kVendorEventValues; ++i) r.readI32(v[37 + i]);
    }
    if (r.failed()) st.clipped |= kClipTruncated;
}

bool blockIs(const SorBlock& b, const char* prefix) { return std::strncmp(b.name, prefix, 3) == 0; }

void decodeBlock(const SorBlock& b, std::span<const uint8_t> file, DecodeState& st) {
    const size_t len = file.size();
    if (b.offset >= int64_t(len)) {
        st.clipped |= kClipBlocks;  // listed, but the file ends before it
        return;
    }
    size_t end = size_t(std::min<int64_t>(b.offset + b.size, int64_t(len)));
    if (b.offset + b.size > int64_t(len)) st.clipped |= kClipBlocks;
    ByteReader r(file.data(), size_t(b.offset), end);
    if (blockIs(b, "Gen")) decodeGenParams(r, st);
    else if (blockIs(b, "Sup")) decodeSupParams(r, st);
    else if (blockIs(b, "Fxd")) decodeFxdParams(r, st);
    else if (blockIs(b, "Key")) decodeKeyEvents(r, st);
    else if (blockIs(b, "Dat")) decodeDataPoints(r, st, file.data());
    else if (blockIs(b, "Use")) decodeUserName(r, st, end);
    else return;  // landmarks carry nothing we keep; the checksum is not verified
    if (r.failed()) st.clipped |= kClipTruncated;
}

bool decodeMapInto(std::span<const uint8_t> file, SorMap& map, uint32_t& clipped) {
    map = SorMap{};
    if (file.size() < 4 || std::memcmp(file.data(), "Map", 4) != 0) return false;
    ByteReader r(file.data(), 4, file.size());
    if (!r.readI16(map.version) || map.version != 200) return false;
    if (!r.readI32(map.size) || !r.readI16(map.listedCount)) return false;
    if (map.size < 12 || map.size > int64_t(file.size())) {
        clipped |= kClipBlocks;  // no block can be located
        return true;
    }
    const int listed = std::max<int>(map.listedCount - 1, 0);
    if (listed > kMaxMapBlocks - 1) clipped |= kClipBlocks;
    int64_t offset = map.size;
    for (int i = 0; i < listed && map.count < kMaxMapBlocks - 1; ++i) {
        SorBlock b;
        bool nameClipped = false;
        r.readString(b.name, sizeof b.name, nameClipped);
        r.readI16(b.version);
        r.readI32(b.size);
        if (r.failed()) {
            clipped |= kClipBlocks;
            break;
        }
        if (b.size < 0) {
            clipped |= kClipBlocks;  // later blocks cannot be located
            break;
        }
        b.offset = offset;
        offset += b.size;
        map.blocks[map.count++] = b;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Writing

template <class T>
T saturate(int64_t v) {
    return T(std::clamp<int64_t>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// Rounds to the nearest integer; non-finite gives 0, values beyond int64 saturate first.
int64_t roundToInt(double x) {
    if (!std::isfinite(x)) return 0;
    x = std::clamp(x, -9.0e18, 9.0e18);
    return std::llround(x);
}
int64_t truncToInt(double x) {
    if (!std::isfinite(x)) return 0;
    return int64_t(std::clamp(x, -9.0e18, 9.0e18));
}

void copyUnits(char (&units)[2], const char* text) {
    units[0] = text[0];
    units[1] = text[1];
}

// Integers that came from the file are rounded, not truncated, so that an unchanged
// trace writes back what it read.
void rebuildFxd(TraceSlot& s) {
    const TraceParams& p = s.params;
    FxdParams& f = s.fxd;
    f = FxdParams{};
    f.dateTime = p.dateTime;
    copyUnits(f.units, "mt");
    f.actualWavelength = saturate<int16_t>(p.wavelength);
    f.acqOffset = p.acqOffset;
    f.acqOffsetDistance = 0;
    f.pulseCount = 1;
    f.pulseWidth[0] = saturate<int16_t>(p.pulseWidthNs);
    f.dataSpacing[0] = p.dataSpacing;
    f.pointsPerPulse[0] = p.pointCount;
    f.groupIndex = saturate<int32_t>(roundToInt(double(p.ior) * 100000.0));
    f.backscatter = saturate<int16_t>(roundToInt(double(p.backscatterDb) * 10.0));
    f.averages = 512;
    f.averagingTime = saturate<uint16_t>(p.averagingTimeS);
    f.acqRange = saturate<int32_t>(truncToInt(p.dataSpacing / 10000.0 * p.pointCount));
    f.acqRangeDistance = saturate<int32_t>(roundToInt(double(p.rangeKm) * 10000.0));
    f.noiseFloor = saturate<uint16_t>(roundToInt(std::fabs(double(p.noiseFloorDb)) * 1000.0));
    f.lossThreshold = saturate<uint16_t>(roundToInt(std::fabs(double(p.lossThresholdDb)) * 1000.0));
    f.reflThreshold = saturate<uint16_t>(roundToInt(std::fabs(double(p.reflThresholdDb)) * 1000.0));
    f.endThreshold = saturate<uint16_t>(roundToInt(std::fabs(double(p.endThresholdDb)) * 1000.0));
}

void prepareVendor(TraceSlot& s) {
    int32_t* v = s.vendor.v;
    const int count = std::clamp(s.eventCount, 0, kMaxEvents);
    v[35] = count;
    v[36] = count > 0 ? toMilli(s.events[0].level) : 0;
    std::fill(v + 37, v + kVendorEntries, 0);
    for (int i = 0; i < count && i < kVendorEventValues; ++i) v[37 + i] = toMilli(s.events[i].cumulativeLoss);
}

void encodeGenParams(ByteWriter& w, const GenParams& g) {
    w.string("GenParams");
    w.fixed("EN", 2);
    w.string(g.cableId);
    w.string(g.fiberId);
    w.i16(g.fiberType);
    w.i16(g.wavelengthNm);
    w.string(g.origLocation);
    w.string(g.termLocation);
    w.string(g.cableCode);
    w.fixed("BC", 2);
    w.i32(g.userOffset);
    w.i32(g.userOffsetDistance);
    w.string(g.operatorName);
    w.string(g.comment);
}

void encodeSupParams(ByteWriter& w, const SupParams& s) {
    w.string("SupParams");
    for (const char* field : {s.supplier, s.mainframeId, s.mainframeSerial, s.moduleId, s.moduleSerial,
                              s.softwareRevision, s.other})
        w.string(field);
}

void encodeFxdParams(ByteWriter& w, const FxdParams& f) {
    w.string("FxdParams");
    w.u32(f.dateTime);
    w.fixed(std::string_view(f.units, 2), 2);
    w.i16(f.actualWavelength);
    w.i32(f.acqOffset);
    w.i32(f.acqOffsetDistance);
    w.i16(f.pulseCount);
    w.i16(f.pulseWidth[0]);
    w.i32(f.dataSpacing[0]);
    w.i32(f.pointsPerPulse[0]);
    w.i32(f.groupIndex);
    w.i16(f.backscatter);
    w.i32(f.averages);
    w.u16(saturate<uint16_t>(int64_t(f.averagingTime) * 10));
    w.i32(f.acqRange);
    w.i32(f.acqRangeDistance);
    w.i32(f.frontPanelOffset);
    w.u16(f.noiseFloor);
    w.i16(f.noiseFloorScale);
    w.u16(f.powerOffset);
    w.u16(f.lossThreshold);
    w.u16(f.reflThreshold);
    w.u16(f.endThreshold);
    w.fixed("ST", 2);
    for (int i = 0; i < 4; ++i) w.i32(0);
}

void encodeKeyEvents(ByteWriter& w, const TraceSlot& s) {
    const int count = std::clamp(s.eventCount, 0, kMaxEvents);
    const float T = pointTime(s.params.dataSpacing);
    w.string("KeyEvents");
    w.i16(int16_t(count));
    for (int i = 0; i < count; ++i) {
        const TraceEvent& e = s.events[i];
        w.i16(int16_t(i + 1));
        w.i32(e.time);
        w.i16(saturate<int16_t>(toMilli(e.attenuation)));
        w.i16(saturate<int16_t>(toMilli(e.loss)));
        w.i32(toMilli(e.reflectance));
        char code[7] = "009999";
        code[0] = e.type == kEventNonReflective ? '0' : '1';
        code[1] = e.endFlag == kEndFlagFibreEnd ? 'E' : 'F';
        w.fixed(code, 6);
        w.fixed("LS", 2);
        for (int32_t m : e.markers) w.i32(pointToFileTime(m, T));
        w.string(" ");
    }
    w.i32(s.params.endToEndLoss);
    w.i32(s.params.endToEndStart);
    w.i32(s.params.endToEndEnd);
    w.u16(0);
    w.i32(0);
    w.i32(0);
}

void encodeLnkParams(ByteWriter& w) {
    w.string("LnkParams");
    w.i16(1);        // one landmark
    w.i16(1);        // its number
    w.fixed("", 2);  // code
    w.i32(0);        // location
    w.i16(1);        // related event
    w.i32(0);        // longitude
    w.i32(0);        // latitude
    w.i16(1);        // fibre correction factor
    w.i32(0);        // sheath marker entering
    w.i32(0);        // sheath marker leaving
    w.fixed("FT", 2);
    w.i16(88);       // mode field diameter
    w.string("");
}

// |level| in 0.001 dB, rounded half up by the next decimal (toMilli of a non-negative
// value) and saturated to the 16-bit field; NaN gives 0. Written without branches so that
// the data points, the bulk of a file, encode a vector at a time.
inline uint16_t levelToMilli(float level) {
    // On the bits of |level|: positive floats order like integers, so the clamp and the
    // test for infinity and NaN need no floating-point comparison (which would keep the
    // compiler from vectorising the loop).
    constexpr uint32_t kLargest = std::bit_cast<uint32_t>(65.5354f);  // the largest that reads 65535
    constexpr uint32_t kInfinity = 0x7f800000u;
    uint32_t b = std::bit_cast<uint32_t>(level) & 0x7fffffffu;
    b &= 0u - uint32_t(b < kInfinity);  // infinity and NaN write 0
    b = std::min(b, kLargest);
    const float t = float(int32_t(std::bit_cast<float>(b) * 10000.0f));
    // (t + 5) / 10 in whole numbers: 0.1f lies slightly above a tenth, so a multiple of ten
    // never falls short of its quotient, and the excess stays far below one.
    return uint16_t(int32_t((t + 5.0f) * 0.1f));
}

// The data points' bytes. The output is bytes, which may alias anything; saying that it does
// not lets the loop run a vector at a time.
void levelsToMilli(const float* __restrict level, uint8_t* __restrict out, int n) {
    for (int i = 0; i < n; ++i) {
        const uint16_t v = levelToMilli(level[i]);
        out[2 * i] = uint8_t(v);
        out[2 * i + 1] = uint8_t(v >> 8);
    }
}

void encodeDataPts(ByteWriter& w, const TraceSlot& s, std::span<uint8_t> out) {
    const int n = std::clamp(s.pointCount, 0, kMaxPoints);
    w.string("DataPts");
    w.i32(n);
    w.i16(1);
    w.i32(n);
    w.i16(1000);
    const size_t at = w.position();
    w.fixed("", size_t(n) * 2);  // reserves the room, or fails
    if (w.failed()) return;
    levelsToMilli(s.level, out.data() + at, n);
}

void encodeUserName(ByteWriter& w, const TraceSlot& s, int count) {
    const TraceParams& p = s.params;
    w.string("UserName");
    w.i32(20001);
    w.i32(1060232947);
    w.i16(7297);
    w.i32(kVendorIdentifier);
    w.i32(saturate<int32_t>(truncToInt(double(p.vendorValue) * 1000.0)));
    for (int32_t word : p.vendorWords) w.i32(word);
    w.i32(saturate<int32_t>(int64_t(count) * 100));
    w.i32(p.markerA);
    w.i32(p.markerB);
    for (int i = 0; i < 23; ++i) w.i32(0);
    for (int i = 35; i < kVendorEntries; ++i) w.i32(s.vendor.v[i]);
}

// CRC-16/CCITT-FALSE, eight bytes at a time: table k holds the CRC of a byte followed by
// k zero bytes, so eight lookups replace eight rounds of the byte-wise loop.
struct CrcTables {
    uint16_t t[8][256];
    constexpr CrcTables() : t{} {
        for (int b = 0; b < 256; ++b) {
            uint16_t c = uint16_t(b << 8);
            for (int k = 0; k < 8; ++k) c = uint16_t(c & 0x8000 ? (c << 1) ^ 0x1021 : c << 1);
            t[0][b] = c;
        }
        for (int k = 1; k < 8; ++k)
            for (int b = 0; b < 256; ++b)
                t[k][b] = uint16_t((t[k - 1][b] << 8) ^ t[0][(t[k - 1][b] >> 8) & 0xFF]);
    }
};
constexpr CrcTables kCrc;

}  // namespace

// ---------------------------------------------------------------------------------------

float pointTime(int32_t dataSpacing) { return float(dataSpacing / 10000.0); }

int32_t fileTimeToPoint(int32_t time, float T) {
    if (!(T > 0)) return 0;
    return saturate<int32_t>(truncToInt(double(time) / double(T)));
}

int32_t pointToFileTime(int32_t index, float T) {
    if (!(T > 0)) return 0;
    if (index <= 0) return 0;
    int64_t t = int64_t(std::ceil(double(index) * double(T)));
    // Step to the smallest time that reads back as the index (the float arithmetic of the
    // reader can sit a hair either side of the exact product).
    while (t > 0 && fileTimeToPoint(saturate<int32_t>(t - 1), T) >= index) --t;
    while (t < INT32_MAX && fileTimeToPoint(saturate<int32_t>(t), T) < index) ++t;
    return saturate<int32_t>(t);
}

int32_t toMilli(double x) {
    if (!std::isfinite(x)) return 0;
    x = std::clamp(x, -2147483.647, 2147483.647);
    const int64_t t = int64_t(x * 10000.0);
    const int64_t r = t % 10;
    int64_t q = t / 10;
    if (x >= 0 && r >= 5) ++q;
    if (x < 0 && r <= -5) --q;
    return int32_t(q);
}

uint16_t crc16Bitwise(std::span<const uint8_t> bytes) {
    uint16_t crc = 0xFFFF;
    for (uint8_t byte : bytes) {
        crc ^= uint16_t(byte << 8);
        for (int k = 0; k < 8; ++k) crc = uint16_t(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

uint16_t crc16(std::span<const uint8_t> bytes) {
    uint16_t crc = 0xFFFF;
    const uint8_t* p = bytes.data();
    size_t n = bytes.size();
    const auto& t = kCrc.t;
    while (n >= 8) {
        crc = uint16_t(t[7][p[0] ^ (crc >> 8)] ^ t[6][p[1] ^ (crc & 0xFF)] ^ t[5][p[2]] ^ t[4][p[3]] ^
                       t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
        p += 8;
        n -= 8;
    }
    while (n--) crc = uint16_t((crc << 8) ^ t[0][((crc >> 8) ^ *p++) & 0xFF]);
    return crc;
}

bool decodeMap(std::span<const uint8_t> file, SorMap& map) {
    uint32_t clipped = 0;
    if (file.size() > size_t(kFileBufferSize)) file = file.first(kFileBufferSize);
    return decodeMapInto(file, map, clipped);
}

int decodeTraceFile(std::span<const uint8_t> file, TraceSlot& slot) {
    slot.clearRecords();
    DecodeState st{slot};
    if (file.size() > size_t(kFileBufferSize)) {
        file = file.first(kFileBufferSize);
        st.clipped |= kClipFileSize;
    }
    SorMap map;
    if (!decodeMapInto(file, map, st.clipped)) return 0;
    for (int i = 0; i < map.count; ++i) decodeBlock(map.blocks[i], file, st);
    slot.clipped = st.clipped;

    TraceParams& p = slot.params;
    const FxdParams& f = slot.fxd;
    const int n = slot.pointCount;
    // A trace that cannot be shown is refused like a wrong version.
    if (!st.sawDataPoints || st.scale == 0 || n < 2 || f.groupIndex <= 0 || f.dataSpacing[0] <= 0) return 0;

    p.dateTime = f.dateTime;
    p.ior = float(f.groupIndex) / 100000.0f;
    const float rangeDistance = float(f.acqRangeDistance) / 10.0f;
    char text[32];
    if (std::memcmp(f.units, "mi", 2) == 0) p.rangeKm = formatRange(2, 0, rangeDistance, text, sizeof text);
    else if (std::memcmp(f.units, "ft", 2) == 0) p.rangeKm = formatRange(1, 0, rangeDistance, text, sizeof text);
    else if (std::memcmp(f.units, "km", 2) == 0) p.rangeKm = rangeDistance;
    else p.rangeKm = rangeDistance / 1000.0f;
    p.pulseWidthNs = f.pulseWidth[0];
    p.wavelength = slot.gen.wavelengthNm * 10;
    p.averagingTimeS = f.averagingTime;
    p.backscatterDb = float(f.backscatter) / 10.0f;
    p.reflThresholdDb = float(f.reflThreshold) / 1000.0f;
    p.lossThresholdDb = float(f.lossThreshold) / 1000.0f;
    p.endThresholdDb = float(f.endThreshold) / 1000.0f;
    p.dataSpacing = f.dataSpacing[0];
    p.noiseFloorDb = -float(f.noiseFloor) / 1000.0f;

    const float T = pointTime(p.dataSpacing);
    const double C = 2.99792458 / f.groupIndex;
    const double step = double(T) * C;
    for (int i = 0; i < n; ++i) slot.distance[i] = float(i * step);

    // Values from the file are bounded: points and markers onto the trace, stored markers
    // outside it replaced by the defaults.
    auto onTrace = [n](int64_t i) { return int32_t(std::clamp<int64_t>(i, 0, n - 1)); };
    for (int i = 0; i < slot.eventCount; ++i) {
        TraceEvent& e = slot.events[i];
        e.distanceKm = float(e.time * C);
        e.pointIndex = onTrace(fileTimeToPoint(e.time, T));
        for (int32_t& m : e.markers) m = onTrace(fileTimeToPoint(m, T));
    }
    if (p.markerA < 0 || p.markerA >= n || p.markerB < 0 || p.markerB >= n) {
        p.markerA = n / 3;
        p.markerB = 2 * n / 3;
    }

    for (int i = 1; i < slot.eventCount; ++i) slot.events[i].level = slot.level[slot.events[i].markers[1]];

    const int32_t* v = slot.vendor.v;
    p.vendorValue = v[0] >= 200 && v[1] == kVendorIdentifier ? float(v[2] / 1000) : 0.0f;

    if (slot.eventCount > 0) slot.events[0].cumulativeLoss = 0;
    // Our own files carry the values of their first 200 events; those need no fits.
    const bool stored = v[0] > 201;
    ComputeLaunchAndCumulative(slot.level, slot.distance, slot.events, slot.eventCount, p.wavelength / 10,
                               stored ? kVendorEventValues : 0);

    // Values stored by our own writer replace the computed ones, for the events it holds.
    if (stored) {
        slot.vendor.v[35] = slot.eventCount;
        if (slot.eventCount > 0) {
            TraceEvent* e = slot.events;
            e[0].level = float(v[36]) / 1000.0f;
            for (int i = 1; i < slot.eventCount && i < kVendorEventValues; ++i) {
                e[i].cumulativeLoss = float(v[37 + i]) / 1000.0f;
                e[i].level = e[0].level - e[i].cumulativeLoss;
            }
        }
    }
    return 1;
}

size_t encodeTraceFile(std::span<uint8_t> out, TraceSlot& slot, int count) {
    rebuildFxd(slot);
    prepareVendor(slot);

    struct Entry {
        const char* name;
        size_t start = 0;
    };
    Entry entries[8] = {{"GenParams"}, {"SupParams"}, {"FxdParams"}, {"KeyEvents"},
                        {"LnkParams"}, {"DataPts"},   {"UserName"},  {"Cksum"}};
    ByteWriter w(out);
    // The map, with its sizes patched once the blocks are written.
    w.string("Map");
    w.i16(200);
    const size_t mapSizeAt = w.position();
    w.i32(0);
    w.i16(9);
    size_t sizeAt[8];
    for (int i = 0; i < 8; ++i) {
        w.string(entries[i].name);
        w.i16(200);
        sizeAt[i] = w.position();
        w.i32(0);
    }
    const size_t mapSize = w.position();

    entries[0].start = w.position();
    encodeGenParams(w, slot.gen);
    entries[1].start = w.position();
    encodeSupParams(w, slot.sup);
    entries[2].start = w.position();
    encodeFxdParams(w, slot.fxd);
    entries[3].start = w.position();
    encodeKeyEvents(w, slot);
    entries[4].start = w.position();
    encodeLnkParams(w);
    entries[5].start = w.position();
    encodeDataPts(w, slot, out);
    entries[6].start = w.position();
    encodeUserName(w, slot, count);
    entries[7].start = w.position();
    w.string("Cksum");
    const size_t covered = entries[7].start;
    w.u16(0);
    if (w.failed()) return 0;
    const size_t total = w.position();

    w.patchI32(mapSizeAt, int32_t(mapSize));
    for (int i = 0; i < 8; ++i) {
        const size_t end = i + 1 < 8 ? entries[i + 1].start : total;
        w.patchI32(sizeAt[i], int32_t(end - entries[i].start));
    }
    const uint16_t crc = crc16(std::span<const uint8_t>(out.data(), covered));
    out[total - 2] = uint8_t(crc);
    out[total - 1] = uint8_t(crc >> 8);
    return total;
}

}  // namespace fv
