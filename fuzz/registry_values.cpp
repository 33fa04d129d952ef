// Registry values of any type and size read the ways the program reads them: the
// multi-string reader, strings, numbers, binary data and the hotkeys' 4-byte numbers.
// Input: one byte for the type, then the value's data.
#include "fuzz_support.h"
#include "hotkeys/hotkey_registry.h"
#include "platform/registry.h"
#include "platform/substitute/memory_registry.h"

#include <algorithm>

using namespace quillon;
using quillon::fuzz::law;

namespace {

// The types Windows defines, and one it does not.
constexpr std::uint32_t kTypes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x10, 0xFFFFFFFFu};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Reader input(fuzz::bytesOf(data, size));
    const std::uint32_t type = kTypes[input.pick(std::size(kTypes))];
    const std::string_view bytes = input.rest();

    platform::MemoryRegistry backend;
    backend.put(platform::Hive::CurrentUser, u"k", u"v", {type, {bytes.begin(), bytes.end()}});
    platform::TRegistry reg(backend);
    law(reg.OpenKey(u"\\k", false), "the key opens");

    // The multi-string: appended after what the list holds, each string non-empty and without
    // NUL, and together every non-NUL unit up to the last NUL, in order (a string that the
    // value does not end is not read).
    StringList list{u"before"};
    bool read = false;
    const bool answered = fuzz::answersOrRefuses([&] { read = reg.ReadMultiString(u"v", list); });
    if (answered) {
        law(read == !bytes.empty(), "true exactly when the value has data");
        law(list.front() == u"before", "appends");
        ustring joined;
        for (std::size_t i = 1; i < list.size(); ++i) {
            law(!list[i].empty() && list[i].find(u'\0') == ustring::npos,
                "non-empty strings without NUL");
            joined += list[i];
        }
        ustring units = fuzz::units(bytes);
        const std::size_t lastNul = units.rfind(u'\0');
        units.erase(lastNul == ustring::npos ? 0 : lastNul + 1);
        units.erase(std::remove(units.begin(), units.end(), u'\0'), units.end());
        law(joined == units, "every non-NUL unit up to the last NUL, in order");
    }

    fuzz::answersOrRefuses([&] {
        const ustring text = reg.ReadString(u"v");
        law(text.find(u'\0') == ustring::npos && text.size() <= bytes.size() / 2,
            "a string ends at its first NUL");
    });
    fuzz::answersOrRefuses([&] { reg.ReadInteger(u"v"); });
    fuzz::answersOrRefuses([&] {
        law(hotkeys::readBinary32(reg, u"v").has_value(), "a present value reads as a number");
    });
    std::vector<std::uint8_t> buffer(bytes.size() + 1);
    fuzz::answersOrRefuses([&] {
        const int copied = reg.ReadBinaryData(u"v", buffer.data(), static_cast<int>(buffer.size()));
        law(static_cast<std::size_t>(copied) == bytes.size(), "binary data read whole");
    });
    return 0;
}
