// The one exception type: it carries the message the user sees in the error box.
#pragma once

#include "core/text.h"

#include <stdexcept>

namespace quillon {

class QuillonError : public std::runtime_error {
public:
    explicit QuillonError(ustring message)
        : std::runtime_error(toUtf8(message)), message_(std::move(message)) {}
    const ustring& message() const noexcept { return message_; }

private:
    ustring message_;
};

} // namespace quillon
