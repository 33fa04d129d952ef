// The laws of the configuration check, apply and load (tests/unit/config_laws.h) on machines
// and files drawn from the input: the unit tests run a fixed list of seeds, this target as
// many as it is given time for. A counterexample is shrunk and printed before the stop.
#include "fuzz_support.h"

#include "tests/unit/config_laws.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon::testing::laws;
    std::uint32_t seed = 0;
    std::memcpy(&seed, data, std::min(size, sizeof seed));
    const std::size_t mutations = size > sizeof seed ? data[sizeof seed] % 8 : 3;
    const Case drawn = drawCase(seed, mutations);
    if (!breaks(drawn).empty()) {
        std::fprintf(stderr, "%s\n", breaks(shrink(drawn)).c_str());
        quillon::fuzz::law(false, "the check, the apply and the load agree and converge");
    }
    return 0;
}
