// The backup file: what undo reads back from a folder the user may have edited or damaged.
// Input: the file's bytes (UTF-16 LE with its byte-order mark, as written).
#include "backups/reg_file.h"
#include "backups/snapshot.h"
#include "fuzz_support.h"

using namespace quillon;
using quillon::fuzz::law;

namespace {

bool sameTrees(const backups::Snapshot& a, const backups::Snapshot& b) {
    if (a.areas.size() != b.areas.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.areas.size(); ++i) {
        if (a.areas[i].key != b.areas[i].key || a.areas[i].tree != b.areas[i].tree ||
            !equalsNoCase(a.areas[i].firstMissing, b.areas[i].firstMissing)) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const backups::RegFileRead read = backups::readRegFile(fuzz::bytesOf(data, size));
    law(read.file.has_value() != !read.problem.empty(), "a file is read, or its problem named");
    if (!read.file) {
        return 0;
    }
    // What was read writes and reads back as itself (a name with a line break is refused).
    std::string written;
    if (!fuzz::answersOrRefuses([&] { written = backups::writeRegFile(*read.file); })) {
        return 0;
    }
    const backups::RegFileRead again = backups::readRegFile(written);
    law(again.file.has_value(), "what was written reads back");
    law(again.file->blocks.size() == read.file->blocks.size(), "every section reads back");
    for (std::size_t i = 0; i < again.file->blocks.size(); ++i) {
        const auto& a = again.file->blocks[i];
        const auto& b = read.file->blocks[i];
        law(a.path == b.path && a.deleted == b.deleted && a.values == b.values,
            "every section reads back as itself");
    }

    // The rows of the table it holds write and read back as the same snapshot.
    ustring problem;
    const auto snapshot = backups::fromRegFile(*read.file, problem);
    law(snapshot.has_value() != !problem.empty(), "a snapshot is read, or its problem named");
    if (!snapshot) {
        return 0;
    }
    std::string bytes;
    if (!fuzz::answersOrRefuses([&] {
            bytes = backups::writeRegFile(backups::toRegFile(*snapshot, read.file->note));
        })) {
        return 0;
    }
    const backups::RegFileRead back = backups::readRegFile(bytes);
    law(back.file.has_value(), "a snapshot's file reads back");
    ustring backProblem;
    const auto backSnapshot = backups::fromRegFile(*back.file, backProblem);
    law(backSnapshot && sameTrees(*snapshot, *backSnapshot), "a snapshot reads back as itself");
    return 0;
}
