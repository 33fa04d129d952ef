#include "bench/generated_setup.h"

#include <string>

namespace quillon::bench {

namespace {

const char16_t* const kCategory = u"{34745C63-B2F0-4784-8B67-5E12C8701A31}";

Guid numberedGuid(std::uint32_t family, std::uint32_t n) {
    Guid g;
    g.data1 = 0x51000000u | (family << 16) | (n & 0xFFFFu);
    g.data2 = static_cast<std::uint16_t>(family);
    g.data3 = 0x4D2A;
    g.data4 = {0x80, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, static_cast<std::uint8_t>(family)};
    return g;
}

std::string hex(std::uint64_t value, int digits) {
    return toUtf8(hexText(value, digits));
}

std::string bytes4(std::uint32_t v) {
    return hex(v & 0xFF, 2) + "," + hex((v >> 8) & 0xFF, 2) + "," + hex((v >> 16) & 0xFF, 2) + "," +
           hex(v >> 24, 2);
}

// hex(7) data of a multi-string.
std::string multiString(const std::vector<std::string>& items) {
    std::string out;
    auto add = [&out](unsigned c) {
        out += (out.empty() ? "" : ",") + hex(c & 0xFF, 2) + "," + hex(c >> 8, 2);
    };
    for (const std::string& item : items) {
        for (const char c : item) {
            add(static_cast<unsigned char>(c));
        }
        add(0);
    }
    add(0);
    return out;
}

struct Language {
    std::uint16_t id;
    const char* tag;
    const char* name;
};

const Language kLanguages[] = {
    {0x0804, "zh-Hans-CN", "中文(中华人民共和国)"},
    {0x0409, "en-US", "English (United States)"},
    {0x0411, "ja-JP", "日本語"},
    {0x0404, "zh-Hant-TW", "中文(台灣)"},
};

} // namespace

SetupSize scaled(int n) {
    SetupSize s;
    s.textServices = n;
    s.disabled = n / 2;
    s.immMethods = n / 4;
    return s;
}

SetupSize realistic() {
    SetupSize s;
    s.textServices = 6;
    s.disabled = 3;
    s.immMethods = 2;
    s.otherLanguages = 2;
    s.perLanguage = 8;
    s.otherHotkeys = 4;
    return s;
}

GeneratedSetup::GeneratedSetup(const SetupSize& size) {
    const int languages = 1 + size.otherLanguages;
    std::string reg = "Windows Registry Editor Version 5.00\r\n\r\n";
    std::vector<std::string> tags;
    std::string query = "\r\n\r\n";
    for (int l = 0; l < languages; ++l) {
        tags.emplace_back(kLanguages[l].tag);
        query += std::string("LanguageTag   : ") + kLanguages[l].tag +
                 "\r\nLocalizedName : " + kLanguages[l].name + "\r\n\r\n";
    }
    windows.processes.runs.push_back({query + "\r\n", true, 800});
    reg += "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\r\n"
           "\"Languages\"=hex(7):" +
           multiString(tags) + "\r\n\r\n";

    const std::string hkcu = "[HKEY_CURRENT_USER\\";
    const std::string layouts =
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\";
    reg += layouts + "00000409]\r\n\"Layout Text\"=\"US\"\r\n\r\n";
    int immSlot = 0x100;
    int switchEntry = 1000;
    int hotkeysLeft = size.otherHotkeys;

    for (int l = 0; l < languages; ++l) {
        const Language& lang = kLanguages[l];
        const std::string id4 = hex(lang.id, 4);
        const bool shown = l == 0;
        const int services = shown ? size.textServices : size.perLanguage - 1;
        const int imms = shown ? size.immMethods : 1;
        reg += hkcu + "Software\\Microsoft\\CTF\\Assemblies\\0x0000" + id4 + "\\" +
               toUtf8(kCategory) + "]\r\n\"Default\"=\"" + toUtf8(nullGuidText()) + "\"\r\n\r\n";
        std::string profileKey = hkcu + "Control Panel\\International\\User Profile\\" + lang.tag +
                                 "]\r\n\"CachedLanguageName\"=\"@Winlangdb.dll,-1110\"\r\n";
        std::string sortOrder;
        // Items are numbered from 0, each called after its position (from 1) was taken.
        int position = 0;
        auto sortItem = [&](const std::string& clsid, const std::string& profile,
                            std::uint32_t hkl) {
            sortOrder += hkcu + "Software\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x0000" + id4 +
                         "\\" + toUtf8(kCategory) + "\\" +
                         hex(static_cast<std::uint32_t>(position - 1), 8) + "]\r\n\"CLSID\"=\"" +
                         clsid + "\"\r\n\"Profile\"=\"" + profile +
                         "\"\r\n\"KeyboardLayout\"=dword:" + hex(hkl, 8) + "\r\n\r\n";
        };
        for (int i = 0; i < services + (shown ? size.disabled : 0); ++i) {
            const bool enabled = i < services;
            const Guid clsid =
                numberedGuid(static_cast<std::uint32_t>(l), static_cast<std::uint32_t>(i));
            const Guid profile =
                numberedGuid(static_cast<std::uint32_t>(l + 8), static_cast<std::uint32_t>(i));
            platform::TfProfile p;
            p.profileType = platform::kTfProfileTypeInputProcessor;
            p.langid = lang.id;
            p.clsid = clsid;
            p.guidProfile = profile;
            p.catid = *parseGuid(kCategory);
            p.flags = enabled ? 2u : 0u;
            windows.addProfile({p, u"输入法 " + fromUtf8(std::to_string(i))});
            if (!enabled) {
                continue;
            }
            const std::string c = toUtf8(guidToText(clsid));
            const std::string pr = toUtf8(guidToText(profile));
            profileKey += "\"" + id4 + ":" + c + pr +
                          "\"=dword:" + hex(static_cast<std::uint32_t>(++position), 8) + "\r\n";
            sortItem(c, pr, 0);
            if (shown || hotkeysLeft-- > 0) {
                const int entry = switchEntry++;
                reg += hkcu + "Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\0000" +
                       std::to_string(entry) + "]\r\n\"CLSID\"=\"" + c + "\"\r\n\"LangId\"=\"0000" +
                       id4 + "\"\r\n\"Profile\"=\"" + pr + "\"\r\n\"PreservedKeyId\"=\"" +
                       toUtf8(guidToText(numberedGuid(99, static_cast<std::uint32_t>(entry)))) +
                       "\"\r\n\"Modifiers\"=\"0000C002\"\r\n\"virtualkey\"=\"000000" +
                       hex(0x41u + static_cast<std::uint32_t>(i % 26), 2) + "\"\r\n\r\n";
            }
        }
        for (int i = 0; i < imms; ++i) {
            const std::uint32_t hkl =
                0xE0000000u | (static_cast<std::uint32_t>(i + 0x20) << 16) | lang.id;
            reg += layouts + hex(hkl, 8) + "]\r\n\"Layout Text\"=\"IMM " + std::to_string(i) +
                   "\"\r\n\r\n";
            platform::TfProfile p;
            p.profileType = 2;
            p.langid = lang.id;
            p.catid = *parseGuid(kCategory);
            p.hkl = hkl;
            p.flags = 2;
            windows.addProfile({p, std::nullopt});
            profileKey += "\"" + id4 + ":" + hex(hkl, 8) +
                          "\"=dword:" + hex(static_cast<std::uint32_t>(++position), 8) + "\r\n";
            sortItem(toUtf8(nullGuidText()), toUtf8(nullGuidText()), hkl);
            if (immSlot <= 0x1FF && (shown || hotkeysLeft-- > 0)) {
                reg += hkcu + "Control Panel\\Input Method\\Hot Keys\\" +
                       hex(static_cast<std::uint32_t>(immSlot++), 8) +
                       "]\r\n\"Target IME\"=hex:" + bytes4(hkl) +
                       "\r\n\"Key Modifiers\"=hex:" + bytes4(0xC002) + "\r\n\"Virtual Key\"=hex:" +
                       bytes4(0x30u + static_cast<std::uint32_t>(i % 10)) + "\r\n\r\n";
            }
        }
        reg += profileKey + "\r\n" + sortOrder;
    }
    // The general toggles of Simplified Chinese.
    for (int t = 0; t < 3; ++t) {
        reg += hkcu + "Control Panel\\Input Method\\Hot Keys\\0000001" + std::to_string(t) +
               "]\r\n\"Key Modifiers\"=hex:" + bytes4(t == 0 ? 0xC002u : 0xC004u) +
               "\r\n\"Virtual Key\"=hex:" +
               bytes4(t == 0 ? 0x20u : 0xBEu + static_cast<std::uint32_t>(t)) +
               "\r\n\"Target IME\"=hex:00,00,00,00\r\n\r\n";
    }
    reg += hkcu + "Keyboard Layout\\Toggle]\r\n\"Hotkey\"=\"1\"\r\n\"Language Hotkey\"=\"1\"\r\n"
                  "\"Layout Hotkey\"=\"2\"\r\n\r\n";
    windows.loadReg(reg);

    platform::Platform os = windows.platform();
    form = std::make_unique<TForm1>(platform::Platform{counter, os.tsf, os.layouts, os.processes,
                                                       os.system, os.dialogs, os.messages,
                                                       os.hotkeys, os.processEnd, os.files});
}

void GeneratedSetup::start() {
    form->FormCreate();
    resetCount();
    windows.calls.clear();
}

int GeneratedSetup::processStarts() const {
    int n = 0;
    for (const std::string& call : windows.calls) {
        if (call.rfind("ShellExecute", 0) == 0) {
            ++n;
        }
    }
    return n;
}

} // namespace quillon::bench
