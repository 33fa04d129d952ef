#include "platform/key_reads.h"

namespace quillon::platform {

const std::optional<KeyContents>& KeyReads::read(ustring_view path) {
    const ustring normal = normalizeKeyPath(path);
    const ustring key = toUpper(normal);
    const auto known = read_.find(key);
    if (known != read_.end()) {
        return known->second;
    }
    return read_.emplace(key, backend_.readKey(hive_, normal)).first->second;
}

bool KeyReads::exists(ustring_view path) {
    const ustring normal = normalizeKeyPath(path);
    const auto known = read_.find(toUpper(normal));
    return known != read_.end() ? known->second.has_value() : backend_.keyExists(hive_, normal);
}

std::optional<NamedValues> KeyReads::values(ustring_view path) {
    return backend_.values(hive_, normalizeKeyPath(path));
}

RegStatus KeyReads::deleteKeyTree(ustring_view path) {
    return backend_.deleteKeyTree(hive_, normalizeKeyPath(path));
}

} // namespace quillon::platform
