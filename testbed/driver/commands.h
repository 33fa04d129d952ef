// The commands of qdriver.exe: parsing of one invocation and running its commands in order.
#pragma once

#include "target.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qdriver {

class Args {
public:
    void set(const std::string& name, ustring value) { values_[name] = std::move(value); }
    bool has(const std::string& name) const { return values_.count(name) != 0; }
    std::optional<ustring> text(const std::string& name) const;
    // Decimal, or hexadecimal with a 0x prefix.
    std::optional<long long> integer(const std::string& name) const;
    ControlQuery control() const;

private:
    std::map<std::string, ustring> values_;
};

struct Context {
    WindowQuery window;
    DWORD timeoutMs = 20000;
    std::function<void(const std::string&)> print;

    HWND top() const { return waitForWindow(window, timeoutMs); }
};

struct Invocation {
    std::string command;
    Args args;
};

// Parses "[global options] COMMAND [options] [--then COMMAND [options]]...". Throws QuillonError
// on anything it does not know.
std::vector<Invocation> parseCommandLine(const std::vector<ustring>& arguments, Context& context);
void runCommand(const Invocation& invocation, const Context& context);
std::string usage();

} // namespace qdriver
