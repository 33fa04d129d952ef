// The test bed's powershell.exe: logs every command line and carries out the few international
// cmdlets the program runs, against the registry, the way Windows PowerShell would.
#include "format_list.h"
#include "standin_support.h"

#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

namespace quillon::testbed {

namespace {

const ustring kUserProfile = u"Control Panel\\International\\User Profile";
const ustring kLocalizedNames = u"Software\\QuillonTestBed\\LocalizedNames";

// The argument vector of CommandLineToArgvW, released with LocalFree.
class ArgumentVector {
public:
    ArgumentVector() { argv_ = CommandLineToArgvW(GetCommandLineW(), &count_); }
    ~ArgumentVector() {
        if (argv_ != nullptr) {
            LocalFree(argv_);
        }
    }
    ArgumentVector(ArgumentVector&& other) noexcept
        : argv_(std::exchange(other.argv_, nullptr)), count_(std::exchange(other.count_, 0)) {}
    ArgumentVector& operator=(ArgumentVector&&) = delete;
    ArgumentVector(const ArgumentVector&) = delete;
    ArgumentVector& operator=(const ArgumentVector&) = delete;

    std::vector<ustring> items() const {
        std::vector<ustring> out;
        for (int i = 0; argv_ != nullptr && i < count_; ++i) {
            out.push_back(fromWide(argv_[i]));
        }
        return out;
    }

private:
    LPWSTR* argv_ = nullptr;
    int count_ = 0;
};

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

ustring trim(ustring_view text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && isBlank(text[b])) {
        ++b;
    }
    while (e > b && isBlank(text[e - 1])) {
        --e;
    }
    return ustring(text.substr(b, e - b));
}

// PowerShell accepts any unambiguous prefix of a parameter name; "-c" counts as -Command.
bool isCommandSwitch(const ustring& arg) {
    if (arg.size() < 2 || (arg[0] != u'-' && arg[0] != u'/')) {
        return false;
    }
    const ustring name = toLower(ustring_view(arg).substr(1));
    return ustring(u"command").compare(0, name.size(), name) == 0;
}

// The script text: everything after -Command, joined by blanks as PowerShell joins it.
ustring commandText(const std::vector<ustring>& args) {
    ustring text;
    bool found = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (found) {
            if (!text.empty()) {
                text += u' ';
            }
            text += args[i];
        } else if (isCommandSwitch(args[i])) {
            found = true;
        }
    }
    return text;
}

// Splits "a | b" at pipes outside quotes; each part trimmed.
std::vector<ustring> pipeline(ustring_view script) {
    std::vector<ustring> parts;
    ustring current;
    char16_t quote = 0;
    for (const char16_t c : script) {
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'|') {
            parts.push_back(trim(current));
            current.clear();
            continue;
        }
        current.push_back(c);
    }
    parts.push_back(trim(current));
    return parts;
}

// Words of one command, quotes removed.
std::vector<ustring> words(ustring_view command) {
    std::vector<ustring> out;
    ustring current;
    bool inWord = false;
    char16_t quote = 0;
    for (const char16_t c : command) {
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else {
                current.push_back(c);
            }
        } else if (c == u'\'' || c == u'"') {
            quote = c;
            inWord = true;
        } else if (isBlank(c)) {
            if (inWord) {
                out.push_back(current);
                current.clear();
                inWord = false;
            }
        } else {
            current.push_back(c);
            inWord = true;
        }
    }
    if (inWord) {
        out.push_back(current);
    }
    return out;
}

// "& {...}" as the program writes it: the script block's body.
ustring scriptBody(ustring script) {
    script = trim(script);
    if (!script.empty() && script.front() == u'&') {
        script = trim(ustring_view(script).substr(1));
    }
    if (!script.empty() && script.front() == u'{') {
        script.erase(0, 1);
        if (!script.empty() && script.back() == u'}') {
            script.pop_back();
        }
    }
    return trim(script);
}

void writeOutput(const ustring& text) {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE || text.empty()) {
        return;
    }
    // Console programs write in the console's OEM code page (936 on Simplified Chinese).
    const UINT codePage = GetOEMCP();
    const int wideLength = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(codePage, 0, wide(text), wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, wide(text), wideLength, bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void printLanguageList() {
    const auto profile = RegKey::open(HKEY_CURRENT_USER, kUserProfile);
    const auto names = RegKey::open(HKEY_CURRENT_USER, kLocalizedNames);
    std::vector<ListObject> objects;
    for (const auto& tag : profile.readMultiString(u"Languages")) {
        const ustring name = names.readString(tag).value_or(tag);
        objects.push_back({{u"LanguageTag", tag}, {u"LocalizedName", name}});
    }
    writeOutput(formatList(objects));
}

// Set-WinDefaultInputMethodOverride [-InputTip] 'LLLL:...': with a tip it becomes the
// override; without one the override is removed.
void setDefaultInputMethodOverride(const std::vector<ustring>& arguments) {
    ustring tip;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (!equalsNoCase(arguments[i], u"-InputTip")) {
            tip = arguments[i];
            break;
        }
    }
    const auto key = RegKey::create(HKEY_CURRENT_USER, kUserProfile);
    if (tip.empty()) {
        key.deleteValue(u"InputMethodOverride");
    } else {
        key.writeString(u"InputMethodOverride", tip);
    }
}

// Windows PowerShell takes a good part of a second to start; the stand-in answers at once
// unless QUILLON_POWERSHELL_START_MS asks it to take as long, which the start-up measurement
// does to compare programs the way they start on Windows.
void waitAsPowerShellStarts() {
    wchar_t value[16] = {};
    const DWORD length = GetEnvironmentVariableW(L"QUILLON_POWERSHELL_START_MS", value, 16);
    if (length > 0 && length < 16) {
        const int ms = _wtoi(value);
        if (ms > 0 && ms <= 10000) {
            Sleep(static_cast<DWORD>(ms));
        }
    }
}

void run() {
    waitAsPowerShellStarts();
    appendLogLine(u"powershell.log", toUtf8(fromWide(GetCommandLineW())));
    const auto commands = pipeline(scriptBody(commandText(ArgumentVector().items())));
    const auto first = words(commands.front());
    if (first.empty()) {
        return;
    }
    const ustring cmdlet = toLower(first.front());
    if (cmdlet == u"get-winuserlanguagelist") {
        if (commands.size() > 1) {
            const auto next = words(commands[1]);
            const ustring formatter = next.empty() ? ustring() : toLower(next.front());
            if (formatter == u"format-list" || formatter == u"fl") {
                printLanguageList();
            }
        }
    } else if (cmdlet == u"set-windefaultinputmethodoverride") {
        setDefaultInputMethodOverride(first);
    }
    // Set-WinUserLanguageList, Set-WinLanguageBarOption and anything else: the log line is
    // all a test needs.
}

} // namespace

} // namespace quillon::testbed

int main() {
    try {
        quillon::testbed::run();
    } catch (...) {
        // A broken stand-in shows in the tests' checks, not as a failing command.
    }
    return 0;
}
