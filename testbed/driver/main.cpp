// qdriver.exe: drives another program's window through the standard control messages, for the
// end-to-end tests under Wine. Results go to stdout as UTF-8, one per line ("\n"); failures to
// stderr, with exit code 1 (2 for a bad command line).
#include "commands.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

void writeLine(std::FILE* stream, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // Bytes as they are: UTF-8 and bare line feeds, for the shell scripts that read them.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    std::vector<quillon::ustring> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(qdriver::fromWide(argv[i]));
    }
    if (arguments.empty() || arguments[0] == u"--help" || arguments[0] == u"-h") {
        std::fputs(qdriver::usage().c_str(), arguments.empty() ? stderr : stdout);
        return arguments.empty() ? 2 : 0;
    }

    qdriver::Context context;
    context.print = [](const std::string& line) { writeLine(stdout, line); };
    std::vector<qdriver::Invocation> invocations;
    try {
        invocations = qdriver::parseCommandLine(arguments, context);
    } catch (const quillon::QuillonError& error) {
        writeLine(stderr, "qdriver: " + quillon::toUtf8(error.message()));
        std::fputs(qdriver::usage().c_str(), stderr);
        return 2;
    }
    for (const qdriver::Invocation& invocation : invocations) {
        try {
            qdriver::runCommand(invocation, context);
        } catch (const quillon::QuillonError& error) {
            writeLine(stderr,
                      "qdriver: " + invocation.command + ": " + quillon::toUtf8(error.message()));
            return 1;
        } catch (const std::exception& error) {
            writeLine(stderr, "qdriver: " + invocation.command + ": " + error.what());
            return 1;
        }
    }
    return 0;
}
