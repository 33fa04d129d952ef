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
    if (!backend.keyExists(hive_, path) && backend.openKey(hive_, path, true) != RegStatus::Ok) {
        failed.emplace_back(path, ustring());
        return;
    }
    // Values: those added, or written again under another spelling, go; then every value that
    // is missing or differs is written.
    for (const ustring& name : backend.valueNames(hive_, path)) {
        const auto kept = std::find_if(values_.begin(), values_.end(),
                                       [&](const auto& v) { return equalsNoCase(v.first, name); });
        if ((kept == values_.end() || kept->first != name) &&
            backend.deleteValue(hive_, path, name) != RegStatus::Ok) {
            failed.emplace_back(path, name);
        }
    }
    for (const auto& [name, value] : values_) {
        const auto now = backend.queryValue(hive_, path, name);
        if ((!now || !(*now == value)) &&
            backend.setValue(hive_, path, name, value) != RegStatus::Ok) {
            failed.emplace_back(path, name);
        }
    }
    // Sub-keys: likewise, then each kept one in turn.
    for (const ustring& sub : backend.subKeyNames(hive_, path)) {
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

} // namespace quillon
