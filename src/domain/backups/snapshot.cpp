#include "backups/snapshot.h"

#include <algorithm>

namespace quillon::backups {

namespace {

bool isAtOrBelow(ustring_view path, ustring_view top) {
    return path.size() >= top.size() && equalsNoCase(path.substr(0, top.size()), top) &&
           (path.size() == top.size() || path[top.size()] == u'\\');
}

ustring lastComponent(ustring_view path) {
    const std::size_t slash = path.rfind(u'\\');
    return ustring(slash == ustring_view::npos ? path : path.substr(slash + 1));
}

std::optional<KeyTree> readArea(platform::KeyReads& reads, const WrittenKey& key) {
    if (!key.value) {
        return readKeyTree(reads, key.path);
    }
    const auto& contents = reads.read(key.path);
    if (!contents) {
        return std::nullopt;
    }
    KeyTree tree;
    tree.name = lastComponent(key.path);
    for (const auto& value : contents->values) {
        if (equalsNoCase(value.first, key.value)) {
            tree.values.push_back(value);
        }
    }
    return tree;
}

void appendTree(std::vector<RegBlock>& blocks, const ustring& path, const KeyTree& tree) {
    RegBlock block;
    block.path = path;
    for (const auto& [name, value] : tree.values) {
        block.values.emplace_back(name, value);
    }
    blocks.push_back(std::move(block));
    for (const KeyTree& child : tree.children) {
        appendTree(blocks, path + u"\\" + child.name, child);
    }
}

// The node of `tree` (rooted at `top`) that `path` names, matching names without regard to
// case; null when there is none.
KeyTree* findNode(KeyTree& tree, ustring_view top, ustring_view path) {
    KeyTree* node = &tree;
    ustring_view rest = path.substr(std::min(path.size(), top.size() + 1));
    while (!rest.empty()) {
        const std::size_t slash = rest.find(u'\\');
        const ustring_view name = rest.substr(0, slash);
        const auto child =
            std::find_if(node->children.begin(), node->children.end(),
                         [&](const KeyTree& c) { return equalsNoCase(c.name, name); });
        if (child == node->children.end()) {
            return nullptr;
        }
        node = &*child;
        rest = slash == ustring_view::npos ? ustring_view() : rest.substr(slash + 1);
    }
    return node;
}

SnapshotArea takeArea(platform::KeyReads& reads, const WrittenKey& key) {
    SnapshotArea area{&key, readArea(reads, key), {}};
    if (!area.tree) {
        const ustring path = key.path;
        for (std::size_t end = 0; end != ustring::npos;) {
            end = path.find(u'\\', end + 1);
            area.firstMissing = path.substr(0, end);
            if (!reads.exists(area.firstMissing)) {
                break;
            }
        }
    }
    return area;
}

} // namespace

Snapshot takeSnapshot(platform::KeyReads& reads) {
    Snapshot snapshot;
    for (const WrittenKey& key : kWrittenKeys) {
        snapshot.areas.push_back(takeArea(reads, key));
    }
    return snapshot;
}

Snapshot takeSnapshotLike(platform::KeyReads& reads, const Snapshot& kept) {
    Snapshot snapshot;
    for (const SnapshotArea& area : kept.areas) {
        snapshot.areas.push_back(takeArea(reads, *area.key));
    }
    return snapshot;
}

RegFile toRegFile(const Snapshot& snapshot, const ustring& note) {
    RegFile file;
    file.note = note;
    for (const SnapshotArea& area : snapshot.areas) {
        const ustring path = area.key->path;
        // The key itself as it was spelled.
        ustring spelled = path;
        if (area.tree && !area.tree->name.empty()) {
            const std::size_t slash = path.rfind(u'\\');
            spelled =
                (slash == ustring::npos ? ustring() : path.substr(0, slash + 1)) + area.tree->name;
        }
        if (!area.tree) {
            file.blocks.push_back(
                RegBlock{area.firstMissing.empty() ? path : area.firstMissing, true, {}});
        } else if (area.key->value) {
            RegBlock block{spelled, false, {}};
            if (area.tree->values.empty()) {
                block.values.emplace_back(area.key->value, std::nullopt);
            } else {
                block.values.emplace_back(area.tree->values.front());
            }
            file.blocks.push_back(std::move(block));
        } else {
            file.blocks.push_back(RegBlock{path, true, {}});
            appendTree(file.blocks, spelled, *area.tree);
        }
    }
    return file;
}

std::optional<Snapshot> fromRegFile(const RegFile& file, ustring& problem) {
    Snapshot snapshot;
    const auto& blocks = file.blocks;
    for (const WrittenKey& key : kWrittenKeys) {
        const auto exact = [&](const RegBlock& b) { return equalsNoCase(b.path, key.path); };
        auto at = std::find_if(blocks.begin(), blocks.end(), [&](const RegBlock& b) {
            return exact(b) && (b.deleted || key.value);
        });
        // A key that was not there, with a parent that was not there either.
        const auto deletedAbove = [&] {
            const auto above = std::find_if(blocks.begin(), blocks.end(), [&](const RegBlock& b) {
                return b.deleted && isAtOrBelow(key.path, b.path);
            });
            if (above != blocks.end()) {
                snapshot.areas.push_back(SnapshotArea{&key, std::nullopt, above->path});
            }
        };
        if (at == blocks.end()) {
            deletedAbove();
            continue;
        }
        SnapshotArea area{&key, std::nullopt, {}};
        if (key.value) {
            if (at->deleted) {
                area.firstMissing = at->path;
            } else {
                const auto value =
                    std::find_if(at->values.begin(), at->values.end(),
                                 [&](const auto& v) { return equalsNoCase(v.first, key.value); });
                if (value == at->values.end()) {
                    deletedAbove();
                    continue;
                }
                area.tree = KeyTree{lastComponent(at->path), {}, {}};
                if (value->second) {
                    area.tree->values.emplace_back(value->first, *value->second);
                }
            }
            snapshot.areas.push_back(std::move(area));
            continue;
        }
        // The key's own section follows its "[-KEY]", then every key below it, each after its
        // parent.
        for (auto it = at + 1;
             it != blocks.end() && !it->deleted && isAtOrBelow(it->path, key.path); ++it) {
            if (!area.tree) {
                if (it->path.size() != std::char_traits<char16_t>::length(key.path)) {
                    problem = u"注册表项“" + it->path + u"”出现在其上级项之前。";
                    return std::nullopt;
                }
                area.tree = KeyTree{lastComponent(it->path), {}, {}};
            } else {
                const std::size_t slash = it->path.rfind(u'\\');
                KeyTree* parent = findNode(*area.tree, key.path, it->path.substr(0, slash));
                const ustring name = it->path.substr(slash + 1);
                if (!parent || findNode(*area.tree, key.path, it->path)) {
                    problem = u"注册表项“" + it->path + u"”出现在其上级项之前，或出现了两次。";
                    return std::nullopt;
                }
                parent->children.push_back(KeyTree{name, {}, {}});
            }
            KeyTree* node = findNode(*area.tree, key.path, it->path);
            for (const auto& [name, value] : it->values) {
                if (!value) {
                    problem = u"注册表项“" + it->path + u"”中的值“" + name + u"”没有数据。";
                    return std::nullopt;
                }
                node->values.emplace_back(name, *value);
            }
        }
        if (!area.tree) {
            area.firstMissing = at->path;
        }
        snapshot.areas.push_back(std::move(area));
    }
    return snapshot;
}

} // namespace quillon::backups
