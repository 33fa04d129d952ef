// Generated input-method setups of any size on the substitute, for measuring how the cost of
// an operation grows with the user's setup.
#pragma once

#include "app/tform1.h"
#include "bench/counting_registry.h"
#include "platform/substitute/substitute.h"

#include <memory>

namespace quillon::bench {

struct SetupSize {
    int textServices = 10;  // enabled text services of the shown language, each with a hotkey
    int disabled = 5;       // installed text services that are not enabled
    int immMethods = 2;     // enabled IMM input methods, each with a hotkey
    int otherLanguages = 0; // further languages, each with `perLanguage` enabled input methods
    int perLanguage = 0;
    int otherHotkeys = 0; // direct-switch hotkeys of the other languages
};

// N enabled text services, N/2 disabled ones, N/4 IMM input methods, a hotkey on each.
SetupSize scaled(int n);
// Three languages of eight input methods, ten hotkeys in all.
SetupSize realistic();

// A started main window (FormCreate done) on a substitute holding the setup; registry calls
// are counted from the moment `start` returns.
class GeneratedSetup {
public:
    explicit GeneratedSetup(const SetupSize& size);
    GeneratedSetup(const GeneratedSetup&) = delete;
    GeneratedSetup& operator=(const GeneratedSetup&) = delete;

    void start();
    long registryCalls() const { return counter.calls; }
    long win32Calls() const { return counter.win32Calls; }
    void resetCount() { counter.reset(); }
    int processStarts() const;

    platform::Substitute windows;
    CountingRegistry counter{windows.registry};
    std::unique_ptr<TForm1> form;
};

} // namespace quillon::bench
