#include "operations/registry_snapshot.h"

#include <algorithm>
#include <string>

namespace quillon {

namespace {

ustring parentOf(const ustring& path) {
    const std::size_t slash = path.rfind(u'\\');
    return slash == ustring::npos ? ustring() : path.substr(0, slash);
}

ustring lastComponent(const ustring& path) {
    const std::size_t slash = path.rfind(u'\\');
    return slash == ustring::npos ? path : path.substr(slash + 1);
}

// More lines than this would not fit a message box; the rest are counted.
constexpr std::size_t kListedAtMost = 20;

} // namespace

bool operator==(const KeyTree& a, const KeyTree& b) {
    return a.name == b.name && a.values == b.values && a.children == b.children;
}

std::optional<KeyTree> readKeyTree(platform::KeyReads& reads, ustring_view path) {
    const ustring normal = platform::normalizeKeyPath(path);
    const std::optional<platform::KeyContents>& contents = reads.read(normal);
    if (!contents) {
        return std::nullopt;
    }
    KeyTree tree;
    tree.name = lastComponent(normal);
    tree.values = contents->values;
    for (const ustring& child : contents->subKeys) {
        // A sub-key that went between the listing and its read is left out, as it is gone.
        if (auto below = readKeyTree(reads, platform::joinKeyPath(normal, child))) {
            below->name = child;
            tree.children.push_back(std::move(*below));
        }
    }
    return tree;
}

RegistrySnapshot RegistrySnapshot::fromTree(platform::Hive hive, ustring_view path,
                                            const std::optional<KeyTree>& tree,
                                            ustring_view firstMissing) {
    RegistrySnapshot snapshot;
    snapshot.hive_ = hive;
    snapshot.path_ = platform::normalizeKeyPath(path);
    snapshot.name_ = lastComponent(snapshot.path_);
    snapshot.existed_ = tree.has_value();
    if (!tree) {
        snapshot.firstMissing_ =
            firstMissing.empty() ? snapshot.path_ : platform::normalizeKeyPath(firstMissing);
        return snapshot;
    }
    // The key's own spelling, as the backup kept it.
    if (!tree->name.empty()) {
        snapshot.name_ = tree->name;
        snapshot.path_ = platform::joinKeyPath(parentOf(snapshot.path_), snapshot.name_);
    }
    snapshot.fill(*tree);
    return snapshot;
}

void RegistrySnapshot::fill(const KeyTree& tree) {
    existed_ = true;
    values_ = tree.values;
    for (const KeyTree& child : tree.children) {
        RegistrySnapshot kept;
        kept.hive_ = hive_;
        kept.name_ = child.name;
        kept.path_ = platform::joinKeyPath(path_, child.name);
        kept.fill(child);
        children_.push_back(std::move(kept));
    }
}

RegistrySnapshot RegistrySnapshot::take(platform::KeyReads& reads, ustring_view path) {
    RegistrySnapshot snapshot;
    snapshot.hive_ = reads.hive();
    snapshot.path_ = platform::normalizeKeyPath(path);
    snapshot.name_ = lastComponent(snapshot.path_);
    const std::optional<platform::KeyContents>& contents = reads.read(snapshot.path_);
    snapshot.existed_ = contents.has_value();
    if (!snapshot.existed_) {
        ustring prefix;
        std::size_t start = 0;
        while (start <= snapshot.path_.size()) {
            const std::size_t end =
                std::min(snapshot.path_.find(u'\\', start), snapshot.path_.size());
            prefix = snapshot.path_.substr(0, end);
            if (!reads.exists(prefix)) {
                break;
            }
            start = end + 1;
        }
        snapshot.firstMissing_ = prefix;
        return snapshot;
    }
    snapshot.values_ = contents->values;
    for (const ustring& child : contents->subKeys) {
        RegistrySnapshot kept = take(reads, platform::joinKeyPath(snapshot.path_, child));
        kept.name_ = child;
        snapshot.children_.push_back(std::move(kept));
    }
    return snapshot;
}

void RegistrySnapshot::restore(platform::RegistryBackend& backend, Failures& failed) const {
    if (!existed_) {
        if (!firstMissing_.empty() && backend.keyExists(hive_, firstMissing_) &&
            backend.deleteKeyTree(hive_, firstMissing_) != platform::RegStatus::Ok) {
            failed.emplace_back(firstMissing_, ustring());
        }
        return;
    }
    // The key itself is never deleted; but when the change deleted it and made it again, it
    // may now be spelled otherwise, and only making it once more gives back its own name.
    const ustring parent = parentOf(path_);
    for (const ustring& sibling : backend.subKeyNames(hive_, parent)) {
        if (equalsNoCase(sibling, name_) && sibling != name_ &&
            backend.deleteKeyTree(hive_, platform::joinKeyPath(parent, sibling)) !=
                platform::RegStatus::Ok) {
            failed.emplace_back(path_, ustring());
            return;
        }
    }
    restoreKey(backend, path_, failed);
}

void RegistrySnapshot::restoreKey(platform::RegistryBackend& backend, const ustring& path,
                                  Failures& failed) const {
    using platform::RegStatus;
    // What the key holds now, in one read of it.
    std::optional<platform::KeyContents> now = backend.readKey(hive_, path);
    if (!now) {
        if (backend.openKey(hive_, path, true) != RegStatus::Ok) {
            failed.emplace_back(path, ustring());
            return;
        }
        now.emplace();
    }
    // Values: those added, or written again under another spelling, go.
    std::vector<const std::pair<ustring, platform::RegValue>*> staying;
    for (const auto& value : now->values) {
        const auto kept = std::find_if(values_.begin(), values_.end(), [&](const auto& v) {
            return equalsNoCase(v.first, value.first);
        });
        if (kept == values_.end() || kept->first != value.first) {
            if (backend.deleteValue(hive_, path, value.first) != RegStatus::Ok) {
                failed.emplace_back(path, value.first);
            }
        } else {
            staying.push_back(&value);
        }
    }
    // The values that stay stand in the kept order up to the first one out of place (or
    // missing); from there on every value is written again in order, the ones that stay
    // removed first so that they come after the ones before them.
    std::size_t inPlace = 0;
    while (inPlace < staying.size() && inPlace < values_.size() &&
           staying[inPlace]->first == values_[inPlace].first) {
        ++inPlace;
    }
    if (inPlace < staying.size()) {
        for (std::size_t i = inPlace; i < staying.size(); ++i) {
            if (backend.deleteValue(hive_, path, staying[i]->first) != RegStatus::Ok) {
                failed.emplace_back(path, staying[i]->first);
            }
        }
        staying.resize(inPlace);
    }
    for (std::size_t i = 0; i < values_.size(); ++i) {
        const auto& [name, value] = values_[i];
        const bool same = i < staying.size() && staying[i]->second == value;
        if (!same && backend.setValue(hive_, path, name, value) != RegStatus::Ok) {
            failed.emplace_back(path, name);
        }
    }
    // Sub-keys: likewise, then each kept one in turn.
    for (const ustring& sub : now->subKeys) {
        const auto kept =
            std::find_if(children_.begin(), children_.end(),
                         [&](const RegistrySnapshot& c) { return equalsNoCase(c.name_, sub); });
        const ustring subPath = platform::joinKeyPath(path, sub);
        if ((kept == children_.end() || kept->name_ != sub) &&
            backend.deleteKeyTree(hive_, subPath) != RegStatus::Ok) {
            failed.emplace_back(subPath, ustring());
        }
    }
    for (const RegistrySnapshot& child : children_) {
        child.restoreKey(backend, platform::joinKeyPath(path, child.name_), failed);
    }
}

RegistryCheckpoint::RegistryCheckpoint(platform::RegistryBackend& backend, platform::Hive hive)
    : ownReads_(std::make_unique<platform::KeyReads>(backend, hive)), reads_(*ownReads_) {}

RegistryCheckpoint::RegistryCheckpoint(platform::KeyReads& reads) : reads_(reads) {}

void RegistryCheckpoint::keep(ustring_view path) {
    ustring normal = platform::normalizeKeyPath(path);
    if (!keptPaths_.insert(toUpper(normal)).second) {
        return;
    }
    // The key's own spelling, not the caller's: the restore gives a key back its name only
    // when it knows that name, and a differently spelled path must never pass for a new key.
    const ustring parent = parentOf(normal);
    auto listed = siblings_.find(toUpper(parent));
    if (listed == siblings_.end()) {
        std::map<ustring, ustring> byName;
        if (const auto& contents = reads_.read(parent)) {
            for (const ustring& sibling : contents->subKeys) {
                byName.emplace(toUpper(sibling), sibling); // the first of two spellings
            }
        }
        listed = siblings_.emplace(toUpper(parent), std::move(byName)).first;
    }
    const auto sibling = listed->second.find(toUpper(lastComponent(normal)));
    if (sibling != listed->second.end()) {
        normal = platform::joinKeyPath(parent, sibling->second);
    }
    kept_.push_back(RegistrySnapshot::take(reads_, normal));
}

StringList RegistryCheckpoint::restore() const {
    RegistrySnapshot::Failures failed;
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
        it->restore(reads_.backend(), failed);
    }
    // One line per key, naming the values that differ in it.
    const ustring hive = reads_.hive() == platform::Hive::CurrentUser ? u"HKEY_CURRENT_USER\\"
                                                                      : u"HKEY_LOCAL_MACHINE\\";
    StringList keys;
    StringList lines;
    for (const auto& [path, value] : failed) {
        const auto at = std::find(keys.begin(), keys.end(), path);
        const std::size_t i = static_cast<std::size_t>(at - keys.begin());
        if (at == keys.end()) {
            keys.push_back(path);
            lines.push_back(hive + path);
        }
        if (!value.empty()) {
            lines[i] += (lines[i].back() == u'”' ? u"、“" : u" 的值“") + value + u"”";
        }
    }
    return lines;
}

ustring rolledBackMessage(const ustring& error, const StringList& notRestored) {
    if (notRestored.empty()) {
        return error + u"\r注册表已恢复为更改前的状态。";
    }
    ustring message = error + u"\r以下注册表内容未能恢复为更改前的状态：";
    const std::size_t listed = std::min(notRestored.size(), kListedAtMost);
    for (std::size_t i = 0; i < listed; ++i) {
        message += u"\r" + notRestored[i];
    }
    if (notRestored.size() > listed) {
        message += u"\r……另有 " + fromUtf8(std::to_string(notRestored.size() - listed)) + u" 处";
    }
    return message;
}

void restoreSingleValue(platform::RegistryBackend& backend, const ustring& path,
                        const std::optional<KeyTree>& kept, const std::optional<KeyTree>& now,
                        const ustring& firstMissing, RegistrySnapshot::Failures& failed) {
    using platform::Hive;
    using platform::RegStatus;
    const auto* wanted = kept && !kept->values.empty() ? &kept->values.front() : nullptr;
    const auto* present = now && !now->values.empty() ? &now->values.front() : nullptr;
    if (present && (!wanted || present->first != wanted->first)) {
        if (backend.deleteValue(Hive::CurrentUser, path, present->first) != RegStatus::Ok) {
            failed.emplace_back(path, present->first);
            return;
        }
        present = nullptr;
    }
    if (wanted && !(present && present->second == wanted->second)) {
        if (!now && backend.openKey(Hive::CurrentUser, path, true) != RegStatus::Ok) {
            failed.emplace_back(path, ustring());
            return;
        }
        if (backend.setValue(Hive::CurrentUser, path, wanted->first, wanted->second) !=
            RegStatus::Ok) {
            failed.emplace_back(path, wanted->first);
        }
        return;
    }
    // A key that was not there goes again, and the parents made with it, unless something
    // else has come to live in them.
    if (kept || !now) {
        return;
    }
    for (ustring key = path; !key.empty();) {
        const auto contents = backend.readKey(Hive::CurrentUser, key);
        if (!contents || !contents->values.empty() || !contents->subKeys.empty()) {
            return;
        }
        if (backend.deleteKeyTree(Hive::CurrentUser, key) != RegStatus::Ok) {
            failed.emplace_back(key, ustring());
            return;
        }
        if (equalsNoCase(key, firstMissing)) {
            return;
        }
        const std::size_t slash = key.rfind(u'\\');
        key = slash == ustring::npos ? ustring() : key.substr(0, slash);
    }
}

} // namespace quillon
