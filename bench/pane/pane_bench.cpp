// The two result panes over a listing of a million lines with ipm: showing it, scrolling to its
// end, copying all of it, and the memory it takes; then the same figures side by side as ratios.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "bench/pane/plain_result_pane.h"
#include "ui/fast_result_pane.h"
#include "wordstore/encoding.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int kLines = 1'000'000;
constexpr int kManyLines = 10'000'000;
// The size of the window's pane at start-up.
constexpr int kPaneWidth = 389;
constexpr int kPaneHeight = 536;

// A listing as a search with ipm shown writes it: "слово = 12,34567", CR LF between lines.
std::string Listing(int lines)
{
    std::mt19937 random(20240);
    const std::string letters = ToCp1251("абвгдеёжзийклмнопрстуфхцчшщъыьэюя");
    std::string text;
    text.reserve(static_cast<std::size_t>(lines) * 24);
    char ipm[32];
    for (int line = 0; line < lines; ++line) {
        if (line > 0) {
            text += "\r\n";
        }
        const int length = 3 + static_cast<int>(random() % 10);
        for (int i = 0; i < length; ++i) {
            text += letters[random() % letters.size()];
        }
        std::snprintf(ipm, sizeof ipm, " = %u,%05u", static_cast<unsigned>(random() % 2000),
                      static_cast<unsigned>(random() % 100000));
        text += ipm;
    }
    return text;
}

const std::string& MillionLines()
{
    static const std::string listing = Listing(kLines);
    return listing;
}

const std::string& TenMillionLines()
{
    static const std::string listing = Listing(kManyLines);
    return listing;
}

// Bytes the heap holds now, both from its arenas and in mapped blocks.
std::uint64_t HeapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Mean milliseconds of each measure, by pane, for the table printed at the end.
std::map<std::string, std::map<std::string, double>>& Figures()
{
    static std::map<std::string, std::map<std::string, double>> figures;
    return figures;
}

template <typename TPane>
const char* PaneName();
template <>
const char* PaneName<TFastResultPane>()
{
    return "fast";
}
template <>
const char* PaneName<TPlainResultPane>()
{
    return "plain";
}

template <typename TPane>
std::unique_ptr<TPane> ShownPane()
{
    auto pane = std::make_unique<TPane>();
    pane->resize(kPaneWidth, kPaneHeight);
    pane->show();
    QCoreApplication::processEvents();
    return pane;
}

// Runs one timed step per iteration, with an untimed preparation before each, and records the
// mean under measure.
template <typename TPrepare, typename TStep>
void Measure(benchmark::State& state, const char* pane, const char* measure, TPrepare prepare,
             TStep step)
{
    double total = 0;
    for (auto _ : state) {
        prepare();
        const auto start = TClock::now();
        step();
        const std::chrono::duration<double> elapsed = TClock::now() - start;
        state.SetIterationTime(elapsed.count());
        total += elapsed.count();
    }
    Figures()[measure][pane] = total * 1000 / static_cast<double>(state.iterations());
}

template <typename TPane>
void BM_ShowListing(benchmark::State& state, const std::string& listing, const char* measure)
{
    auto pane = ShownPane<TPane>();
    Measure(
        state, PaneName<TPane>(), measure,
        [&] {
            // The pane holds the interim text when the run ends, as in the window.
            pane->SetText(ToCp1251("Поиск..."));
            pane->grab();
        },
        [&] {
            pane->SetText(listing);
            pane->grab();
        });
    state.counters["bytes"] = static_cast<double>(listing.size());
}

template <typename TPane>
void BM_ShowMillionLines(benchmark::State& state)
{
    BM_ShowListing<TPane>(state, MillionLines(), "show 1M lines");
}

// The first listing of a session: a pane that has shown nothing long yet.
template <typename TPane>
void BM_ShowOnNewPane(benchmark::State& state)
{
    std::unique_ptr<TPane> pane;
    Measure(
        state, PaneName<TPane>(), "show 1M lines, new pane",
        [&] {
            pane.reset();
            pane = ShownPane<TPane>();
        },
        [&] {
            pane->SetText(MillionLines());
            pane->grab();
        });
}

template <typename TPane>
void BM_ScrollToEnd(benchmark::State& state, const std::string& listing, const char* measure)
{
    auto pane = ShownPane<TPane>();
    pane->SetText(listing);
    pane->grab();
    QScrollBar* bar = pane->verticalScrollBar();
    Measure(
        state, PaneName<TPane>(), measure,
        [&] {
            bar->setValue(0);
            pane->grab();
        },
        [&] {
            bar->setValue(bar->maximum());
            pane->grab();
        });
}

template <typename TPane>
void BM_ScrollMillionLines(benchmark::State& state)
{
    BM_ScrollToEnd<TPane>(state, MillionLines(), "scroll to end + paint");
}

template <typename TPane>
void BM_CopyAll(benchmark::State& state, bool paste, const char* measure)
{
    auto pane = ShownPane<TPane>();
    pane->SetText(MillionLines());
    pane->grab();
    QClipboard* clipboard = QGuiApplication::clipboard();
    qsizetype pasted = 0;
    Measure(
        state, PaneName<TPane>(), measure, [clipboard] { clipboard->clear(); },
        [&] {
            pane->SelectAll();
            pane->CopySelection();
            if (paste) {
                pasted = clipboard->text().size();
            }
        });
    if (paste) {
        state.counters["pasted"] = static_cast<double>(pasted);
    }
}

// Copy all is the menu's action; pasting then asks the clipboard for the text.
template <typename TPane>
void BM_CopyAllOnly(benchmark::State& state)
{
    BM_CopyAll<TPane>(state, false, "copy all");
}

template <typename TPane>
void BM_CopyAllAndPaste(benchmark::State& state)
{
    BM_CopyAll<TPane>(state, true, "copy all + paste");
}

// Heap growth from an empty pane to one showing the listing, in listing bytes.
template <typename TPane>
void BM_Memory(benchmark::State& state)
{
    const std::string& listing = MillionLines();
    double ratio = 0;
    for (auto _ : state) {
        auto pane = ShownPane<TPane>();
        const std::uint64_t before = HeapBytes();
        pane->SetText(listing);
        pane->grab();
        ratio = static_cast<double>(HeapBytes() - before) / static_cast<double>(listing.size());
        state.SetIterationTime(1);
    }
    state.counters["x_listing"] = ratio;
    Figures()["memory, x listing bytes"][PaneName<TPane>()] = ratio;
}

void BM_ShowTenMillionLines(benchmark::State& state)
{
    BM_ShowListing<TFastResultPane>(state, TenMillionLines(), "show 10M lines");
}

void BM_ScrollTenMillionLines(benchmark::State& state)
{
    BM_ScrollToEnd<TFastResultPane>(state, TenMillionLines(), "scroll 10M to end + paint");
}

BENCHMARK(BM_ShowMillionLines<TFastResultPane>)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_ShowMillionLines<TPlainResultPane>)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_ShowOnNewPane<TFastResultPane>)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_ShowOnNewPane<TPlainResultPane>)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_ScrollMillionLines<TFastResultPane>)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);
BENCHMARK(BM_ScrollMillionLines<TPlainResultPane>)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_CopyAllOnly<TFastResultPane>)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_CopyAllOnly<TPlainResultPane>)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_CopyAllAndPaste<TFastResultPane>)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_CopyAllAndPaste<TPlainResultPane>)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_Memory<TFastResultPane>)->UseManualTime()->Iterations(1);
BENCHMARK(BM_Memory<TPlainResultPane>)->UseManualTime()->Iterations(1);
BENCHMARK(BM_ShowTenMillionLines)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ScrollTenMillionLines)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void PrintRatios()
{
    std::printf("\n%-28s %12s %12s %12s\n", "measure (ms unless said)", "fast", "plain",
                "plain/fast");
    for (const auto& [measure, panes] : Figures()) {
        const auto fast = panes.find("fast");
        const auto plain = panes.find("plain");
        const auto cell = [&panes](decltype(fast) figure) {
            char text[32] = "-";
            if (figure != panes.end()) {
                std::snprintf(text, sizeof text, "%.2f", figure->second);
            }
            return std::string(text);
        };
        std::printf("%-28s %12s %12s", measure.c_str(), cell(fast).c_str(), cell(plain).c_str());
        if (fast != panes.end() && plain != panes.end() && fast->second > 0) {
            std::printf(" %11.1fx", plain->second / fast->second);
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatios();
    return 0;
}
