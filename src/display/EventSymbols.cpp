#include "display/EventSymbols.h"

#include <cstdint>

namespace fv {
namespace {

template <int W, int H>
struct PackedBits {
    static constexpr int kStride = (W + 7) / 8;
    uint8_t bits[H * kStride] = {};
};

// Rows of '#' (black) and '.' (white); a row of the wrong length stops the compilation.
template <int W, int H>
constexpr PackedBits<W, H> pack(const char (&art)[H][W + 1]) {
    PackedBits<W, H> p;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const char c = art[y][x];
            if (c != '#' && c != '.') throw "symbol row too short or not made of '#' and '.'";
            if (c == '#') p.bits[y * p.kStride + x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    return p;
}

constexpr char kEndArt[11][10] = {
    "......##.",
    "......##.",
    "......##.",
    "......##.",
    "......##.",
    "########.",
    "......##.",
    "......##.",
    "......##.",
    "......##.",
    "......##.",
};

constexpr char kStartArt[11][11] = {
    ".##.......",
    ".##.......",
    ".##.......",
    ".##.......",
    ".##.......",
    ".#########",
    ".##.......",
    ".##.......",
    ".##.......",
    ".##.......",
    ".##.......",
};

constexpr char kReflectiveArt[11][11] = {
    "..........",
    "...####...",
    "...#..#...",
    "...#..#...",
    "...#..#...",
    "...#..#...",
    "####..#...",
    "......#...",
    "......####",
    "..........",
    "..........",
};

constexpr char kLossArt[14][12] = {
    "...........",
    "...........",
    "...........",
    "#####......",
    "....#......",
    "....#......",
    "....#......",
    "....#......",
    "....#......",
    "....#######",
    "...........",
    "...........",
    "...........",
    "...........",
};

constexpr char kGainArt[14][12] = {
    "...........",
    "...........",
    "...........",
    "....#######",
    "....#......",
    "....#......",
    "....#......",
    "....#......",
    "....#......",
    "#####......",
    "...........",
    "...........",
    "...........",
    "...........",
};

constexpr auto kEndBits = pack<9, 11>(kEndArt);
constexpr auto kStartBits = pack<10, 11>(kStartArt);
constexpr auto kReflectiveBits = pack<10, 11>(kReflectiveArt);
constexpr auto kLossBits = pack<11, 14>(kLossArt);
constexpr auto kGainBits = pack<11, 14>(kGainArt);

template <int W, int H>
constexpr MonoBitmap view(const PackedBits<W, H>& p) {
    return MonoBitmap{W, H, PackedBits<W, H>::kStride, p.bits};
}

constexpr MonoBitmap kEnd = view(kEndBits);
constexpr MonoBitmap kStart = view(kStartBits);
constexpr MonoBitmap kReflective = view(kReflectiveBits);
constexpr MonoBitmap kLoss = view(kLossBits);
constexpr MonoBitmap kGain = view(kGainBits);

}  // namespace

EventSymbol symbolForEvent(const TraceEvent& event) {
    if (event.endFlag == kEndFlagFibreEnd) return EventSymbol::End;
    switch (event.type) {
        case kEventStart: return EventSymbol::Start;
        case kEventEnd: return EventSymbol::End;
        case kEventReflective: return EventSymbol::Reflective;
        case kEventNonReflective: return event.loss > 0 ? EventSymbol::LossStep : EventSymbol::GainStep;
        default: return EventSymbol::LossStep;
    }
}

const MonoBitmap& eventSymbolBitmap(EventSymbol symbol) {
    switch (symbol) {
        case EventSymbol::End: return kEnd;
        case EventSymbol::Start: return kStart;
        case EventSymbol::Reflective: return kReflective;
        case EventSymbol::GainStep: return kGain;
        case EventSymbol::LossStep: break;
    }
    return kLoss;
}

}  // namespace fv
