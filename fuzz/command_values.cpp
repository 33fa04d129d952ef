// Arguments of the command line and values of the configuration file: which command an
// argument names, whole numbers and item splitting. Input: one argument as UTF-8.
#include "cli/command_table.h"
#include "core/items.h"
#include "core/whole_number.h"
#include "fuzz_support.h"

#include <string>

using namespace quillon;
using quillon::fuzz::law;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ustring text = fromUtf8(fuzz::bytesOf(data, size));

    matchArgument(text);

    // The two forms of the conversion agree: a value, or the error that names the text.
    const std::optional<std::int32_t> number = tryWholeNumber(text);
    bool refused = false;
    try {
        law(wholeNumber(text) == number, "both forms give the same number");
    } catch (const QuillonError&) {
        refused = true;
    }
    law(refused == !number.has_value(), "the error comes exactly when there is no number");
    if (number) {
        law(tryWholeNumber(fromUtf8(std::to_string(*number))) == number,
            "a number reads back from its decimal text");
    }

    for (const ustring& item : splitLoose(text)) {
        law(item.size() <= text.size(), "an item is never longer than the text");
    }
    const StringList strict = splitStrict(text, u',');
    law(text.empty() == strict.empty(), "only an empty text gives no item");
    std::size_t length = strict.empty() ? 0 : strict.size() - 1;
    for (const ustring& item : strict) {
        length += item.size();
    }
    law(length <= text.size(), "items and separators never outgrow the text");
    return 0;
}
