// Hotkey words of the command line: a modifier word and a key word that a command line carries
// well (no blanks, no Chinese side prefixes, no "/"). The help text lists them from here, so it
// names exactly the words the program accepts.
#pragma once

#include "hotkeys/key_table.h"

#include <vector>

namespace quillon {

struct HotkeyWord {
    ustring word; // as the command line gives it, after the callers' case conversion
    ustring text; // the modifier text or the key name it stands for
};

// The modifier words, in the order the help lists them.
const std::vector<HotkeyWord>& modifierWords();

// The word of every key-table row that a word reaches, in key-table order: the name itself when
// it has no blank, no "/" and no side prefix, otherwise its own word. Rows no word reaches are
// left out.
std::vector<HotkeyWord> keyWords(const KeyTable& table);

// The hotkey text a modifier word and a key word stand for. A modifier word no table knows
// gives no modifier; a key word no table knows is passed on as it is, so that the hotkey check
// names it.
ustring hotkeyOfWords(const ustring& modifierWord, const ustring& keyWord);

} // namespace quillon
