#include "catalogue/input_method_entry.h"

namespace quillon {

EntryKind InputMethodEntry::kind() const {
    if (fields[kFieldClsid] != nullGuidText()) {
        return EntryKind::TextService;
    }
    const ustring& hkl = fields[kFieldHkl];
    return !hkl.empty() && hkl.front() == u'0' ? EntryKind::KeyboardLayout
                                               : EntryKind::ImmInputMethod;
}

} // namespace quillon
