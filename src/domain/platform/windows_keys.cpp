// Key paths from the root.
#include "platform/windows_keys.h"

namespace quillon::keys {

// Built by appending: GCC 12 warns wrongly about an overlap in `u"\\" + ustring(key)` at -O3.
ustring fromRoot(const char16_t* key) {
    ustring path(1, u'\\');
    path += key;
    return path;
}

ustring fromRoot(const char16_t* key, ustring_view subkey) {
    ustring path = fromRoot(key);
    path += u'\\';
    path += subkey;
    return path;
}

} // namespace quillon::keys
