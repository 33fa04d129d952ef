#include "cli/command_table.h"

#include "cli/command_line.h"

namespace quillon {

namespace {

enum class Match {
    Whole,  // the lower-cased argument equals the word
    Prefix, // the lower-cased argument starts with the word
    Name,   // the argument, lower-cased as text, starts with the word; the value keeps its case
};

enum class Value { None, Number, File, Name, LastCharacter };

struct Entry {
    const char16_t* word;
    Match match;
    Value value;
    Command command;
};

// In the order arguments are tested. "r", "refresh" and the single-argument commands are
// handled at start-up and match nothing here.
constexpr Entry kTable[] = {
    {u"caps", Match::Whole, Value::None, Command::Caps},
    {u"shift", Match::Whole, Value::None, Command::Shift},
    {u"bar:0", Match::Whole, Value::None, Command::Bar0},
    {u"bar:1", Match::Whole, Value::None, Command::Bar1},
    {u"emoji:0", Match::Whole, Value::None, Command::Emoji0},
    {u"emoji:1", Match::Whole, Value::None, Command::Emoji1},
    {u"alone:0", Match::Whole, Value::None, Command::Alone0},
    {u"alone:1", Match::Whole, Value::None, Command::Alone1},
    {u"layout", Match::Prefix, Value::LastCharacter, Command::Layout},
    {u"lang:", Match::Prefix, Value::LastCharacter, Command::Lang},
    {u"add_num", Match::Prefix, Value::Number, Command::AddNum},
    {u"add_name", Match::Name, Value::Name, Command::AddName},
    {u"del_num", Match::Prefix, Value::Number, Command::DelNum},
    {u"del_name", Match::Name, Value::Name, Command::DelName},
    {u"del_all", Match::Prefix, Value::None, Command::DelAll},
    {u"move_num", Match::Prefix, Value::Number, Command::MoveNum},
    {u"move_name", Match::Name, Value::Name, Command::MoveName},
    {u"langlist", Match::Prefix, Value::None, Command::LangList},
    {u"default_num", Match::Prefix, Value::Number, Command::DefaultNum},
    {u"default_name", Match::Name, Value::Name, Command::DefaultName},
    {u"hotkey_num:", Match::Prefix, Value::Number, Command::HotkeyNum},
    {u"hotkey_name:", Match::Name, Value::Name, Command::HotkeyName},
    {u"switchkey:", Match::Prefix, Value::Number, Command::SwitchKey},
    {u"export_enabled_list:", Match::Prefix, Value::File, Command::ExportEnabledList},
    {u"export_disabled_list:", Match::Prefix, Value::File, Command::ExportDisabledList},
    {u"savecfg:", Match::Prefix, Value::File, Command::SaveCfg},
    {u"loadcfg:", Match::Prefix, Value::File, Command::LoadCfg},
    {u"checkcfg:", Match::Prefix, Value::File, Command::CheckCfg},
    {u"applycfg:", Match::Prefix, Value::File, Command::ApplyCfg},
    {u"undo", Match::Whole, Value::None, Command::Undo},
};

ustring afterColon(const ustring& text) {
    const std::size_t colon = text.find(u':');
    return colon == ustring::npos ? text : text.substr(colon + 1);
}

bool matches(const Entry& entry, const ustring& raw, const ustring& low) {
    const ustring_view word = entry.word;
    switch (entry.match) {
    case Match::Whole:
        return low == word;
    case Match::Prefix:
        return low.compare(0, word.size(), word) == 0;
    case Match::Name:
        return toLower(ustring_view(raw).substr(0, word.size())) == word;
    }
    return false;
}

} // namespace

ustring trimControls(ustring_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] <= u' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] <= u' ') {
        --end;
    }
    return ustring(text.substr(begin, end - begin));
}

std::optional<Argument> matchArgument(ustring_view piece) {
    const ustring raw = trimControls(piece);
    const ustring low = lowerAscii(raw);
    for (const Entry& entry : kTable) {
        if (!matches(entry, raw, low)) {
            continue;
        }
        switch (entry.value) {
        case Value::None:
            return Argument{entry.command, {}};
        case Value::Number:
            return Argument{entry.command, afterColon(low)};
        case Value::File:
            return Argument{entry.command, trimControls(afterColon(low))};
        case Value::Name:
            return Argument{entry.command, afterColon(raw)};
        case Value::LastCharacter:
            return Argument{entry.command, low.substr(low.size() - 1)};
        }
    }
    return std::nullopt;
}

int switchKeyItem(int digit, bool forLanguage) {
    switch (digit) {
    case 0:
        return 2; // 禁用
    case 1:
        return 1; // Ctrl+Shift
    case 2:
        return 0; // Alt+Shift
    case 3:
        return 3; // `
    default:
        return forLanguage ? 0 : 1;
    }
}

} // namespace quillon
