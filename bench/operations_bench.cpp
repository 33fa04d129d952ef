// How the cost of the main operations grows with the user's setup. Besides the time, each
// benchmark reports its registry calls, the Win32 calls behind them and its PowerShell starts
// per operation: those are what an operation costs on Windows, where every Win32 registry call
// is a round trip into the kernel.
#include "app/form_values.h"
#include "bench/generated_setup.h"
#include "drift/drift_commands.h"
#include "files/ini_document.h"
#include "files/setup_reader.h"

#include <benchmark/benchmark.h>

#include <string>

namespace quillon::bench {

namespace {

SetupSize sizeFor(const benchmark::State& state) {
    return state.range(0) == 0 ? realistic() : scaled(static_cast<int>(state.range(0)));
}

void report(benchmark::State& state, long calls, long win32Calls, int starts) {
    const auto n = static_cast<double>(state.iterations());
    state.counters["registry_calls"] = static_cast<double>(calls) / n;
    state.counters["win32_calls"] = static_cast<double>(win32Calls) / n;
    state.counters["processes"] = static_cast<double>(starts) / n;
}

void BM_Refresh(benchmark::State& state) {
    GeneratedSetup setup(sizeFor(state));
    setup.start();
    for (auto _ : state) {
        setup.form->Button_RefreshClick();
    }
    report(state, setup.registryCalls(), setup.win32Calls(), setup.processStarts());
}

void BM_Commit(benchmark::State& state) {
    GeneratedSetup setup(sizeFor(state));
    setup.start();
    for (auto _ : state) {
        setup.form->Button_FixClick();
    }
    report(state, setup.registryCalls(), setup.win32Calls(), setup.processStarts());
}

// Enabling commits, waits (on the substitute's virtual clock) and refreshes. Each iteration
// enables the first disabled input method of a fresh setup, so the counts are those of one
// and the same operation every time; making the setup is not timed.
void BM_Enable(benchmark::State& state) {
    long calls = 0;
    long win32Calls = 0;
    int starts = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto setup = std::make_unique<GeneratedSetup>(sizeFor(state));
        setup->start();
        state.ResumeTiming();
        setup->form->ListView2.selected = 0;
        setup->form->Button_EnableClick();
        state.PauseTiming();
        calls += setup->registryCalls();
        win32Calls += setup->win32Calls();
        starts += setup->processStarts();
        setup.reset();
        state.ResumeTiming();
    }
    report(state, calls, win32Calls, starts);
}

// The last enabled row to the top.
void BM_MoveToTop(benchmark::State& state) {
    GeneratedSetup setup(sizeFor(state));
    setup.start();
    for (auto _ : state) {
        setup.form->move_num(setup.form->ListView1.count(), 1);
    }
    report(state, setup.registryCalls(), setup.win32Calls(), setup.processStarts());
}

const char16_t* const kConfigFile = u"C:\\Users\\me\\quillon.ini";

// Every language's setup read into the file's document, as a save and a backup do.
void BM_ReadSetup(benchmark::State& state) {
    GeneratedSetup setup(sizeFor(state));
    setup.start();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readSetup(setup.form->os(), setup.form->lang.code,
                                           setup.form->scancode, otherSettingsShown(*setup.form)));
    }
    report(state, setup.registryCalls(), setup.win32Calls(), setup.processStarts());
}

// Every language read and written to one file.
void BM_SaveConfig(benchmark::State& state) {
    GeneratedSetup setup(sizeFor(state));
    setup.start();
    for (auto _ : state) {
        setup.form->savecfg(kConfigFile);
    }
    report(state, setup.registryCalls(), setup.win32Calls(), setup.processStarts());
}

// The file saved from the setup itself loaded again: for each language a refresh, a commit,
// a wait, a refresh and the other settings. The first load is not counted: it writes settings
// the generated setup does not hold, which every later refresh reads, so that every counted
// load does the same.
void BM_LoadConfig(benchmark::State& state) {
    GeneratedSetup setup(sizeFor(state));
    setup.start();
    setup.form->savecfg(kConfigFile);
    setup.form->loadcfg(kConfigFile);
    setup.resetCount();
    setup.windows.calls.clear();
    for (auto _ : state) {
        setup.form->loadcfg(kConfigFile);
    }
    report(state, setup.registryCalls(), setup.win32Calls(), setup.processStarts());
}
// The file saved from the setup itself compared with the machine: the file read and checked,
// every language read.
void BM_CheckConfig(benchmark::State& state) {
    GeneratedSetup setup(sizeFor(state));
    setup.start();
    setup.form->savecfg(kConfigFile);
    setup.resetCount();
    setup.windows.calls.clear();
    for (auto _ : state) {
        benchmark::DoNotOptimize(checkConfig(*setup.form, kConfigFile));
    }
    report(state, setup.registryCalls(), setup.win32Calls(), setup.processStarts());
}

// "applycfg:" of that file, which the machine holds: the comparison and nothing else, against
// BM_LoadConfig's refresh, commit, wait and refresh of every language.
void BM_ApplyUnchanged(benchmark::State& state) {
    GeneratedSetup setup(sizeFor(state));
    setup.start();
    setup.form->savecfg(kConfigFile);
    setup.resetCount();
    setup.windows.calls.clear();
    for (auto _ : state) {
        benchmark::DoNotOptimize(applyDifferences(*setup.form, kConfigFile));
    }
    report(state, setup.registryCalls(), setup.win32Calls(), setup.processStarts());
}

// A configuration file of N sections of one key each: reading it grows linearly with N, so a
// file of many sections (a hostile one among them) never stalls a load or a merging save.
void BM_ReadIniSections(benchmark::State& state) {
    std::string text;
    for (long i = 0; i < state.range(0); ++i) {
        text += "[" + std::to_string(i) + "_list]\r\n1=x\r\n";
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(readIni(text));
    }
    state.SetComplexityN(state.range(0));
}

// 0 stands for the realistic setup.
void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(0)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
}

} // namespace

BENCHMARK(BM_Refresh)->Apply(sizes);
BENCHMARK(BM_Commit)->Apply(sizes);
BENCHMARK(BM_Enable)->Apply(sizes);
BENCHMARK(BM_MoveToTop)->Apply(sizes);
BENCHMARK(BM_ReadSetup)->Apply(sizes);
BENCHMARK(BM_SaveConfig)->Apply(sizes);
BENCHMARK(BM_LoadConfig)->Apply(sizes);
BENCHMARK(BM_CheckConfig)->Apply(sizes);
BENCHMARK(BM_ApplyUnchanged)->Apply(sizes);
BENCHMARK(BM_ReadIniSections)
    ->RangeMultiplier(10)
    ->Range(200, 20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace quillon::bench

BENCHMARK_MAIN();
