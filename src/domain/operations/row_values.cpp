#include "operations/row_values.h"

#include "core/error.h"

namespace quillon {

namespace {

QuillonError badRow(const InputMethodEntry& row, const char16_t* what) {
    return QuillonError(u"输入法“" + row.name + u"”的" + what + u"无效，未做任何更改。");
}

bool isHexDigits(ustring_view text, std::size_t count) {
    if (text.size() != count) {
        return false;
    }
    std::uint32_t ignored = 0;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        if (!parseHex32(text.substr(i, 4), ignored)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::uint32_t hklValue(const InputMethodEntry& row) {
    std::uint32_t value = 0;
    if (!parseHex32(row.fields[kFieldHkl], value)) {
        throw badRow(row, u"键盘布局标识（hkl）");
    }
    return value;
}

std::uint64_t layoutHandle(std::uint32_t hkl) {
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(hkl)));
}

std::uint16_t langidValue(const InputMethodEntry& row) {
    std::uint32_t value = 0;
    if (!parseHex32(row.fields[kFieldLangid], value) || value > 0xFFFF) {
        throw badRow(row, u"语言标识（langid）");
    }
    return static_cast<std::uint16_t>(value);
}

Guid guidField(const InputMethodEntry& row, std::size_t field) {
    const auto guid = parseGuid(row.fields[field]);
    if (!guid) {
        throw badRow(row, field == kFieldClsid ? u"类标识（clsid）" : u"配置文件标识（Profile）");
    }
    return *guid;
}

ustring inputMethodTip(const InputMethodEntry& row) {
    const ustring& hkl = row.fields[kFieldHkl];
    switch (row.kind()) {
    case EntryKind::TextService:
        return row.fields[kFieldLangid] + u":" + row.fields[kFieldClsid] +
               row.fields[kFieldProfile];
    case EntryKind::KeyboardLayout:
        return row.fields[kFieldLangid] + u":0000" + hkl.substr(0, 4);
    case EntryKind::ImmInputMethod:
        break;
    }
    return row.fields[kFieldLangid] + u":" + hkl;
}

ustring defaultInputMethodTip(const InputMethodEntry& row, std::int32_t mylangid) {
    if (row.kind() == EntryKind::TextService) {
        if (!isHexDigits(row.fields[kFieldLangid], 4) || !parseGuid(row.fields[kFieldClsid]) ||
            !parseGuid(row.fields[kFieldProfile])) {
            throw badRow(row, u"标识格式");
        }
        return row.fields[kFieldLangid] + u":" + row.fields[kFieldClsid] +
               row.fields[kFieldProfile];
    }
    const ustring& hkl = row.fields[kFieldHkl];
    if (!isHexDigits(hkl, 8)) {
        throw badRow(row, u"标识格式");
    }
    const ustring lang = hexText(static_cast<std::uint32_t>(mylangid), 4);
    return row.kind() == EntryKind::KeyboardLayout ? lang + u":0000" + hkl.substr(0, 4)
                                                   : lang + u":" + hkl;
}

} // namespace quillon
