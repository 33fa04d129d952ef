#include "config_laws.h"

#include "app/tform1.h"
#include "core/error.h"
#include "drift/config_drift.h"
#include "drift/drift_commands.h"
#include "files/config_file.h"
#include "files/ini_document.h"
#include "platform/registry.h"
#include "sample_setup.h"

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>

namespace quillon::testing::laws {

namespace {

using platform::Hive;
using platform::Substitute;

const ustring kFile = u"C:\\Users\\user\\setup.cfg";
const ustring kReport = u"C:\\Users\\user\\report.txt";
const Guid kOtherClsid = *parseGuid(u"{2C4D6E8F-1A3B-4C5D-9E0F-1A2B3C4D5E6F}");
const Guid kOtherProfile = *parseGuid(u"{2C4D6E8F-1A3B-4C5D-9E0F-1A2B3C4D5E70}");

struct Language {
    const char16_t* tag;
    std::uint16_t id;
};
constexpr Language kLanguages[] = {{u"zh-Hans-CN", 0x0804}, {u"en-US", 0x0409}};

template <typename T> const T& pick(std::mt19937& rng, const std::vector<T>& items) {
    return items[std::uniform_int_distribution<std::size_t>(0, items.size() - 1)(rng)];
}

bool chance(std::mt19937& rng, int percent) {
    return std::uniform_int_distribution<int>(0, 99)(rng) < percent;
}

std::string binary(std::uint32_t v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "hex:%02x,%02x,%02x,%02x", v & 0xFF, (v >> 8) & 0xFF,
                  (v >> 16) & 0xFF, (v >> 24) & 0xFF);
    return buffer;
}

std::string guidText(const Guid& g, bool lower) {
    std::string text = toUtf8(guidToText(g));
    if (lower) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return static_cast<char>(std::tolower(c)); });
    }
    return text;
}

// The name the language's profile key gives an input method.
ustring tipOf(const platform::TfProfile& p) {
    const ustring language = hexText(p.langid, 4);
    if (p.profileType == platform::kTfProfileTypeInputProcessor) {
        return language + u":" + guidToText(p.clsid) + guidToText(p.guidProfile);
    }
    const ustring hkl = hexText(static_cast<std::uint32_t>(p.hkl), 8);
    return hkl.front() == u'E' || hkl.front() == u'e' ? language + u":" + hkl
                                                      : language + u":0000" + hkl.substr(0, 4);
}

std::optional<std::uint32_t> layoutOfTip(const ustring& tip, std::uint16_t langid) {
    const ustring rest = tip.substr(tip.find(u':') + 1);
    std::uint32_t value = 0;
    if (rest.size() != 8 || !parseHex32(rest, value)) {
        return std::nullopt;
    }
    return (value >> 28) == 0xE ? value : (value << 16) | langid;
}

} // namespace

void writeSortOrder(Substitute& windows) {
    for (const Language& language : kLanguages) {
        const ustring key = kUserProfile + u"\\" + language.tag;
        const auto values = windows.registry.values(Hive::CurrentUser, key);
        for (const auto& [name, value] : values ? *values : platform::NamedValues()) {
            if (name.find(u':') != ustring::npos) {
                windows.registry.deleteValue(Hive::CurrentUser, key, name);
            }
        }
        std::int32_t position = 1;
        for (const platform::ScriptedProfile& p : windows.tsf.profiles) {
            if (p.profile.langid == language.id && (p.profile.flags & 2) != 0) {
                windows.registry.put(Hive::CurrentUser, key, tipOf(p.profile),
                                     platform::dwordValue(position++));
            }
        }
    }
}

namespace {

// A file's document changed as the mutation's seed draws it.
void mutate(IniDocument& document, std::uint32_t seed) {
    std::mt19937 rng(seed);
    const ustring list = u"0804_list";
    StringList rows;
    if (const IniSection* section = document.section(list)) {
        for (const IniEntry& e : section->entries) {
            rows.push_back(e.value);
        }
    }
    // The list written anew where it stands, its keys numbered again.
    const auto writeRows = [&] {
        IniDocument rewritten;
        bool written = false;
        const auto writeList = [&] {
            rewritten.addSection(list);
            for (std::size_t i = 0; i < rows.size(); ++i) {
                rewritten.write(list, fromUtf8(std::to_string(i + 1)), rows[i]);
            }
            written = true;
        };
        for (const IniSection& section : document.sections()) {
            if (equalsNoCase(section.name, list)) {
                writeList();
                continue;
            }
            rewritten.addSection(section.name);
            for (const IniEntry& e : section.entries) {
                rewritten.write(section.name, e.key, e.value);
            }
        }
        if (!written) {
            writeList();
        }
        document = std::move(rewritten);
    };
    const auto withHotkey = [](const ustring& row, const ustring& hotkey) {
        return row.substr(0, row.rfind(u'|') + 1) + hotkey;
    };
    switch (std::uniform_int_distribution<int>(0, 11)(rng)) {
    case 0: // rows in another order
        std::shuffle(rows.begin(), rows.end(), rng);
        writeRows();
        break;
    case 1: // a row dropped
        if (!rows.empty()) {
            rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(rng() % rows.size()));
            writeRows();
        }
        break;
    case 2: { // a row of the disabled list enabled
        const IniSection* disabled = document.section(u"0804_disabled");
        if (disabled && !disabled->entries.empty()) {
            rows.push_back(disabled->entries[rng() % disabled->entries.size()].value + u"|");
            writeRows();
        }
        break;
    }
    case 3: // an input method this machine does not have
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(rng() % (rows.size() + 1)),
                    u"别处的输入法|" + guidToText(kOtherClsid) +
                        u"|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|" +
                        guidToText(kOtherProfile) + u"|00000000|Ctrl+Shift+8");
        writeRows();
        break;
    case 4: // a row listed twice
        if (!rows.empty()) {
            rows.push_back(rows[rng() % rows.size()]);
            writeRows();
        }
        break;
    case 5: // a hotkey in any modifier form
        if (!rows.empty()) {
            ustring& row = rows[rng() % rows.size()];
            row = withHotkey(
                row, pick(rng, std::vector<ustring>{u"", u"Ctrl+5", u"左Ctrl+5", u"右Ctrl+Shift+F2",
                                                    u"Ctrl+左Alt+5", u"左Shift+F3", u"Ctrl+7C",
                                                    u"ctrl+shift+f2", u"CTRL+6"}));
            writeRows();
        }
        break;
    case 6: { // the default anywhere, in odd forms
        const std::int32_t d = std::uniform_int_distribution<std::int32_t>(
            0, static_cast<std::int32_t>(rows.size()) + 1)(rng);
        const ustring text = fromUtf8(std::to_string(d));
        document.write(pick(rng, StringList{u"0804_other", u"0409_other"}), u"DefaultIME",
                       pick(rng, StringList{text, u"0x" + text, u"abc", text}));
        break;
    }
    case 7: // switching keys, colliding or not
        document.write(
            pick(rng, StringList{u"0804_switchkey", u"0409_switchkey"}),
            pick(rng, StringList{u"layout", u"language"}),
            pick(rng, StringList{u"Alt+Shift", u"ctrl+shift", u"DISABLE", u"`", u"nothing"}));
        break;
    case 8:
        document.write(pick(rng, StringList{u"0804_switchkey", u"0409_switchkey"}), u"CAPS",
                       pick(rng, StringList{u"Caps Lock", u"shift", u"other"}));
        break;
    case 9: // the toggles, "none" included
        document.write(
            u"0804_switchkey",
            pick(rng, StringList{u"Ime/NonIme Toggle", u"Symbol Toggle", u"Shape Toggle"}),
            pick(rng, StringList{u"none", u"NONE", u"Ctrl+SPACE", u"shift+space", u"左Ctrl+F6"}));
        break;
    case 10:
        document.write(pick(rng, StringList{u"0804_other", u"0409_other"}),
                       pick(rng, StringList{u"SwitchMode", u"LanguageBar", u"InputEmoji"}),
                       pick(rng, StringList{u"0", u"1", u"0x1", u"2", u"x"}));
        break;
    default: // a language this machine does not have
        document.write(u"0411_list", u"1", rows.empty() ? u"x" : rows.front());
        document.write(u"0411_other", u"InputEmoji", u"0");
        break;
    }
}

} // namespace

Run run(Substitute& windows, const std::function<void(TForm1&)>& command) {
    windows.calls.clear();
    windows.dialogs.boxes.clear();
    const int writesBefore = windows.registry.writeCount();
    TForm1 form(windows.platform());
    windows.processes.runs.push_back({kLanguageQueryOutput, true, 100});
    form.FormCreate();
    form.waitForLanguageNames();
    windows.calls.clear();
    // Windows takes up what a command started while the program waits for it to settle.
    for (std::int64_t at = 3000; at < 120000; at += 4000) {
        windows.messages.pendingInput.push_back(
            {windows.clockMs + at, [&windows] { settle(windows); }});
    }
    Run result;
    try {
        command(form);
    } catch (const QuillonError& e) {
        result.error = toUtf8(e.message());
    }
    windows.messages.pendingInput.clear();
    result.exitCode = form.ExitCode;
    result.writes = windows.registry.writeCount() - writesBefore;
    for (const std::string& call : windows.calls) {
        result.starts += call.rfind("ShellExecute", 0) == 0 || call.rfind("RunCaptured", 0) == 0;
        result.waits += call.rfind("MsgWait", 0) == 0;
    }
    return result;
}

namespace {

std::string fileOf(const Case& c) {
    std::string bytes;
    {
        Substitute source;
        buildMachine(source, c.otherMachine.value_or(c.machine));
        run(source, [](TForm1& form) { form.savecfg(kFile); });
        bytes = source.files.files.at(kFile);
    }
    if (c.mutations.empty()) {
        return bytes;
    }
    IniDocument document = readIni(bytes).document;
    for (const Mutation& m : c.mutations) {
        mutate(document, m.seed);
    }
    return document.bytes();
}

} // namespace

void buildMachine(Substitute& windows, std::uint32_t seed) {
    std::mt19937 rng(seed);
    // The language's input methods, some enabled, in any order; the US layout of English.
    std::vector<platform::ScriptedProfile> chinese = {
        {textService(0x0804, kPinyinClsid, kPinyinProfile, 0), u"微软拼音"},
        {textService(0x0804, kPinyinClsid, kWubiProfile, 0), u"微软五笔"},
        {textService(0x0804, kPinyinClsid, kShuangpinProfile, 0), u"微软双拼"},
        {layout(0x0804, 0x04090804, 0), std::nullopt},
        {layout(0x0804, 0xE0200804, 0), std::nullopt},
    };
    std::shuffle(chinese.begin(), chinese.end(), rng);
    bool any = false;
    for (platform::ScriptedProfile& p : chinese) {
        if (chance(rng, 55)) {
            p.profile.flags = 2;
            any = true;
        }
    }
    if (!any) {
        chinese.front().profile.flags = 2;
    }
    // Layouts not enabled are listed from the machine's layouts, not from TSF.
    std::vector<platform::ScriptedProfile> listed;
    for (const platform::ScriptedProfile& p : chinese) {
        if (p.profile.flags != 0 ||
            p.profile.profileType == platform::kTfProfileTypeInputProcessor) {
            listed.push_back(p);
        }
    }
    SampleSetup::base().inputMethods(listed).build(windows);
    writeSortOrder(windows);

    std::ostringstream reg;
    reg << "Windows Registry Editor Version 5.00\n\n";
    // Direct-switch hotkeys in the forms Windows and other tools write.
    int entry = 1000;
    for (const Guid* profile : {&kPinyinProfile, &kWubiProfile, &kShuangpinProfile}) {
        if (!chance(rng, 40)) {
            continue;
        }
        const bool lower = chance(rng, 30);
        reg << "[HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\0000" << entry++
            << "]\n"
            << "\"CLSID\"=\"" << guidText(kPinyinClsid, lower) << "\"\n"
            << "\"LangId\"=\"00000804\"\n"
            << "\"Profile\"=\"" << guidText(*profile, lower) << "\"\n"
            << "\"Modifiers\"=\""
            << pick(rng, std::vector<std::string>{"0000C002", "00008002", "C006", "00000003"})
            << "\"\n"
            << "\"VirtualKey\"=\""
            << pick(rng, std::vector<std::string>{"00000035", "35", "00000071", "0000007C"})
            << "\"\n\n";
    }
    if (chance(rng, 40)) {
        reg << "[HKEY_CURRENT_USER\\Control Panel\\Input Method\\Hot Keys\\00000100]\n"
            << "\"Target IME\"=" << binary(0xE0200804) << "\n"
            << "\"Key Modifiers\"="
            << binary(pick(rng, std::vector<std::uint32_t>{0xC006, 0x8002, 0x4004, 0xC002})) << "\n"
            << "\"Virtual Key\"=" << binary(pick(rng, std::vector<std::uint32_t>{0x71, 0x35, 0x7C}))
            << "\n\n";
    }
    // The IME toggles: absent, without a key, set, or in the form of a bare Space.
    for (const char* toggle : {"00000010", "00000011", "00000012"}) {
        const int form = std::uniform_int_distribution<int>(0, 3)(rng);
        if (form == 0) {
            continue;
        }
        const std::uint32_t modifiers = form == 2 ? 0xC002 : 0;
        const std::uint32_t key = form == 1 ? 0 : 0x20;
        reg << "[HKEY_CURRENT_USER\\Control Panel\\Input Method\\Hot Keys\\" << toggle << "]\n"
            << "\"Key Modifiers\"=" << binary(modifiers) << "\n"
            << "\"Virtual Key\"=" << binary(key) << "\n"
            << "\"Target IME\"=" << binary(0) << "\n\n";
    }
    // The key is always there: a profile without it is the undo's own case (its writes stop).
    reg << "[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n";
    for (const char* name : {"Layout Hotkey", "Language Hotkey", "Hotkey"}) {
        if (chance(rng, 85)) {
            reg << "\"" << name << "\"=\"" << 1 + rng() % 4 << "\"\n";
        }
    }
    reg << "\n";
    reg << "[HKEY_CURRENT_USER\\Keyboard Layout]\n";
    if (chance(rng, 40)) {
        reg << "\"Attributes\"=dword:00010000\n";
    }
    reg << "\n";
    const int emoji = std::uniform_int_distribution<int>(0, 3)(rng);
    if (emoji > 0) {
        reg << "[HKEY_CURRENT_USER\\Software\\Microsoft\\Input\\Settings]\n"
            << "\"EnableExpressiveInputEmojiMultipleSelection\"=dword:0000000" << emoji - 1
            << "\n\n";
    }
    reg << "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
        << "\"UserPreferencesMask\"=hex:9e,1e,07,80," << (chance(rng, 50) ? "92" : "12") << ","
        << (chance(rng, 50) ? "01" : "00") << ",07,80\n\n";
    // The default: none, or any enabled input method, its GUIDs in either case.
    std::vector<const platform::TfProfile*> enabled;
    for (const platform::ScriptedProfile& p : windows.tsf.profiles) {
        if ((p.profile.flags & 2) != 0) {
            enabled.push_back(&p.profile);
        }
    }
    if (chance(rng, 70)) {
        ustring tip = tipOf(*pick(rng, enabled));
        if (chance(rng, 30)) {
            std::transform(tip.begin(), tip.end(), tip.begin(), [](char16_t c) {
                return c >= u'A' && c <= u'F' ? static_cast<char16_t>(c - u'A' + u'a') : c;
            });
        }
        reg << "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
            << "\"InputMethodOverride\"=\"" << toUtf8(tip) << "\"\n\n";
    }
    windows.loadReg(reg.str());
    windows.calls.clear();
    settle(windows);
}

void settle(Substitute& windows) {
    static const std::string kSet = "Set-WinDefaultInputMethodOverride '";
    for (const std::string& call : windows.calls) {
        if (call.rfind("ShellExecute", 0) != 0) {
            continue;
        }
        const std::size_t set = call.find(kSet);
        if (set != std::string::npos) {
            const std::size_t from = set + kSet.size();
            windows.registry.put(
                Hive::CurrentUser, kUserProfile, u"InputMethodOverride",
                platform::stringValue(fromUtf8(call.substr(from, call.find('\'', from) - from))));
        } else if (call.find("Set-WinDefaultInputMethodOverride}") != std::string::npos) {
            windows.registry.deleteValue(Hive::CurrentUser, kUserProfile, u"InputMethodOverride");
        } else if (call.find("Set-WinLanguageBarOption") != std::string::npos) {
            // The desktop language bar's byte of the preferences mask.
            auto mask =
                windows.registry.queryValue(Hive::CurrentUser, kDesktop, u"UserPreferencesMask");
            if (mask && mask->data.size() > 5) {
                mask->data[5] =
                    call.find("-UseLegacyLanguageBar") != std::string::npos ? 0x01 : 0x00;
                windows.registry.put(Hive::CurrentUser, kDesktop, u"UserPreferencesMask", *mask);
            }
        }
    }
    std::vector<platform::ScriptedProfile> profiles;
    for (const Language& language : kLanguages) {
        std::vector<std::pair<std::int32_t, ustring>> order;
        const auto values =
            windows.registry.values(Hive::CurrentUser, kUserProfile + u"\\" + language.tag);
        for (const auto& [name, value] : values ? *values : platform::NamedValues()) {
            if (name.find(u':') != ustring::npos) {
                order.emplace_back(platform::integerOf(value, name), name);
            }
        }
        std::stable_sort(order.begin(), order.end());
        std::vector<platform::ScriptedProfile> own;
        for (const platform::ScriptedProfile& p : windows.tsf.profiles) {
            if (p.profile.langid == language.id) {
                own.push_back(p);
            }
        }
        std::vector<bool> placed(own.size(), false);
        for (const auto& [position, tip] : order) {
            bool found = false;
            for (std::size_t i = 0; i < own.size() && !found; ++i) {
                if (!placed[i] && equalsNoCase(tipOf(own[i].profile), tip)) {
                    placed[i] = found = true;
                    own[i].profile.flags = 2;
                    profiles.push_back(own[i]);
                }
            }
            const auto hkl = layoutOfTip(tip, language.id);
            if (!found && hkl) {
                profiles.push_back({layout(language.id, *hkl, 2), std::nullopt});
            }
        }
        for (std::size_t i = 0; i < own.size(); ++i) {
            const bool ownLayout =
                own[i].profile.hkl == ((std::uint64_t{language.id} << 16u) | language.id);
            if (!placed[i] &&
                (own[i].profile.profileType == platform::kTfProfileTypeInputProcessor ||
                 ownLayout)) {
                own[i].profile.flags = 0;
                profiles.push_back(own[i]);
            }
        }
    }
    windows.tsf.profiles = std::move(profiles);
}

std::string state(Substitute& windows) {
    std::string out = windows.registry.dump(Hive::CurrentUser);
    for (const platform::ScriptedProfile& p : windows.tsf.profiles) {
        out += toUtf8(tipOf(p.profile)) + " " + std::to_string(p.profile.flags) + "\n";
    }
    return out;
}

std::string Case::describe() const {
    std::string text = "machine " + std::to_string(machine);
    if (otherMachine) {
        text += ", the save of machine " + std::to_string(*otherMachine);
    }
    text += ", mutations";
    for (const Mutation& m : mutations) {
        text += " " + std::to_string(m.seed);
    }
    return text;
}

std::string breaks(const Case& c) {
    const std::string file = fileOf(c);
    const std::string trace = c.describe() + "\nfile:\n" + file + "\n";
    const auto check = [&](Substitute& windows) {
        windows.files.files[kFile] = file;
        windows.files.files.erase(kReport);
        const Run r = run(windows, [](TForm1& form) {
            checkcfgCommand(form, u"C:\\Users\\user\\setup.cfg,C:\\Users\\user\\report.txt");
        });
        return std::make_pair(r, windows.files.files.count(kReport) > 0
                                     ? windows.files.files.at(kReport)
                                     : std::string("<no report>"));
    };
    const auto apply = [&](Substitute& windows) {
        windows.files.files[kFile] = file;
        const Run r = run(
            windows, [](TForm1& form) { applycfgCommand(form, u"C:\\Users\\user\\setup.cfg"); });
        settle(windows);
        return r;
    };

    Substitute a;
    buildMachine(a, c.machine);
    const std::string start = state(a);
    const auto [first, report] = check(a);
    if (!first.error.empty()) {
        return trace + "the check failed: " + first.error;
    }
    // (a) The check writes nothing and starts nothing.
    if (state(a) != start || first.writes != 0 || first.starts != 0) {
        return trace + "(a) the check changed the machine";
    }
    const bool holds = first.exitCode == 0 || first.exitCode == 3;
    const Run applied = apply(a);
    if (!applied.error.empty()) {
        return trace + "the apply failed: " + applied.error;
    }
    const std::string afterApply = state(a);
    // (b) Afterwards the check finds nothing an apply could change.
    const auto [second, secondReport] = check(a);
    if (second.exitCode != 0 && second.exitCode != 3) {
        return trace + "(b) after the apply the check says " + std::to_string(second.exitCode) +
               ":\n" + secondReport + "\nstate after the apply:\n" + afterApply + "\nbefore:\n" +
               start + "\napply: " + applied.error + std::to_string(applied.writes) + " writes";
    }
    // (e) A second apply does nothing at all.
    const Run again = apply(a);
    if (again.writes != 0 || again.starts != 0 || again.waits != 0 || state(a) != afterApply) {
        return trace + "(e) a second apply wrote " + std::to_string(again.writes) + ", started " +
               std::to_string(again.starts) + ", waited " + std::to_string(again.waits);
    }

    Substitute b;
    buildMachine(b, c.machine);
    b.files.files[kFile] = file;
    const Run loaded = run(b, [](TForm1& form) { form.loadcfg(u"C:\\Users\\user\\setup.cfg"); });
    settle(b);
    if (!loaded.error.empty()) {
        return trace + "the load failed: " + loaded.error;
    }
    // (c) The apply and the load end in the same state.
    if (state(b) != afterApply) {
        return trace + "(c) the load and the apply differ:\nload:\n" + state(b) + "\napply:\n" +
               afterApply;
    }
    // (d) The check said equal exactly when the load changed nothing; (f) follows for a
    // machine's own save.
    if (holds != (state(b) == start)) {
        return trace + "(d) the check said " + std::to_string(first.exitCode) + ":\n" + report +
               "\nbut the load " +
               (holds ? "changed the machine:\n" + state(b) + "\nfrom\n" + start
                      : std::string("changed nothing"));
    }
    if (!c.otherMachine && c.mutations.empty() && first.exitCode != 0) {
        return trace + "(f) the machine's own save differs:\n" + report;
    }
    return {};
}

Case drawCase(std::uint32_t seed, std::size_t maxMutations) {
    std::mt19937 rng(seed);
    Case c;
    c.machine = static_cast<std::uint32_t>(rng());
    if (chance(rng, 50)) {
        c.otherMachine = static_cast<std::uint32_t>(rng());
    }
    const std::size_t count = rng() % (maxMutations + 1);
    for (std::size_t i = 0; i < count; ++i) {
        c.mutations.push_back({static_cast<std::uint32_t>(rng())});
    }
    return c;
}

Case shrink(Case c) {
    bool smaller = true;
    while (smaller) {
        smaller = false;
        if (c.otherMachine) {
            Case without = c;
            without.otherMachine.reset();
            if (!breaks(without).empty()) {
                c = without;
                smaller = true;
            }
        }
        for (std::size_t i = 0; i < c.mutations.size(); ++i) {
            Case without = c;
            without.mutations.erase(without.mutations.begin() + static_cast<std::ptrdiff_t>(i));
            if (!breaks(without).empty()) {
                c = without;
                smaller = true;
                break;
            }
        }
    }
    return c;
}

} // namespace quillon::testing::laws
