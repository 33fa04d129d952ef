// The test-only ".reg" text loader, and the saver that must give back what it loads: the
// fixtures of every other test pass through both. Input: the file's bytes (UTF-8, or UTF-16LE
// with its byte-order mark).
#include "platform/substitute/reg_text.h"
#include "fuzz_support.h"
#include "registry_tree.h"

using namespace quillon;
using platform::Hive;
using quillon::fuzz::law;

namespace {

// What UTF-8 text cannot hold, so the saver refuses it: a lone surrogate in a name, a line
// break in a key name.
bool hasNameTextCannotHold(const fuzz::Tree& tree) {
    for (const fuzz::KeyEntry& key : tree) {
        if (fuzz::hasLoneSurrogate(key.path) || key.path.find_first_of(u"\r\n") != ustring::npos) {
            return true;
        }
        for (const auto& value : key.values) {
            if (fuzz::hasLoneSurrogate(value.first)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::MemoryRegistry first;
    // A refused file may have been applied in part; what was applied must still save and load
    // back unchanged.
    fuzz::answersOrRefuses([&] { platform::loadRegText(first, fuzz::bytesOf(data, size)); });
    const fuzz::Tree user = fuzz::treeOf(first, Hive::CurrentUser);
    const fuzz::Tree machine = fuzz::treeOf(first, Hive::LocalMachine);

    std::string savedUser;
    std::string savedMachine;
    if (!fuzz::answersOrRefuses([&] {
            savedUser = platform::saveRegText(first, Hive::CurrentUser, u"");
            savedMachine = platform::saveRegText(first, Hive::LocalMachine, u"");
        })) {
        law(hasNameTextCannotHold(user) || hasNameTextCannotHold(machine),
            "the saver refuses only names the text cannot hold");
        return 0;
    }
    platform::MemoryRegistry second;
    law(fuzz::answersOrRefuses([&] {
            platform::loadRegText(second, savedUser);
            platform::loadRegText(second, savedMachine);
        }),
        "saved text loads");
    law(fuzz::treeOf(second, Hive::CurrentUser) == user &&
            fuzz::treeOf(second, Hive::LocalMachine) == machine,
        "saved text loads back the same keys and values");
    return 0;
}
