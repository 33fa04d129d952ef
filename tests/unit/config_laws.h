// The laws a sign-in script relies on, checked on generated machines and configuration files:
// each command runs as its own process (a fresh window model over the same substitute), and
// what Windows does with the PowerShell commands (the language list re-applied in the
// registry's order, the default input method set or cleared) is played between them.
#pragma once

#include "platform/substitute/substitute.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quillon {
class TForm1;
}

namespace quillon::testing::laws {

// A machine: everything drawn from the seed.
void buildMachine(platform::Substitute& windows, std::uint32_t seed);

// The registry's language profiles as TSF lists the enabled input methods, in its order.
void writeSortOrder(platform::Substitute& windows);

// What Windows does once the commands a run started have run: the default input method as
// Set-WinDefaultInputMethodOverride leaves it, and TSF's enabled input methods in the order
// the registry's language profiles give them, as the re-applied language list does.
void settle(platform::Substitute& windows);

// One command in a process of its own: a fresh window model started as a run starts it, what
// Windows does with the commands it starts played during its waits. The calls it made stay in
// `windows.calls`.
struct Run {
    int exitCode = 0;
    int writes = 0;
    int starts = 0;
    int waits = 0;
    std::string error;
};
Run run(platform::Substitute& windows, const std::function<void(TForm1&)>& command);

// The registry under HKEY_CURRENT_USER and TSF's profiles, as text.
std::string state(platform::Substitute& windows);

// One change to a configuration file, drawn from its seed.
struct Mutation {
    std::uint32_t seed;
};

struct Case {
    std::uint32_t machine = 0;
    std::optional<std::uint32_t> otherMachine; // the file is that machine's save, else M's own
    std::vector<Mutation> mutations;

    std::string describe() const;
};

// The laws for one case: empty when they hold, else what broke.
std::string breaks(const Case& c);

// A case drawn from the seed, with up to `maxMutations` changes.
Case drawCase(std::uint32_t seed, std::size_t maxMutations);

// The smallest case found by dropping mutations and the other machine that still breaks.
Case shrink(Case c);

} // namespace quillon::testing::laws
