// Faults at every write. An operation runs once on a fresh window to count its registry writes
// W; then, each time on a fresh window again, with only the n-th write failing and with the
// n-th and every later one failing, for n = 1..W. A file it writes fails at several points of
// the new file and at the replace. Each run must end with the registry as before, or in a
// partial state the operation names and the message tells; nothing else may change, and no
// file may be left half written.
#pragma once

#include "app/tform1.h"
#include "core/error.h"
#include "hotkeys/hotkey_dialog.h"
#include "platform/substitute/substitute.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace quillon::testing {

// A window on the substitute, with the hotkey dialog made as the program's entry makes it.
struct SweepWorld {
    platform::Substitute windows;
    TForm1 form{windows.platform()};
    TForm2 dialog{form};
};

// Both hives, one entry per key ("HKCU\path"), the key's values in name order: a value put back
// by a rollback joins the end of its key's list, and Windows promises no order of values.
using RegistryState = std::map<std::string, std::string>;

inline RegistryState registryState(const platform::MemoryRegistry& registry) {
    RegistryState state;
    for (const auto& [hive, prefix] : {std::pair{platform::Hive::CurrentUser, "HKCU\\"},
                                       std::pair{platform::Hive::LocalMachine, "HKLM\\"}}) {
        const std::string dump = registry.dump(hive);
        std::string key;
        std::vector<std::string> values;
        const auto flush = [&] {
            std::sort(values.begin(), values.end());
            std::string text;
            for (const std::string& v : values) {
                text += v + "\n";
            }
            state[prefix + key] = text;
            values.clear();
        };
        std::size_t start = 0;
        bool first = true;
        while (start < dump.size()) {
            const std::size_t end = std::min(dump.find('\n', start), dump.size());
            const std::string line = dump.substr(start, end - start);
            start = end + 1;
            if (!line.empty() && line.front() == '[') {
                if (!first) {
                    flush();
                }
                first = false;
                key = line.substr(1, line.size() - 2);
            } else {
                values.push_back(line);
            }
        }
        if (!first) {
            flush();
        }
    }
    return state;
}

// The keys whose content differs, or which exist on one side only.
inline std::set<std::string> differingKeys(const RegistryState& a, const RegistryState& b) {
    std::set<std::string> keys;
    for (const auto& [key, values] : a) {
        const auto other = b.find(key);
        if (other == b.end() || other->second != values) {
            keys.insert(key);
        }
    }
    for (const auto& [key, values] : b) {
        if (a.count(key) == 0) {
            keys.insert(key);
        }
    }
    return keys;
}

inline bool under(const std::string& key, const std::string& prefix) {
    return key.size() >= prefix.size() && key.compare(0, prefix.size(), prefix) == 0 &&
           (key.size() == prefix.size() || key[prefix.size()] == '\\');
}

// A rollback that could not put everything back lists the keys that still differ; a key below
// one listed differs with it.
inline bool namedAsNotRestored(const ustring& message, const std::string& key) {
    // A change's rollback, and an undo's.
    ustring heading = u"以下注册表内容未能恢复为更改前的状态：";
    std::size_t list = message.find(heading);
    if (list == ustring::npos) {
        heading = u"以下注册表内容未能复原为撤销之前的状态：";
        list = message.find(heading);
    }
    if (list == ustring::npos) {
        return false;
    }
    const std::string hive =
        key.substr(0, 4) == "HKCU" ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
    std::size_t at = list + heading.size();
    while (at < message.size()) {
        const std::size_t end = std::min(message.find(u'\r', at), message.size());
        std::string line = toUtf8(message.substr(at, end - at));
        at = end + 1;
        line = line.substr(0, line.find(" 的值"));
        if (line.rfind(hive + "\\", 0) == 0 &&
            under(key, key.substr(0, 4) + line.substr(hive.size()))) {
            return true;
        }
    }
    return false;
}

struct Fault {
    enum class Kind { None, Once, FromThenOn, FileAt, FileReplace } kind = Kind::None;
    std::size_t at = 0; // the write (from 1), or the byte of the new file

    std::string text() const {
        static const char* const kNames[] = {"no fault", "only write", "from write", "file at byte",
                                             "file replace"};
        return std::string(kNames[static_cast<int>(kind)]) +
               (kind == Kind::None || kind == Kind::FileReplace ? "" : " " + std::to_string(at));
    }
};

// What a run left behind, with the world it ran in.
struct SweepRun {
    std::unique_ptr<SweepWorld> world;
    RegistryState before; // after the setup, before the operation
    RegistryState registry;
    std::map<ustring, std::string> filesBefore;
    std::map<ustring, std::string> files;
    // What the user was told: every error box, then the error the event boundary shows.
    ustring message;
    int writes = 0; // registry changes attempted
};

// An end state other than "as before" that an operation may leave where its steps are not one
// transaction: the registry keys it may leave changed (prefixes "HKCU\..." or "HKLM\..."),
// when it holds, and what the message then says (any one of the texts; none: the failure is
// shown by other means, such as the refreshed lists).
struct PartialState {
    const char* name;
    std::vector<std::string> keys;
    std::function<bool(const SweepRun& run)> holds;
    StringList told;
};

struct SweptOperation {
    const char* name;
    std::function<void(SweepWorld&)> setup; // before the before-state is taken
    std::function<void(SweepWorld&)> act;   // through the handlers, as a click would
    // The registry keys the operation may change; everything else stays as it was.
    std::vector<std::string> touches;
    std::vector<PartialState> partial;
};

inline SweepRun runSwept(const std::function<void(SweepWorld&)>& fixture, const SweptOperation& op,
                         const Fault& fault) {
    SweepRun run;
    run.world = std::make_unique<SweepWorld>();
    SweepWorld& w = *run.world;
    fixture(w);
    if (op.setup) {
        op.setup(w);
    }
    run.before = registryState(w.windows.registry);
    run.filesBefore = w.windows.files.files;
    w.windows.calls.clear();
    const std::size_t boxesBefore = w.windows.dialogs.boxes.size();
    int seen = 0;
    w.windows.registry.setWriteFault([&](const platform::RegWrite&) {
        ++seen;
        switch (fault.kind) {
        case Fault::Kind::Once:
            return seen == static_cast<int>(fault.at);
        case Fault::Kind::FromThenOn:
            return seen >= static_cast<int>(fault.at);
        default:
            return false;
        }
    });
    if (fault.kind == Fault::Kind::FileAt) {
        w.windows.files.failWriteAfter = fault.at;
    }
    w.windows.files.failReplace = fault.kind == Fault::Kind::FileReplace;
    ustring escaped;
    try {
        op.act(w);
    } catch (const QuillonError& e) {
        escaped = e.message();
    } catch (const std::exception& e) {
        ADD_FAILURE() << op.name << ", " << fault.text() << ": escaped " << e.what();
    } catch (...) {
        ADD_FAILURE() << op.name << ", " << fault.text() << ": something escaped";
    }
    w.windows.registry.setWriteFault(nullptr);
    w.windows.files.failWriteAfter.reset();
    w.windows.files.failReplace = false;
    const auto& boxes = w.windows.dialogs.boxes;
    for (std::size_t i = boxesBefore; i < boxes.size(); ++i) {
        if (boxes[i].flags & platform::kMbIconError) {
            run.message += boxes[i].text + u"\r";
        }
    }
    run.message += escaped;
    run.registry = registryState(w.windows.registry);
    run.files = w.windows.files.files;
    run.writes = seen;
    return run;
}

// Runs the operation's sweep and reports every run that ends in a state it does not name.
inline void sweepFaults(const std::function<void(SweepWorld&)>& fixture, const SweptOperation& op) {
    SCOPED_TRACE(op.name);
    const SweepRun clean = runSwept(fixture, op, {});
    const RegistryState& before = clean.before;
    const std::map<ustring, std::string>& filesBefore = clean.filesBefore;
    ASSERT_EQ(clean.message, u"") << "the operation fails without a fault";
    // Files written or replaced, not only removed (an undo removes the backup it took back).
    bool writesFile = false;
    for (const auto& [path, bytes] : clean.files) {
        const auto old = filesBefore.find(path);
        writesFile = writesFile || old == filesBefore.end() || old->second != bytes;
    }
    ASSERT_TRUE(clean.writes > 0 || clean.files != filesBefore) << "the operation writes nothing";
    for (const std::string& key : differingKeys(before, clean.registry)) {
        EXPECT_TRUE(std::any_of(op.touches.begin(), op.touches.end(),
                                [&](const std::string& p) { return under(key, p); }))
            << "the operation changes " << key << ", which it does not name";
    }

    std::vector<Fault> faults;
    for (int n = 1; n <= clean.writes; ++n) {
        faults.push_back({Fault::Kind::Once, static_cast<std::size_t>(n)});
        faults.push_back({Fault::Kind::FromThenOn, static_cast<std::size_t>(n)});
    }
    if (writesFile) {
        std::size_t size = 0;
        for (const auto& [path, bytes] : clean.files) {
            const auto old = filesBefore.find(path);
            if (old == filesBefore.end() || old->second != bytes) {
                size = std::max(size, bytes.size());
            }
        }
        for (const std::size_t at : std::set<std::size_t>{0, 1, size / 2, size - 1}) {
            faults.push_back({Fault::Kind::FileAt, at});
        }
        faults.push_back({Fault::Kind::FileReplace});
    }

    for (const Fault& fault : faults) {
        const SweepRun run = runSwept(fixture, op, fault);
        const std::string at = fault.text() + ", told \"" + toUtf8(run.message) + "\"";

        // Files: the old content or the complete new one, and no temporary file left.
        for (const auto& [path, bytes] : run.files) {
            const auto old = filesBefore.find(path);
            const auto complete = clean.files.find(path);
            EXPECT_TRUE((old != filesBefore.end() && old->second == bytes) ||
                        (complete != clean.files.end() && complete->second == bytes))
                << at << ": " << toUtf8(path) << " is left half written";
        }
        for (const auto& [path, bytes] : filesBefore) {
            EXPECT_EQ(run.files.count(path), 1u) << at << ": " << toUtf8(path) << " is gone";
        }

        // The registry: as before, or a partial state that holds, is told, and covers every
        // key that differs.
        std::vector<const PartialState*> states;
        bool silentAllowed = false;
        for (const PartialState& state : op.partial) {
            if (state.holds(run)) {
                states.push_back(&state);
                silentAllowed = silentAllowed || state.told.empty();
                EXPECT_TRUE(state.told.empty() || std::any_of(state.told.begin(), state.told.end(),
                                                              [&](const ustring& t) {
                                                                  return run.message.find(t) !=
                                                                         ustring::npos;
                                                              }))
                    << at << ": the message does not tell \"" << state.name << "\"";
            }
        }
        EXPECT_TRUE(silentAllowed || !run.message.empty()) << at << ": the failure is not shown";
        for (const std::string& key : differingKeys(before, run.registry)) {
            const bool touched = std::any_of(op.touches.begin(), op.touches.end(),
                                             [&](const std::string& p) { return under(key, p); });
            EXPECT_TRUE(touched) << at << ": " << key << " changed, outside the operation";
            const bool named = std::any_of(states.begin(), states.end(),
                                           [&](const auto* s) {
                                               return std::any_of(s->keys.begin(), s->keys.end(),
                                                                  [&](const std::string& p) {
                                                                      return under(key, p);
                                                                  });
                                           }) ||
                               namedAsNotRestored(run.message, key);
            EXPECT_TRUE(named) << at << ": " << key << " differs from before in no named state";
        }
    }
}

} // namespace quillon::testing
