#include "platform/registry.h"

#include "platform/key_reads.h"
#include "platform/registry_errors.h"

#include <algorithm>
#include <cstring>

namespace quillon::platform {

QuillonError registryTypeError(ustring_view name) {
    return QuillonError(u"注册表值“" + ustring(name) + u"”的数据类型不正确。");
}

QuillonError registryReadError(ustring_view name) {
    return QuillonError(u"无法读取注册表值“" + ustring(name) + u"”。");
}

QuillonError registryWriteError(ustring_view name) {
    return QuillonError(u"无法写入注册表值“" + ustring(name) + u"”。");
}

QuillonError registryDeleteError(ustring_view name) {
    return QuillonError(u"无法删除注册表值“" + ustring(name) + u"”。");
}

ustring quotedData(ustring_view text) {
    constexpr std::size_t kMost = 40;
    if (text.size() <= kMost) {
        return ustring(text);
    }
    // Never between the two halves of a surrogate pair.
    const bool pairCut = text[kMost - 1] >= 0xD800 && text[kMost - 1] <= 0xDBFF;
    return ustring(text.substr(0, pairCut ? kMost - 1 : kMost)) + u"……";
}

QuillonError registryDataError(ustring_view name, ustring_view text, ustring_view problem) {
    return QuillonError(u"注册表值“" + ustring(name) + u"”（“" + quotedData(text) + u"”）" +
                        ustring(problem));
}

ustring normalizeKeyPath(ustring_view path) {
    ustring out;
    std::size_t i = 0;
    while (i < path.size()) {
        const std::size_t end = path.find(u'\\', i);
        const std::size_t stop = end == ustring_view::npos ? path.size() : end;
        if (stop > i) {
            if (!out.empty()) {
                out += u'\\';
            }
            out.append(path.substr(i, stop - i));
        }
        i = stop + 1;
    }
    return out;
}

ustring joinKeyPath(ustring_view base, ustring_view relative) {
    ustring joined(base);
    joined += u'\\';
    joined.append(relative);
    return normalizeKeyPath(joined);
}

TRegistry::TRegistry(RegistryBackend& backend, Hive hive) : backend_(backend), hive_(hive) {}

ustring TRegistry::resolve(ustring_view key) const {
    const bool absolute = !key.empty() && key.front() == u'\\';
    if (absolute || !open_) {
        return normalizeKeyPath(key);
    }
    return joinKeyPath(path_, key);
}

bool TRegistry::OpenKey(ustring_view key, bool canCreate) {
    const ustring target = resolve(key);
    if (backend_.openKey(hive_, target, canCreate && !target.empty()) != RegStatus::Ok) {
        return false;
    }
    open_ = true;
    path_ = target;
    return true;
}

bool TRegistry::KeyExists(ustring_view key) {
    return backend_.keyExists(hive_, resolve(key));
}

void TRegistry::CloseKey() {
    open_ = false;
    path_.clear();
}

std::optional<RegValue> TRegistry::query(ustring_view name) {
    if (!open_) {
        return std::nullopt;
    }
    return backend_.queryValue(hive_, path_, name);
}

bool TRegistry::ValueExists(ustring_view name) {
    return query(name).has_value();
}

int TRegistry::GetDataSize(ustring_view name) {
    const auto value = query(name);
    return value ? static_cast<int>(value->data.size()) : -1;
}

std::uint32_t TRegistry::GetDataType(ustring_view name) {
    const auto value = query(name);
    return value ? value->type : kRegNone;
}

std::optional<RegValue> TRegistry::ReadValue(ustring_view name) {
    return query(name);
}

ustring stringOf(const RegValue& value, ustring_view name) {
    if (value.type != kRegSz && value.type != kRegExpandSz) {
        throw registryTypeError(name);
    }
    ustring text;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
        const auto unit =
            static_cast<char16_t>(value.data[i] | (static_cast<unsigned>(value.data[i + 1]) << 8));
        if (unit == 0) {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

std::int32_t integerOf(const RegValue& value, ustring_view name) {
    if (value.type != kRegDword || value.data.size() != 4) {
        throw registryTypeError(name);
    }
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        v |= static_cast<std::uint32_t>(value.data[i]) << (8 * i);
    }
    return static_cast<std::int32_t>(v);
}

const std::vector<std::uint8_t>& binaryOf(const RegValue& value, ustring_view name) {
    if (value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegDword) {
        throw registryTypeError(name);
    }
    return value.data;
}

ustring TRegistry::ReadString(ustring_view name) {
    const auto value = query(name);
    return value ? stringOf(*value, name) : ustring();
}

std::int32_t TRegistry::ReadInteger(ustring_view name) {
    const auto value = query(name);
    if (!value) {
        throw registryReadError(name);
    }
    return integerOf(*value, name);
}

int TRegistry::ReadBinaryData(ustring_view name, void* buffer, int size) {
    const auto value = query(name);
    if (!value) {
        return 0;
    }
    const std::vector<std::uint8_t>& data = binaryOf(*value, name);
    if (size < 0 || data.size() > static_cast<std::size_t>(size)) {
        throw registryTypeError(name);
    }
    if (!data.empty()) {
        std::memcpy(buffer, data.data(), data.size());
    }
    return static_cast<int>(data.size());
}

void TRegistry::GetKeyNames(StringList& list) {
    list.clear();
    if (open_) {
        list = backend_.subKeyNames(hive_, path_);
    }
}

void TRegistry::GetValueNames(StringList& list) {
    list.clear();
    if (open_) {
        list = backend_.valueNames(hive_, path_);
    }
}

void TRegistry::write(ustring_view name, const RegValue& value) {
    if (!open_ || backend_.setValue(hive_, path_, name, value) != RegStatus::Ok) {
        throw registryWriteError(name);
    }
}

RegValue stringValue(ustring_view text) {
    RegValue value{kRegSz, {}};
    value.data.reserve((text.size() + 1) * 2);
    for (const char16_t c : text) {
        value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        value.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    value.data.push_back(0);
    value.data.push_back(0);
    return value;
}

RegValue dwordValue(std::int32_t number) {
    const auto v = static_cast<std::uint32_t>(number);
    return RegValue{kRegDword,
                    {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                     static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}};
}

RegValue binaryValue(std::vector<std::uint8_t> bytes) {
    return RegValue{kRegBinary, std::move(bytes)};
}

void TRegistry::WriteString(ustring_view name, ustring_view text) {
    write(name, stringValue(text));
}

void TRegistry::WriteInteger(ustring_view name, std::int32_t number) {
    write(name, dwordValue(number));
}

void TRegistry::WriteBinaryData(ustring_view name, const void* data, int size) {
    std::vector<std::uint8_t> bytes;
    if (size > 0) {
        const auto* first = static_cast<const std::uint8_t*>(data);
        bytes.assign(first, first + size);
    }
    write(name, binaryValue(std::move(bytes)));
}

ValueChanges& ValueChanges::write(ustring_view name, RegValue value) {
    changes_.push_back({ustring(name), std::move(value)});
    return *this;
}

ValueChanges& ValueChanges::writeIfChanged(const NamedValues& present, ustring_view name,
                                           RegValue value) {
    const bool held = std::any_of(present.begin(), present.end(), [&](const auto& v) {
        return v.first == name && v.second == value;
    });
    return held ? *this : write(name, std::move(value));
}

ValueChanges& ValueChanges::remove(ustring_view name) {
    changes_.push_back({ustring(name), std::nullopt});
    return *this;
}

bool ValueChanges::apply(RegistryBackend& backend, Hive hive, ustring_view path,
                         bool create) const {
    const ChangesMade made = backend.changeValues(hive, normalizeKeyPath(path), create, changes_);
    if (made.open != RegStatus::Ok) {
        return false;
    }
    if (made.done < changes_.size()) {
        const ValueChange& failed = changes_[made.done];
        throw failed.value ? registryWriteError(failed.name) : registryDeleteError(failed.name);
    }
    return true;
}

bool ValueChanges::apply(KeyReads& reads, ustring_view path, bool create) const {
    return apply(reads.backend(), reads.hive(), path, create);
}

bool TRegistry::DeleteKey(ustring_view key) {
    const ustring target = resolve(key);
    // Deleting the hive root is never meant.
    if (target.empty()) {
        return false;
    }
    return backend_.deleteKeyTree(hive_, target) == RegStatus::Ok;
}

bool TRegistry::DeleteValue(ustring_view name) {
    return open_ && backend_.deleteValue(hive_, path_, name) == RegStatus::Ok;
}

} // namespace quillon::platform
