// Recomputing the event values of the 128000-point long-haul trace after an edit.
#include "analysis/EventValues.h"
#include "synth/TraceSynth.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_RecomputeEventsLongHaul(benchmark::State& state) {
    auto slot = std::make_unique<fv::TraceSlot>();
    fv::SynthOptions o;
    o.preset = "longhaul";
    fv::synthesizeTrace(o, *slot);
    state.counters["events"] = slot->eventCount;
    for (auto _ : state) {
        fv::RecomputeEvents(*slot);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RecomputeEventsLongHaul)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
