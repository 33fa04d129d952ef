#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_services.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace quillon::platform {

namespace {

using win32::Handle;
using win32::wide;

constexpr DWORD kPollMs = 100;
constexpr DWORD kPieceBytes = 2400;

// Reads what the pipe holds right now, without waiting for more.
void drainAvailable(HANDLE pipe, std::string& bytes) {
    char piece[kPieceBytes];
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0) {
            return;
        }
        DWORD read = 0;
        if (!::ReadFile(pipe, piece, std::min(available, kPieceBytes), &read, nullptr) ||
            read == 0) {
            return;
        }
        bytes.append(piece, read);
    }
}

} // namespace

void Win32Processes::ShellExecute(ustring_view verb, ustring_view file, ustring_view parameters,
                                  int show) {
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    if (!shell32_) {
        shell32_ = win32::Library::system(L"shell32.dll");
    }
    // Without shell32 nothing starts, as when ShellExecuteW itself fails: callers go on either
    // way (a command-line run must still end).
    const auto shellExecute = shell32_.function<ShellExecuteFn>("ShellExecuteW");
    if (!shellExecute) {
        return;
    }
    const std::wstring verbText = wide(verb);
    shellExecute(nullptr, verb.empty() ? nullptr : verbText.c_str(), wide(file).c_str(),
                 wide(parameters).c_str(), nullptr, show);
}

namespace {

std::optional<Win32Processes::CapturedRun> startCaptured(ustring_view commandLine) {
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof(inheritable);
    inheritable.bInheritHandle = TRUE;
    Handle readEnd;
    Handle writeEnd;
    {
        HANDLE r = nullptr;
        HANDLE w = nullptr;
        if (!::CreatePipe(&r, &w, &inheritable, 0)) {
            return std::nullopt;
        }
        readEnd = Handle(r);
        writeEnd = Handle(w);
    }
    // Only the write end goes to the child; an inherited read end would keep the pipe from
    // ever reporting its end.
    if (!::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) {
        return std::nullopt;
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    // CreateProcessW may write into the command line, so it gets its own buffer.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                          nullptr, nullptr, &startup, &info)) {
        return std::nullopt;
    }
    const Handle thread(info.hThread);
    // Our write end goes now: once the child is gone nobody holds one, and reading sees the
    // end.
    return Win32Processes::CapturedRun{
        ustring(commandLine), Handle(info.hProcess), std::move(readEnd), {}};
}

} // namespace

void Win32Processes::StartEarly(ustring_view commandLine) {
    early_ = startCaptured(commandLine);
    if (!early_) {
        early_ = CapturedRun{ustring(commandLine), {}, {}, {}};
    }
}

bool Win32Processes::EarlyRunPending(ustring_view commandLine) {
    if (!early_ || early_->commandLine != commandLine || !early_->process) {
        return false;
    }
    drainAvailable(early_->readEnd.get(), early_->bytes);
    return ::WaitForSingleObject(early_->process.get(), 0) == WAIT_TIMEOUT;
}

CapturedOutput Win32Processes::RunCaptured(ustring_view commandLine,
                                           const std::function<void()>& serviceUi) {
    std::optional<CapturedRun> run;
    if (early_ && early_->commandLine == commandLine) {
        run = std::move(early_);
        early_.reset();
    } else {
        run = startCaptured(commandLine);
    }
    CapturedOutput out;
    if (!run || !run->process) {
        return out;
    }
    out.started = true;
    out.bytes = std::move(run->bytes);

    // Drained while waiting, so a child writing more than the pipe buffers never blocks.
    for (;;) {
        const DWORD waited = ::WaitForSingleObject(run->process.get(), kPollMs);
        drainAvailable(run->readEnd.get(), out.bytes);
        if (serviceUi) {
            serviceUi();
        }
        if (waited != WAIT_TIMEOUT) {
            break;
        }
    }
    // Everything the child wrote is in the pipe once it has ended. Reading stops when the pipe
    // is empty rather than at its end: a process the child left behind may still hold the
    // write end, and the UI thread must not wait on it.
    drainAvailable(run->readEnd.get(), out.bytes);
    return out;
}

ustring Win32Processes::SystemDirectory() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    UINT length = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    }
    if (length == 0 || length >= buffer.size()) {
        return {};
    }
    ustring path = win32::fromWide(buffer.data(), length);
    while (!path.empty() && path.back() == u'\\') {
        path.pop_back();
    }
    return path;
}

std::uint64_t Win32KeyboardLayouts::LoadKeyboardLayout(ustring_view klid, std::uint32_t flags) {
    return win32::fromHKL(::LoadKeyboardLayoutW(wide(klid).c_str(), flags));
}

bool Win32KeyboardLayouts::UnloadKeyboardLayout(std::uint64_t hkl) {
    return ::UnloadKeyboardLayout(win32::toHKL(hkl)) != FALSE;
}

std::uint64_t Win32KeyboardLayouts::ActivateKeyboardLayout(std::uint64_t hkl, std::uint32_t flags) {
    return win32::fromHKL(::ActivateKeyboardLayout(win32::toHKL(hkl), flags));
}

} // namespace quillon::platform
