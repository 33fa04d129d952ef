// ".reg" text ("Windows Registry Editor Version 5.00"): what regedit imports and exports.
// One fixture file serves the unit tests (loaded here) and the Wine tests (regedit /S).
#pragma once

#include "platform/substitute/memory_registry.h"

#include <string>
#include <string_view>

namespace quillon::platform {

// Applies the file to the registry: keys and values are added, "[-KEY]" and "name"=- delete.
// Accepts UTF-16LE with byte-order mark, or UTF-8 with or without one. Throws QuillonError
// naming the line for anything it does not understand.
void loadRegText(MemoryRegistry& registry, std::string_view fileBytes);

// The key and everything below it, in regedit's export form, as UTF-8 text that loads back
// into exactly the same keys and values. Throws QuillonError for a name that such text cannot
// hold: a lone surrogate, or a line break in a key name.
std::string saveRegText(RegistryBackend& registry, Hive hive, ustring_view path);

} // namespace quillon::platform
