// The installed languages: localized names from PowerShell, tags and ids from the registry.
#include "app/tform1.h"
#include "platform/windows_keys.h"

#include <algorithm>
#include <vector>

namespace quillon {

namespace {

// Shown in the combo, and in the status bar of a wait, until PowerShell has named the languages.
const char16_t* const kReadingLanguages = u"正在读取语言列表…";

StringList splitLines(ustring_view text) {
    StringList lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
        ++i;
    }
    // A final line break ends the last line; it does not start an empty one.
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

bool contains(const ustring& line, const char16_t* label) {
    return line.find(label) != ustring::npos;
}

bool hasLabel(const ustring& line) {
    return contains(line, u"LanguageTag:") || contains(line, u"LocalizedName:") ||
           contains(line, u"InputMethodTips:");
}

// From the last line to the first: an empty line goes; a line without a label continues the
// line before it (the first line has none). Each kept line is put together once from its
// pieces, so that an output of any size is read in linear time.
StringList joinContinuations(const StringList& lines) {
    // Enough of what follows a line to find a label that a line break cut in two.
    constexpr std::size_t kLongestLabel = 16;
    StringList kept;
    std::vector<const ustring*> carried; // the continuation so far, its last piece first
    ustring carriedHead;                 // the continuation's first characters
    for (std::size_t i = lines.size(); i-- > 0;) {
        const ustring& line = lines[i];
        if (line.empty() && carried.empty()) {
            continue;
        }
        // The continuation holds no label of its own, or it would have been kept.
        const ustring head = line + carriedHead;
        if (i > 0 && !hasLabel(head)) {
            carried.push_back(&line);
            carriedHead = head.substr(0, kLongestLabel);
            continue;
        }
        ustring whole = line;
        for (auto piece = carried.rbegin(); piece != carried.rend(); ++piece) {
            whole += **piece;
        }
        kept.push_back(std::move(whole));
        carried.clear();
        carriedHead.clear();
    }
    std::reverse(kept.begin(), kept.end());
    return kept;
}

} // namespace

StringList TForm1::RunDosTolist(const ustring& DosApp) {
    const platform::CapturedOutput output =
        os().processes.RunCaptured(DosApp, [this] { ProcessMessages(); });
    if (!output.started) {
        return {};
    }
    // Converted as one text, so a double-byte character is never cut between two reads.
    return splitLines(os().system.OemToText(output.bytes));
}

ustring TForm1::languageQueryCommand() {
    return u"\"" + PowerShellPath() +
           u"\" -command \"& {get-WinUserLanguageList | format-list -property "
           u"languagetag,localizedname}\"";
}

StringList TForm1::QueryLanguage() {
    const StringList output = RunDosTolist(languageQueryCommand());
    ustring joined;
    for (const ustring& line : output) {
        for (const char16_t c : line) {
            if (c != u' ') {
                joined.push_back(c);
            }
        }
        joined += u"\r\n";
    }
    const StringList lines = joinContinuations(splitLines(joined));
    StringList tags;
    StringList names;
    for (const ustring& line : lines) {
        if (contains(line, u"LanguageTag:")) {
            tags.push_back(line.size() > 12 ? line.substr(12) : ustring());
        } else if (contains(line, u"LocalizedName:")) {
            names.push_back(line.size() > 14 ? line.substr(14) : ustring());
        }
    }
    StringList result;
    for (std::size_t i = 0; i < tags.size() && i < names.size(); ++i) {
        result.push_back(tags[i] + u"=" + names[i]);
    }
    return result;
}

int Tlang::position(ustring_view langid) const {
    int fallback = -1;
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (code[i] != langid) {
            continue;
        }
        if (i < codeFromKey.size() && codeFromKey[i]) {
            return static_cast<int>(i);
        }
        if (fallback < 0) {
            fallback = static_cast<int>(i);
        }
    }
    return fallback;
}

void TForm1::buildlanglist() {
    const ustring base = keys::fromRoot(keys::kUserProfile) + u"\\";
    platform::TRegistry reg(os().registry);
    StringList tags;
    if (reg.OpenKey(base, false)) {
        reg.ReadMultiString(u"Languages", tags);
    }
    // Built aside and put in place at the end: the language query below pumps messages, and a
    // refresh that runs meanwhile rebuilds the same lists.
    Tlang built;
    built.name = tags;
    for (const ustring& tag : tags) {
        // A tag without a key names no id.
        StringList names;
        if (reg.OpenKey(base + tag, false)) {
            reg.GetValueNames(names);
        }
        const auto named = std::find_if(names.begin(), names.end(), [](const ustring& n) {
            return n.size() >= 5 && n[4] == u':';
        });
        built.code.push_back(named != names.end() ? named->substr(0, 4) : hexText(LangId(), 4));
        built.codeFromKey.push_back(named != names.end());
    }
    // While the early query still runs, its answer is awaited, not asked for again.
    if ((languageNames == LanguageNames::NotAsked || languageNames == LanguageNames::Read) &&
        tags.size() != pwlanglist.size()) {
        pwlanglist = QueryLanguage();
    }
    lang = std::move(built);
    showLanguages();
}

void TForm1::showLanguages() {
    lang.text.clear();
    for (const ustring& tag : lang.name) {
        const auto line = std::find_if(pwlanglist.begin(), pwlanglist.end(), [&](const ustring& l) {
            return equalsNoCase(ustring_view(l).substr(0, l.find(u'=')), tag);
        });
        // A language PowerShell did not name is shown by its tag, so item p always stands for
        // position p of `code`.
        lang.text.push_back(line != pwlanglist.end() ? line->substr(line->find(u'=') + 1) : tag);
    }
    if (languageNames == LanguageNames::Running) {
        ComboBox_Lang.items = {kReadingLanguages};
        ComboBox_Lang.itemIndex = 0;
        ComboBox_Lang.enabled = false;
        return;
    }
    ComboBox_Lang.items = lang.text;
    ComboBox_Lang.itemIndex = lang.position(hexText(static_cast<std::uint32_t>(mylangid), 4));
    ComboBox_Lang.enabled = true;
}

void TForm1::takeLanguageNames() {
    // Read before the wait, which pumps messages: a poll that comes meanwhile finds nothing to
    // take.
    languageNames = LanguageNames::Read;
    pwlanglist = QueryLanguage();
    // Only the combo changes: the lists already show the language, and stay as they are.
    showLanguages();
    if (pwlanglist.empty() && !lang.name.empty()) {
        StatusBar1 = u"未能读取语言名称，语言列表中以语言标记代替。";
    }
    notifyChanged();
}

void TForm1::pollLanguageNames() {
    if (languageNames == LanguageNames::Running &&
        !os().processes.EarlyRunPending(languageQueryCommand())) {
        takeLanguageNames();
    }
}

void TForm1::waitForLanguageNames() {
    if (languageNames != LanguageNames::Running) {
        return;
    }
    // The window takes no input meanwhile, as in any other wait of an operation.
    const bool wasEnabled = Enabled;
    const ustring status = StatusBar1;
    Enabled = false;
    ScreenCursor = Cursor::HourGlass;
    StatusBar1 = kReadingLanguages;
    takeLanguageNames();
    if (StatusBar1 == kReadingLanguages) {
        StatusBar1 = status;
    }
    Enabled = wasEnabled;
    ScreenCursor = Cursor::Default;
    notifyChanged();
}

void TForm1::ComboBox_LangClick() {
    if (languageNames == LanguageNames::Running) {
        return; // the one item is the notice that the names are being read
    }
    const int p = ComboBox_Lang.itemIndex;
    if (p < 0 || p >= static_cast<int>(lang.code.size())) {
        return;
    }
    std::uint32_t id = 0;
    if (!parseHex32(lang.code[static_cast<std::size_t>(p)], id)) {
        return;
    }
    mylangid = static_cast<std::int32_t>(id);
    Button_RefreshClick();
}

} // namespace quillon
