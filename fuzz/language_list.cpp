// The language list: the "Languages" multi-string of the user profile and the captured
// output of the PowerShell language query, converted from the console code page (the
// substitute's is UTF-8) and parsed into tag=name lines. Input: one byte n, then n bytes of the
// "Languages" value (UTF-16LE), then the captured output.
#include "app/tform1.h"
#include "fuzz_support.h"
#include "platform/substitute/substitute.h"

using namespace quillon;
using quillon::fuzz::law;

namespace {

void oneLine(const ustring& line) {
    law(line.find(u'=') != ustring::npos, "a tag, \"=\", a name");
    law(line.find_first_of(u" \r\n") == ustring::npos, "no blank, no line break");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Reader input(fuzz::bytesOf(data, size));
    const std::string_view languages = input.take(input.byte());
    const std::string output(input.rest());

    platform::Substitute windows;
    const ustring profile = u"Control Panel\\International\\User Profile";
    windows.registry.put(platform::Hive::CurrentUser, profile, u"Languages",
                         {platform::kRegMultiSz, {languages.begin(), languages.end()}});
    windows.registry.put(platform::Hive::CurrentUser, profile + u"\\zh-Hans-CN",
                         u"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
                         u"{FA550B04-5AD7-411F-A5AC-CA038EC515D7}",
                         {platform::kRegDword, {1, 0, 0, 0}});
    windows.registry.put(platform::Hive::CurrentUser, profile + u"\\en-US", u"0409:00000409",
                         {platform::kRegDword, {1, 0, 0, 0}});
    TForm1 form(windows.platform());
    form.mylangid = 0x00020804; // a locale with a sort id: the language is its low 16 bits

    windows.processes.runs.push_back({output, true, 300});
    for (const ustring& line : form.QueryLanguage()) {
        oneLine(line);
    }

    // The list asks again when PowerShell named another number of languages.
    windows.processes.runs.push_back({output, true, 300});
    fuzz::answersOrRefuses([&] { form.buildlanglist(); });
    law(form.lang.code.size() == form.lang.name.size() &&
            form.lang.codeFromKey.size() == form.lang.name.size() &&
            form.lang.text.size() == form.lang.name.size(),
        "one code and one text per language");
    law(form.ComboBox_Lang.items == form.lang.text, "the combo shows the texts");
    for (std::size_t i = 0; i < form.lang.code.size(); ++i) {
        law(form.lang.code[i].size() == 4, "a language code of four characters");
        law(form.lang.codeFromKey[i] || form.lang.code[i] == u"0804",
            "a language without an id of its own has the shown language's id");
    }
    for (const ustring& line : form.pwlanglist) {
        oneLine(line);
    }
    return 0;
}
