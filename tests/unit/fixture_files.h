// The fixture files the Wine tests import, read by unit tests too.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace quillon::testing {

inline std::string readFixture(const char* name) {
    std::ifstream in(std::string(QUILLON_FIXTURES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace quillon::testing
