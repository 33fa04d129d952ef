// The configuration file's INI text, the check a load makes of a whole file before it changes
// anything, and the comparison of a checked file with a machine. Input: the file's bytes.
#include "files/ini_document.h"
#include "drift/config_drift.h"
#include "files/config_file.h"
#include "fuzz_support.h"
#include "hotkeys/key_table.h"

#include <algorithm>
#include <optional>

using namespace quillon;
using quillon::fuzz::law;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const IniRead read = readIni(bytes);
    if (read.badLine != 0) {
        law(read.document.sections().empty(), "text that is not UTF-8 gives no document");
    } else {
        // What is written reads back as the same sections, keys and values.
        const IniRead again = readIni(read.document.bytes());
        law(again.badLine == 0, "the written document is UTF-8");
        law(again.document.sections().size() == read.document.sections().size(),
            "the written document has the same sections");
        for (std::size_t s = 0; s < read.document.sections().size(); ++s) {
            const IniSection& a = read.document.sections()[s];
            const IniSection& b = again.document.sections()[s];
            law(equalsNoCase(a.name, b.name), "a section keeps its name");
            law(a.entries.size() == b.entries.size(), "a section keeps its keys");
            for (std::size_t e = 0; e < a.entries.size(); ++e) {
                law(a.entries[e].key == b.entries[e].key, "a key reads back as written");
                law(a.entries[e].value == b.entries[e].value, "a value reads back as written");
            }
        }
    }

    static const KeyTable keys = makeKeyTable();
    static const StringList languages = {u"0804", u"0409", u"0411"};
    std::optional<ConfigFile> config;
    const bool checked = fuzz::answersOrRefuses([&] {
        config = readConfig(bytes, languages, keys);
        if (config->problem) {
            configProblemMessage(u"C:\\a.cfg", *config->problem, u"没有导入任何设置");
        }
    });
    law(checked, "the check reports problems, it does not raise them");

    // A file the check lets through, against a machine of two of its languages: a difference
    // is always something to apply and nothing else is, and the report says one or the other.
    if (config && !config->problem) {
        static const StringList installed = {u"0804", u"0409"};
        static const IniDocument machine =
            readIni(
                "[0804_list]\r\n1=微软拼音|{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}|0804|"
                "{34745C63-B2F0-4784-8B67-5E12C8701A31}|{FA550B04-5AD7-411F-A5AC-CA038EC515D7}|"
                "00000000|Ctrl+5\r\n[0804_switchkey]\r\nlayout=Ctrl+Shift\r\nlanguage=disable\r\n"
                "CAPS=Caps Lock\r\nIme/NonIme Toggle=Ctrl+SPACE\r\nSymbol Toggle=none\r\n"
                "[0804_other]\r\nSwitchMode=0\r\nLanguageBar=1\r\nInputEmoji=0\r\nDefaultIME=1\r\n"
                "[0409_other]\r\nDefaultIME=0\r\n")
                .document;
        const ConfigDrift drift = compareSetup(config->document, machine, installed, keys);
        law(drift.holds() == drift.toApply.sections().empty(), "what differs is what is applied");
        const StringList lines = driftLines(drift);
        law(lines.size() == std::max<std::size_t>(drift.differences.size(), 1) +
                                drift.cannotHold.size() + drift.notInstalled.size(),
            "the report has a line for each difference, each input method this machine cannot "
            "hold and each language not installed");
        // What is applied holds nothing the file does not say.
        for (const IniSection& section : drift.toApply.sections()) {
            law(config->document.section(section.name) != nullptr,
                "only the file's own sections are applied");
        }
    }
    return 0;
}
