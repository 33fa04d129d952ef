#include "platform/substitute/memory_registry.h"

#include <algorithm>
#include <sstream>

namespace quillon::platform {

namespace {

struct NoCaseLess {
    bool operator()(const ustring& a, const ustring& b) const { return compareNoCase(a, b) < 0; }
};

std::vector<ustring> splitPath(ustring_view path) {
    std::vector<ustring> parts;
    const ustring normal = normalizeKeyPath(path);
    std::size_t i = 0;
    while (i < normal.size()) {
        const std::size_t end = normal.find(u'\\', i);
        const std::size_t stop = end == ustring::npos ? normal.size() : end;
        parts.emplace_back(normal.substr(i, stop - i));
        i = stop + 1;
    }
    return parts;
}

bool isPrefixPath(ustring_view prefix, ustring_view path) {
    const ustring p = normalizeKeyPath(prefix);
    const ustring q = normalizeKeyPath(path);
    if (p.empty()) {
        return true;
    }
    if (q.size() < p.size() || compareNoCase(ustring_view(q).substr(0, p.size()), p) != 0) {
        return false;
    }
    return q.size() == p.size() || q[p.size()] == u'\\';
}

} // namespace

struct MemoryRegistry::Key {
    ustring name;
    std::map<ustring, std::unique_ptr<Key>, NoCaseLess> children;
    std::vector<std::pair<ustring, RegValue>> values;

    std::pair<ustring, RegValue>* value(ustring_view valueName) {
        for (auto& v : values) {
            if (equalsNoCase(v.first, valueName)) {
                return &v;
            }
        }
        return nullptr;
    }
};

MemoryRegistry::MemoryRegistry()
    : currentUser_(std::make_unique<Key>()), localMachine_(std::make_unique<Key>()) {}

MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Key* MemoryRegistry::find(Hive hive, ustring_view path) const {
    Key* key = hive == Hive::CurrentUser ? currentUser_.get() : localMachine_.get();
    for (const auto& part : splitPath(path)) {
        const auto it = key->children.find(part);
        if (it == key->children.end()) {
            return nullptr;
        }
        key = it->second.get();
    }
    return key;
}

MemoryRegistry::Key* MemoryRegistry::create(Hive hive, ustring_view path) {
    Key* key = hive == Hive::CurrentUser ? currentUser_.get() : localMachine_.get();
    for (const auto& part : splitPath(path)) {
        auto& slot = key->children[part];
        if (!slot) {
            slot = std::make_unique<Key>();
            slot->name = part;
        }
        key = slot.get();
    }
    return key;
}

bool MemoryRegistry::denied(Hive hive, ustring_view path) const {
    return std::any_of(deniedPaths_.begin(), deniedPaths_.end(), [&](const auto& d) {
        return d.first == hive && isPrefixPath(d.second, path);
    });
}

bool MemoryRegistry::faulted(RegWrite::Kind kind, Hive hive, ustring_view path, ustring_view name) {
    ++writes_;
    return fault_ && fault_(RegWrite{kind, hive, normalizeKeyPath(path), ustring(name)});
}

RegStatus MemoryRegistry::openKey(Hive hive, ustring_view path, bool create) {
    if (denied(hive, path)) {
        return RegStatus::AccessDenied;
    }
    if (find(hive, path)) {
        return RegStatus::Ok;
    }
    if (!create) {
        return RegStatus::NotFound;
    }
    if (faulted(RegWrite::Kind::CreateKey, hive, path, u"")) {
        return RegStatus::Failed;
    }
    this->create(hive, path);
    return RegStatus::Ok;
}

bool MemoryRegistry::keyExists(Hive hive, ustring_view path) {
    return find(hive, path);
}

std::optional<RegValue> MemoryRegistry::queryValue(Hive hive, ustring_view path,
                                                   ustring_view name) {
    Key* key = find(hive, path);
    if (!key) {
        return std::nullopt;
    }
    auto* v = key->value(name);
    if (!v) {
        return std::nullopt;
    }
    return v->second;
}

RegStatus MemoryRegistry::setValue(Hive hive, ustring_view path, ustring_view name,
                                   const RegValue& value) {
    Key* key = find(hive, path);
    if (!key) {
        return RegStatus::NotFound;
    }
    if (denied(hive, path)) {
        return RegStatus::AccessDenied;
    }
    if (faulted(RegWrite::Kind::SetValue, hive, path, name)) {
        return RegStatus::Failed;
    }
    if (auto* v = key->value(name)) {
        v->second = value;
    } else {
        key->values.emplace_back(ustring(name), value);
    }
    return RegStatus::Ok;
}

RegStatus MemoryRegistry::deleteValue(Hive hive, ustring_view path, ustring_view name) {
    Key* key = find(hive, path);
    if (!key || !key->value(name)) {
        return RegStatus::NotFound;
    }
    if (denied(hive, path)) {
        return RegStatus::AccessDenied;
    }
    if (faulted(RegWrite::Kind::DeleteValue, hive, path, name)) {
        return RegStatus::Failed;
    }
    auto& values = key->values;
    values.erase(std::remove_if(values.begin(), values.end(),
                                [&](const auto& v) { return equalsNoCase(v.first, name); }),
                 values.end());
    return RegStatus::Ok;
}

RegStatus MemoryRegistry::deleteKeyTree(Hive hive, ustring_view path) {
    const auto parts = splitPath(path);
    if (parts.empty() || !find(hive, path)) {
        return RegStatus::NotFound;
    }
    if (denied(hive, path)) {
        return RegStatus::AccessDenied;
    }
    if (faulted(RegWrite::Kind::DeleteKey, hive, path, u"")) {
        return RegStatus::Failed;
    }
    removeKey(hive, path);
    return RegStatus::Ok;
}

std::vector<ustring> MemoryRegistry::subKeyNames(Hive hive, ustring_view path) {
    std::vector<ustring> names;
    if (Key* key = find(hive, path)) {
        for (const auto& child : key->children) {
            names.push_back(child.second->name);
        }
    }
    return names;
}

std::vector<ustring> MemoryRegistry::valueNames(Hive hive, ustring_view path) {
    std::vector<ustring> names;
    if (Key* key = find(hive, path)) {
        for (const auto& v : key->values) {
            names.push_back(v.first);
        }
    }
    return names;
}

std::optional<NamedValues> MemoryRegistry::values(Hive hive, ustring_view path) {
    Key* key = find(hive, path);
    if (!key) {
        return std::nullopt;
    }
    return NamedValues(key->values.begin(), key->values.end());
}

std::optional<KeyContents> MemoryRegistry::readKey(Hive hive, ustring_view path) {
    Key* key = find(hive, path);
    if (!key) {
        return std::nullopt;
    }
    KeyContents contents{NamedValues(key->values.begin(), key->values.end()), {}};
    for (const auto& child : key->children) {
        contents.subKeys.push_back(child.second->name);
    }
    return contents;
}

ChangesMade MemoryRegistry::changeValues(Hive hive, ustring_view path, bool create,
                                         const std::vector<ValueChange>& changes) {
    ChangesMade made;
    made.open = openKey(hive, path, create);
    if (made.open != RegStatus::Ok) {
        return made;
    }
    for (const ValueChange& change : changes) {
        made.failure = change.value ? setValue(hive, path, change.name, *change.value)
                                    : deleteValue(hive, path, change.name);
        if (made.failure != RegStatus::Ok) {
            break;
        }
        ++made.done;
    }
    return made;
}

void MemoryRegistry::denyFullAccess(Hive hive, ustring_view path) {
    deniedPaths_.emplace_back(hive, normalizeKeyPath(path));
}

void MemoryRegistry::setWriteFault(std::function<bool(const RegWrite&)> fault) {
    fault_ = std::move(fault);
}

void MemoryRegistry::put(Hive hive, ustring_view path, ustring_view name, const RegValue& value) {
    Key* key = create(hive, path);
    if (auto* v = key->value(name)) {
        v->second = value;
    } else {
        key->values.emplace_back(ustring(name), value);
    }
}

void MemoryRegistry::createKey(Hive hive, ustring_view path) {
    create(hive, path);
}

void MemoryRegistry::removeKey(Hive hive, ustring_view path) {
    const auto parts = splitPath(path);
    if (parts.empty()) {
        return;
    }
    ustring parent;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        parent = joinKeyPath(parent, parts[i]);
    }
    if (Key* key = find(hive, parent)) {
        key->children.erase(parts.back());
    }
}

void MemoryRegistry::removeValue(Hive hive, ustring_view path, ustring_view name) {
    if (Key* key = find(hive, path)) {
        auto& values = key->values;
        values.erase(std::remove_if(values.begin(), values.end(),
                                    [&](const auto& v) { return equalsNoCase(v.first, name); }),
                     values.end());
    }
}

std::string MemoryRegistry::dump(Hive hive, ustring_view path) const {
    std::ostringstream out;
    const Key* start = find(hive, path);
    if (!start) {
        return {};
    }
    std::function<void(const Key&, const ustring&)> walk = [&](const Key& key,
                                                               const ustring& keyPath) {
        out << '[' << toUtf8(keyPath) << "]\n";
        for (const auto& v : key.values) {
            out << toUtf8(v.first) << '=' << v.second.type << ':';
            static const char* const kHex = "0123456789abcdef";
            for (const auto b : v.second.data) {
                out << kHex[b >> 4] << kHex[b & 15];
            }
            out << '\n';
        }
        for (const auto& child : key.children) {
            walk(*child.second, joinKeyPath(keyPath, child.second->name));
        }
    };
    walk(*start, normalizeKeyPath(path));
    return out.str();
}

} // namespace quillon::platform
