// The configuration file's INI text, and the check a load makes of a whole file before it
// changes anything. Input: the file's bytes.
#include "files/ini_document.h"
#include "files/config_file.h"
#include "fuzz_support.h"
#include "hotkeys/key_table.h"

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
    const bool checked = fuzz::answersOrRefuses([&] {
        const ConfigFile config = readConfig(bytes, languages, keys);
        if (config.problem) {
            configProblemMessage(u"C:\\a.cfg", *config.problem);
        }
    });
    law(checked, "the check reports problems, it does not raise them");
    return 0;
}
