#include "synth/TraceSynth.h"

#include "sorfile/bellcorefile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace fv {
namespace {

// xoshiro256** seeded through splitmix64: small, fast and the same everywhere, unlike the
// standard distributions whose output differs between libraries.
class Rng {
public:
    explicit Rng(uint64_t seed) {
        for (uint64_t& w : s_) w = splitmix(seed);
    }
    uint64_t next() {
        const uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }
    double uniform() { return double(next() >> 11) * 0x1.0p-53; }
    double between(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Sum of twelve uniforms: unit variance, pure arithmetic, so bit-exact on any machine.
    double normal() {
        double s = 0;
        for (int i = 0; i < 12; ++i) s += uniform();
        return s - 6.0;
    }

private:
    static uint64_t splitmix(uint64_t& x) {
        uint64_t z = (x += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    uint64_t s_[4];
};

enum class Kind { Splice, Connector, Gainer };

struct Planned {
    Kind kind;
    double km;
    double loss;        // dB, negative for a gainer
    double reflDb;      // wanted reflectance of a connector
    double alphaBefore; // dB/km of the fibre leading to this event
};

struct Planner;

struct Preset {
    const char* name;
    int points;
    float rangeKm;
    int pulseNs;
    int wavelengthNm;
    float ior;            // as a float, x 100000 lands on or just above a whole number, so
                          // the stored group index is the same whether truncated or rounded
    float backscatterDb;  // likewise on or just above its tenth
    float noiseFloorDb;
    int averagingS;
    double launchDb;      // backscatter level at the start of the fibre
    double launchReflDb;  // front connector
    double endReflDb;     // fibre end, lowered when the peak would not fit the scale
    double fibreKm, fibreJitterKm;
    double alpha, alphaMin, alphaMax;
    const char* cableId;
    const char* origLocation;
    const char* termLocation;
    const char* cableCode;
    void (*plan)(Planner&);
};

double sectionAlpha(const Preset& p, Rng& rng) {
    return std::clamp(p.alpha * (1.0 + 0.012 * rng.normal()), p.alphaMin, p.alphaMax);
}

// Every draw is a statement of its own: the order in which function arguments are
// evaluated differs between compilers, and with it the trace.
struct Planner {
    const Preset& preset;
    Rng& rng;
    std::vector<Planned>& out;

    double near(double km, double spread) { return km + rng.between(-spread, spread); }
    double vary(double value) { return value * rng.between(0.85, 1.15); }
    void add(Kind kind, double km, double loss, double reflDb) {
        const double alpha = sectionAlpha(preset, rng);
        out.push_back({kind, km, loss, reflDb, alpha});
    }
    void splice(double km, double loss) { add(Kind::Splice, km, std::clamp(loss, 0.02, 0.3), 0); }
    void gainer(double km, double gain) { add(Kind::Gainer, km, -std::clamp(gain, 0.05, 0.2), 0); }
    void connector(double km, double loss, double nominalReflDb) {
        const double refl = std::clamp(nominalReflDb + rng.between(-1.5, 1.5), -55.0, -40.0);
        add(Kind::Connector, km, std::clamp(loss, 0.2, 0.6), refl);
    }
};

// Nominal layouts; the seed moves every event a little and varies its values.
void planShort(Planner& p) {
    double km = p.near(0.62, 0.01);
    p.connector(km, p.vary(0.35), -48);
    km = p.near(1.34, 0.01);
    p.splice(km, p.vary(0.09));
    km = p.near(2.07, 0.01);
    p.connector(km, p.vary(0.42), -44);
}

void planDemo(Planner& p) {
    struct Nominal {
        Kind kind;
        double km, loss, reflDb;
    };
    static constexpr Nominal layout[] = {
        {Kind::Splice, 2.9, 0.08, 0},   {Kind::Splice, 6.4, 0.12, 0}, {Kind::Connector, 9.8, 0.38, -47},
        {Kind::Gainer, 13.6, 0.09, 0},  {Kind::Splice, 17.2, 0.07, 0}, {Kind::Splice, 20.9, 0.14, 0},
    };
    for (const Nominal& e : layout) {
        const double km = p.near(e.km, 0.1);
        const double loss = p.vary(e.loss);
        if (e.kind == Kind::Connector) p.connector(km, loss, e.reflDb);
        else if (e.kind == Kind::Gainer) p.gainer(km, loss);
        else p.splice(km, loss);
    }
}

// A patch cord at the exchange, 4 km cable drums spliced together, a patch panel halfway.
void planLonghaul(Planner& p) {
    const double first = p.near(2.0, 0.05);
    p.connector(first, p.vary(0.35), -50);
    for (int k = 1; k <= 27; ++k) {
        const double km = p.near(4.0 * k, 0.25);
        if (k == 13) p.connector(km, p.vary(0.45), -46);
        else if (k == 19) p.gainer(km, p.rng.between(0.06, 0.15));
        else p.splice(km, p.rng.between(0.06, 0.2));
    }
}

const Preset kPresets[] = {
    {"demo", 32000, 40.0f, 300, 1550, 1.4684f, 81.8f, -53.0f, 60, -10.0, -50.0, -14.5, 25.2, 0.1,
     0.198, 0.19, 0.21, "FV-DEMO-24F", "Exchange North", "Cabinet 17", "G652D-24", planDemo},
    {"short", 16000, 5.0f, 30, 1310, 1.4677f, 79.4f, -50.0f, 30, -14.0, -52.0, -14.5, 3.18, 0.01,
     0.340, 0.33, 0.35, "FV-CAMPUS-12F", "Building A", "Building C", "G652D-12", planShort},
    {"longhaul", 128000, 160.0f, 5000, 1550, 1.4684f, 81.8f, -55.5f, 180, -7.0, -40.0, -14.5, 110.6, 0.2,
     0.198, 0.19, 0.21, "FV-TRUNK-48F", "Exchange West", "Exchange East", "G652D-48", planLonghaul},
};

template <size_t N>
void copyText(char (&dst)[N], const char* src) {
    size_t i = 0;
    for (; i + 1 < N && src[i] != '\0'; ++i) dst[i] = src[i];
    dst[i] = '\0';
}

// Values the file keeps in 0.001 dB, taken as they read back.
float milli(double x) { return float(std::lround(x * 1000.0)) / 1000.0f; }

struct Placed {
    int type;
    int endFlag;
    int p;
    double loss;
    double reflDb;       // 0 for non-reflective
    double ratio;        // reflected over backscattered power at the event
    double levelBefore;  // noise-free backscatter level just before the event
    double shown;        // the same on the delayed trace
    double alphaBefore;
    int m[5];
};

constexpr double kPeakCeilingDb = -1.0;  // keeps every reflection below the top of the scale

// Backscatter-relative power of a reflection, as the reflectance reading inverts it.
double reflectionRatio(double reflDb, double backscatterDb, int pulseNs) {
    return std::pow(10.0, (reflDb + backscatterDb - 10.0 * std::log10(double(pulseNs))) / 10.0);
}

}  // namespace

std::vector<std::string> synthPresetNames() {
    std::vector<std::string> names;
    for (const Preset& p : kPresets) names.emplace_back(p.name);
    return names;
}

SynthResult synthesizeTrace(const SynthOptions& options, TraceSlot& slot) {
    SynthResult result;
    const Preset* pr = nullptr;
    uint64_t presetIndex = 0;
    for (const Preset& p : kPresets) {
        if (options.preset == p.name) {
            pr = &p;
            break;
        }
        ++presetIndex;
    }
    if (!pr) {
        result.error = "unknown preset \"" + options.preset + "\"";  // synthPresetNames() lists them
        return result;
    }
    const int n = options.points == 0 ? pr->points : options.points;
    if (n < 2 || n > kMaxPoints) {
        result.error = "point count " + std::to_string(options.points) + " is outside 2.." + std::to_string(kMaxPoints);
        return result;
    }

    // The points cover the preset's range whatever their number, so the spacing scales.
    const int32_t groupIndex = int32_t(std::lround(double(pr->ior) * 100000.0));
    const double C = 2.99792458 / groupIndex;
    const double maxSpacing = double(std::numeric_limits<int32_t>::max());
    auto spacingFor = [&](int points) { return std::round(double(pr->rangeKm) / points / C * 10000.0); };
    if (spacingFor(n) > maxSpacing) {
        int least = n;
        while (spacingFor(least) > maxSpacing) ++least;
        result.error = std::to_string(n) + " points are too few for preset \"" + pr->name +
                       "\": its data spacing would not fit the file (at least " + std::to_string(least) + ")";
        return result;
    }
    const int32_t dataSpacing = int32_t(spacingFor(n));
    const float T = pointTime(dataSpacing);
    const double dx = double(T) * C;  // km per point, as the reader computes distances

    const int W = std::max(1, int(std::lround(pr->pulseNs / 10000.0 / dx)));  // pulse width in points
    const double tau = std::max(0.5, W / 6.0);                                  // receiver response
    const double a = std::exp(-1.0 / tau);
    const int fitLength = std::max(25 * W, 50);

    Rng planRng(options.seed ^ (0x9E3779B97F4A7C15ull * (presetIndex + 1)));
    Rng noiseRng(options.seed ^ (0xD1B54A32D192ED03ull * (presetIndex + 1)));
    std::vector<Planned> plan;
    Planner planner{*pr, planRng, plan};
    pr->plan(planner);
    const double fibreKm = pr->fibreKm + planRng.between(-pr->fibreJitterKm, pr->fibreJitterKm);
    const double endAlpha = sectionAlpha(*pr, planRng);
    const double launchReflDb = std::round((pr->launchReflDb + planRng.between(-1.0, 1.0)) * 10.0) / 10.0;

    // Events onto points; with few points some share a point and only the first is kept.
    const int e = std::clamp(int(std::lround(fibreKm / dx)), 1, n - 1);
    std::vector<Placed> ev;
    ev.push_back({kEventStart, 0, 0, 0, launchReflDb, 0, pr->launchDb, 0, 0, {}});
    for (const Planned& q : plan) {
        const long p = std::lround(q.km / dx);
        if (p <= ev.back().p || p >= e) continue;
        const bool refl = q.kind == Kind::Connector;
        const double r = refl ? std::round(q.reflDb * 10.0) / 10.0 : 0.0;
        ev.push_back({refl ? kEventReflective : kEventNonReflective, 0, int(p), q.loss, r, 0, 0, 0, q.alphaBefore, {}});
    }
    ev.push_back({kEventReflective, kEndFlagFibreEnd, e, 0, pr->endReflDb, 0, 0, 0, endAlpha, {}});

    // Noise-free backscatter in linear power (the trace shows 5 log10 of it), no light past the end.
    const size_t count = size_t(n);
    std::vector<double> power(count, 0.0);
    for (size_t k = 0; k + 1 < ev.size(); ++k) {
        const double startLevel = k == 0 ? pr->launchDb : ev[k].levelBefore - ev[k].loss;
        const double alpha = ev[k + 1].alphaBefore;
        for (int i = ev[k].p; i < ev[k + 1].p; ++i) power[size_t(i)] = std::pow(10.0, (startLevel - alpha * (i - ev[k].p) * dx) / 5.0);
        ev[k + 1].levelBefore = startLevel - alpha * (ev[k + 1].p - ev[k].p) * dx;
    }

    // The pulse spreads every step over its width.
    std::vector<double> signal(count, 0.0);
    double run = 0;
    for (int i = 0; i < n; ++i) {
        run += power[size_t(i)];
        if (i >= W) run -= power[size_t(i - W)];
        signal[size_t(i)] = std::max(run, 0.0) / W;
    }

    // Receiver bandwidth: rounds the edges and leaves a short tail after each peak.
    const auto lowPass = [a](std::vector<double>& v) {
        double y = 0;
        for (double& x : v) x = y = a * y + (1.0 - a) * x;
    };
    lowPass(signal);

    // The pulse and the receiver delay the trace; the levels an event reading finds are
    // those of the delayed trace.
    const double lagPoints = (W - 1) / 2.0 + a / (1.0 - a);
    for (size_t k = 0; k < ev.size(); ++k) {
        const double alpha = k == 0 ? ev[1].alphaBefore : ev[k].alphaBefore;
        ev[k].shown = ev[k].levelBefore + alpha * dx * lagPoints;
    }

    // Reflections: a pulse-wide block whose top stands above the level before the event by
    // what the reflectance gives, kept below the top of the scale.
    const double B = pr->backscatterDb;
    std::vector<double> reflected(count, 0.0);
    for (Placed& x : ev) {
        if (x.type == kEventNonReflective) continue;
        const double base = std::pow(10.0, x.shown / 5.0);
        const double ratioMax = std::max((std::pow(10.0, kPeakCeilingDb / 5.0) - base) / base, 1e-3);
        if (reflectionRatio(x.reflDb, B, pr->pulseNs) > ratioMax)
            x.reflDb = std::floor((10.0 * std::log10(ratioMax) - B + 10.0 * std::log10(double(pr->pulseNs))) * 10.0) / 10.0;
        x.ratio = reflectionRatio(x.reflDb, B, pr->pulseNs);
        // The block sits on backscatter that falls under it, so its height is found by
        // Newton steps that bring the highest point of the sum to the wanted peak.
        const int top = std::min(x.p + W, n) - 1;
        const int to = std::min(n - 1, top + int(std::ceil(3.0 * tau)));
        const auto response = [&](int i) {  // low-passed unit block
            return i <= top ? 1.0 - std::pow(a, i - x.p + 1) : (1.0 - std::pow(a, top - x.p + 1)) * std::pow(a, i - top);
        };
        const double target = base * (1.0 + x.ratio);
        double height = std::max(0.0, (target - signal[size_t(top)]) / response(top));
        for (int step = 0; step < 20; ++step) {
            int peak = x.p;
            for (int i = x.p; i <= to; ++i)
                if (signal[size_t(i)] + height * response(i) > signal[size_t(peak)] + height * response(peak)) peak = i;
            const double miss = target - (signal[size_t(peak)] + height * response(peak));
            if (std::fabs(miss) <= 1e-9 * target) break;
            height = std::max(0.0, height + miss / response(peak));
        }
        for (int i = x.p; i <= top; ++i) reflected[size_t(i)] += height;
    }
    lowPass(reflected);
    for (size_t i = 0; i < count; ++i) signal[i] += reflected[i];

    // Detector noise is additive in power, so in dB it grows as the signal nears the floor.
    const double floorPower = std::pow(10.0, pr->noiseFloorDb / 5.0);
    for (int i = 0; i < n; ++i) {
        const double measured = signal[size_t(i)] + floorPower * (1.0 + 0.3 * noiseRng.normal());
        const double level = 5.0 * std::log10(std::max(measured, 0.02 * floorPower));
        const long mv = std::clamp(std::lround(-level * 1000.0), 0L, 65535L);
        slot.level[i] = -float(mv) / 1000.0f;
        slot.distance[i] = float(i * dx);
    }

    // Markers: a fit window before the event, the event, the end of its dead zone, a fit
    // window after it; neighbouring events share the fibre between them half and half.
    const int last = int(ev.size()) - 1;
    for (int k = 0; k <= last; ++k) {
        Placed& x = ev[size_t(k)];
        const double base = std::pow(10.0, x.shown / 5.0);
        int deadZone;
        if (k == last) deadZone = W + int(std::ceil(tau * std::log(std::max(1.0, base * (1.0 + x.ratio) / floorPower))));
        else if (x.type == kEventNonReflective) deadZone = W + int(std::ceil(5.0 * tau));
        else deadZone = W + int(std::ceil(tau * std::log(std::max(x.ratio, 1.0) / 0.002)));
        const int limit = k == last ? n - 1 : ev[size_t(k + 1)].p - 1;
        x.m[1] = std::max(x.p - 1, 0);  // the last point before the event shows
        x.m[2] = std::min(x.p + deadZone, limit);
        if (x.type != kEventNonReflective) {
            const int to = std::min(n - 1, x.p + W + int(std::ceil(2.0 * tau)));
            int peak = x.p;
            for (int i = x.p + 1; i <= to; ++i)
                if (signal[size_t(i)] > signal[size_t(peak)]) peak = i;
            x.m[4] = peak;
        }
    }
    for (int k = 0; k <= last; ++k) {
        Placed& x = ev[size_t(k)];
        if (k == 0) x.m[0] = 0;
        else x.m[0] = std::min(std::max(x.p - fitLength, (ev[size_t(k - 1)].m[2] + x.p) / 2), x.m[1]);
        if (k == last) x.m[3] = std::min(n - 1, x.m[2] + fitLength);
        else x.m[3] = std::min(x.m[2] + fitLength, (x.m[2] + ev[size_t(k + 1)].p) / 2);
    }

    // Fresh records; the old events are cleared up to the old count.
    const int oldCount = std::clamp(slot.eventCount, 0, kMaxEvents);
    std::fill(slot.events, slot.events + std::max(oldCount, int(ev.size())), TraceEvent{});
    slot.gen = {};
    slot.sup = {};
    slot.fxd = {};
    slot.vendor = {};
    slot.params = {};

    const float level0 = milli(ev[0].shown);
    for (size_t k = 0; k < ev.size(); ++k) {
        const Placed& x = ev[k];
        TraceEvent& t = slot.events[k];
        t.type = x.type;
        t.endFlag = x.endFlag;
        t.number = int32_t(k + 1);
        t.pointIndex = x.p;
        t.time = pointToFileTime(x.p, T);
        t.distanceKm = float(t.time * C);
        // Stored as the launch level and the cumulative loss, so the level reads back from those.
        t.cumulativeLoss = k == 0 ? 0.0f : milli(double(level0) - x.shown);
        t.level = level0 - t.cumulativeLoss;
        t.loss = milli(x.loss);
        t.reflectance = x.type == kEventNonReflective ? 0.0f : milli(x.reflDb);
        t.attenuation = milli(x.alphaBefore);
        std::copy(x.m, x.m + 5, t.markers);
        t.endIndex = x.m[2];
        result.truth.push_back({t.type, t.endFlag, t.pointIndex, t.distanceKm, t.loss, t.reflectance});
    }
    const TraceEvent& endEvent = slot.events[ev.size() - 1];
    slot.eventCount = int32_t(ev.size());
    slot.pointCount = n;
    slot.selectedEvent = 0;

    TraceParams& p = slot.params;
    p.rangeKm = pr->rangeKm;
    p.pulseWidthNs = pr->pulseNs;
    p.wavelength = pr->wavelengthNm * 10;
    p.backscatterDb = pr->backscatterDb;
    p.averagingTimeS = pr->averagingS;
    p.dataSpacing = dataSpacing;
    p.pointCount = n;
    p.reflThresholdDb = 65.0f;
    p.lossThresholdDb = 0.05f;
    p.endThresholdDb = 3.0f;
    p.ior = pr->ior;
    p.dateTime = uint32_t(1700000000u + options.seed);
    p.noiseFloorDb = pr->noiseFloorDb;
    p.endToEndLoss = toMilli(endEvent.cumulativeLoss);
    p.endToEndStart = 0;
    p.endToEndEnd = endEvent.time;
    p.markerA = std::clamp(slot.events[0].markers[2], 0, n - 1);
    p.markerB = endEvent.pointIndex;

    GenParams& g = slot.gen;
    copyText(g.cableId, pr->cableId);
    char text[64];
    std::snprintf(text, sizeof text, "F%02u", unsigned(options.seed % 24 + 1));
    copyText(g.fiberId, text);
    g.fiberType = 652;
    g.wavelengthNm = int16_t(pr->wavelengthNm);
    copyText(g.origLocation, pr->origLocation);
    copyText(g.termLocation, pr->termLocation);
    copyText(g.cableCode, pr->cableCode);
    copyText(g.operatorName, "synth");
    std::snprintf(text, sizeof text, "synthetic %s, seed %llu", pr->name, static_cast<unsigned long long>(options.seed));
    copyText(g.comment, text);

    SupParams& s = slot.sup;
    copyText(s.supplier, "Fibrovue");
    copyText(s.mainframeId, "FV-OTDR");
    std::snprintf(text, sizeof text, "FV%07llu", static_cast<unsigned long long>(options.seed % 10000000));
    copyText(s.mainframeSerial, text);
    copyText(s.moduleId, "FV-OTDR-101");
    copyText(s.moduleSerial, "M0001");
    copyText(s.softwareRevision, "0.1.0");
    copyText(s.other, "synthetic trace");

    // The block records as a save would leave them.
    FxdParams& f = slot.fxd;
    f.dateTime = p.dateTime;
    f.units[0] = 'm';
    f.units[1] = 't';
    f.actualWavelength = int16_t(p.wavelength);
    f.pulseCount = 1;
    f.pulseWidth[0] = int16_t(p.pulseWidthNs);
    f.dataSpacing[0] = p.dataSpacing;
    f.pointsPerPulse[0] = n;
    f.groupIndex = groupIndex;
    f.backscatter = int16_t(std::lround(double(p.backscatterDb) * 10.0));
    f.averages = 512;
    f.averagingTime = uint16_t(p.averagingTimeS);
    f.acqRange = int32_t(std::min(p.dataSpacing / 10000.0 * n, maxSpacing));
    f.acqRangeDistance = int32_t(std::lround(double(p.rangeKm) * 10000.0));
    f.noiseFloor = uint16_t(std::lround(std::fabs(double(p.noiseFloorDb)) * 1000.0));
    f.lossThreshold = uint16_t(std::lround(double(p.lossThresholdDb) * 1000.0));
    f.reflThreshold = uint16_t(std::lround(double(p.reflThresholdDb) * 1000.0));
    f.endThreshold = uint16_t(std::lround(double(p.endThresholdDb) * 1000.0));

    int32_t* v = slot.vendor.v;
    v[0] = 20001;
    v[1] = kVendorIdentifier;
    v[10] = p.markerA;
    v[11] = p.markerB;
    v[35] = slot.eventCount;
    v[36] = toMilli(slot.events[0].level);
    for (int i = 0; i < slot.eventCount && i < kVendorEventValues; ++i) v[37 + i] = toMilli(slot.events[i].cumulativeLoss);

    slot.spacingKm = double(slot.distance[1]) - double(slot.distance[0]);
    slot.totalLengthKm = double(slot.distance[n - 1]) + slot.spacingKm;
    slot.levelFloor = 5 * std::log10(0.00005) - 35;
    slot.moduleFlag = 1;  // the module identifier ends in 101
    slot.verticalOffset = 0;
    slot.modified = 0;
    slot.clipped = kClipNone;

    result.ok = true;
    return result;
}

}  // namespace fv
