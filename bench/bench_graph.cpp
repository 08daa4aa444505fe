// Painting the graph's background layer with ten zoomed-out 128000-point traces into a
// 1920 x 1080 image, beside the plain way of drawing the same traces: one
// QPainter::drawLine per segment, same pens. The layer is meant to cost at most a tenth.
#include "display/GraphPainter.h"
#include "document/CQUARLODoc.h"
#include "platform/QtCanvas.h"
#include "synth/TraceSynth.h"

#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

class SilentPrompts : public fv::Prompts {
public:
    fv::PromptAnswer message(std::string_view, std::string_view, fv::PromptButtons) override {
        return fv::PromptAnswer::Ok;
    }
    std::vector<std::string> chooseOpenFiles(std::string_view, const std::vector<fv::FileFilter>&, bool) override {
        return {};
    }
    std::string chooseSavePath(std::string_view, std::string_view, const std::vector<fv::FileFilter>&) override {
        return {};
    }
    std::string chooseFolder(std::string_view) override { return {}; }
};

constexpr int kW = 1920, kH = 1080;

// Ten long-haul traces, as opening them would leave the document: the full window.
fv::CQUARLODoc& tenTraces() {
    static SilentPrompts prompts;
    static std::unique_ptr<fv::CQUARLODoc> doc = [] {
        auto d = fv::CQUARLODoc::create(prompts);
        for (int s = 0; s < fv::kMaxSlots; ++s) {
            fv::TraceSlot& t = d->slots[s];
            fv::SynthOptions o;
            o.preset = "longhaul";
            o.seed = uint64_t(s + 1);
            fv::synthesizeTrace(o, t);
            t.levelFloor = 5 * std::log10(0.00005) - 35;
            t.spacingKm = double(t.distance[1]) - double(t.distance[0]);
            t.totalLengthKm = double(t.distance[t.pointCount - 1]) + t.spacingKm;
            t.colour = fv::kSlotColours[s];
            t.verticalOffset = float(-s);  // spread out, as a user would
            t.path = "longhaul" + std::to_string(s) + ".sor";
            t.inUse = 1;
            ++d->openCount;
        }
        d->currentSlot = 0;
        d->kmPerDiv = float(d->slots[0].totalLengthKm / 10);
        d->dbPerDiv = 5;
        d->viewStartKm = d->viewStartDb = 0;
        return d;
    }();
    return *doc;
}

void BM_DrawBackgroundLayer(benchmark::State& state) {
    fv::CQUARLODoc& doc = tenTraces();
    QImage image(kW, kH, QImage::Format_RGB32);
    for (auto _ : state) {
        fv::QtCanvas canvas(image);
        fv::drawBackgroundLayer(doc, canvas, kW, kH);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["traces"] = doc.openCount;
}
BENCHMARK(BM_DrawBackgroundLayer)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The traces alone, every segment through QtCanvas::drawLine, which is QPainter::drawLine.
void BM_DrawEverySegment(benchmark::State& state) {
    fv::CQUARLODoc& doc = tenTraces();
    QImage image(kW, kH, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (auto _ : state) {
        fv::QtCanvas canvas(image);
        fv::drawTraces(doc, canvas, kW, kH, fv::TraceStroke::PerSegment);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["traces"] = doc.openCount;
}
BENCHMARK(BM_DrawEverySegment)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
