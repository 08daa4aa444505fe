// Reading and writing the 128000-point long-haul trace, each beside its floor:
// - decoding against copying the file's bytes and filling the level and distance arrays
//   with a constant (decoding writes four times the bytes it reads);
// - encoding against the checksum alone over the encoded bytes;
// - the sliced checksum against the bit-by-bit form of the same CRC.
#include "sorfile/bellcorefile.h"
#include "synth/TraceSynth.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct LongHaul {
    std::unique_ptr<fv::TraceSlot> slot = std::make_unique<fv::TraceSlot>();
    std::unique_ptr<fv::TraceSlot> target = std::make_unique<fv::TraceSlot>();
    std::vector<uint8_t> file = std::vector<uint8_t>(fv::kFileBufferSize);
    std::vector<uint8_t> copy = std::vector<uint8_t>(fv::kFileBufferSize);
    size_t size = 0;
    LongHaul() {
        fv::SynthOptions o;
        o.preset = "longhaul";
        fv::synthesizeTrace(o, *slot);
        size = fv::encodeTraceFile(file, *slot, 0);
        file.resize(size);
    }
};
LongHaul& data() {
    static LongHaul d;
    return d;
}

void BM_DecodeLongHaul(benchmark::State& state) {
    auto& d = data();
    for (auto _ : state) {
        benchmark::DoNotOptimize(fv::decodeTraceFile(d.file, *d.target));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(d.size));
}
BENCHMARK(BM_DecodeLongHaul);

void BM_DecodeFloor(benchmark::State& state) {
    auto& d = data();
    const int n = d.slot->pointCount;
    for (auto _ : state) {
        std::memcpy(d.copy.data(), d.file.data(), d.size);
        std::fill(d.target->level, d.target->level + n, -1.0f);
        std::fill(d.target->distance, d.target->distance + n, 1.0f);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(d.size));
}
BENCHMARK(BM_DecodeFloor);

void BM_EncodeLongHaul(benchmark::State& state) {
    auto& d = data();
    for (auto _ : state) {
        benchmark::DoNotOptimize(fv::encodeTraceFile(d.copy, *d.slot, 0));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(d.size));
}
BENCHMARK(BM_EncodeLongHaul);

void BM_ChecksumSliced(benchmark::State& state) {
    auto& d = data();
    for (auto _ : state) benchmark::DoNotOptimize(fv::crc16(d.file));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(d.size));
}
BENCHMARK(BM_ChecksumSliced);

void BM_ChecksumBitwise(benchmark::State& state) {
    auto& d = data();
    for (auto _ : state) benchmark::DoNotOptimize(fv::crc16Bitwise(d.file));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(d.size));
}
BENCHMARK(BM_ChecksumBitwise);

}  // namespace

BENCHMARK_MAIN();
