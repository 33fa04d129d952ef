// What the main operations cost on Windows is their Win32 registry calls (each one a round trip
// into the kernel), so their growth with the user's setup is checked here by count, never by
// time: ten times the input methods may cost at most twelve times the calls.
#include "app/form_values.h"
#include "backups/backups.h"
#include "bench/generated_setup.h"
#include "drift/drift_commands.h"
#include "files/setup_reader.h"

#include <gtest/gtest.h>

#include <functional>

namespace quillon::testing {
namespace {

TEST(CallCounts, RegistryCallsGrowLinearlyWithTheSetup) {
    struct Operation {
        const char* name;
        std::function<void(TForm1&)> run;
        int processStarts; // the operation ran to its end
    };
    const Operation operations[] = {
        {"refresh", [](TForm1& form) { form.Button_RefreshClick(); }, 0},
        {"commit", [](TForm1& form) { form.Button_FixClick(); }, 1},
        {"enable",
         [](TForm1& form) {
             form.ListView2.selected = 0;
             form.Button_EnableClick();
         },
         1},
        {"move", [](TForm1& form) { form.move_num(form.ListView1.count(), 1); }, 1},
    };
    for (const Operation& operation : operations) {
        long calls[2] = {};
        long win32Calls[2] = {};
        for (int i = 0; i < 2; ++i) {
            bench::GeneratedSetup setup(bench::scaled(i == 0 ? 10 : 100));
            setup.start();
            operation.run(*setup.form);
            calls[i] = setup.registryCalls();
            win32Calls[i] = setup.win32Calls();
            EXPECT_EQ(setup.processStarts(), operation.processStarts) << operation.name;
        }
        EXPECT_GT(calls[0], 0) << operation.name;
        EXPECT_LE(calls[1], 12 * calls[0])
            << operation.name << ": " << calls[0] << " calls, then " << calls[1];
        EXPECT_LE(win32Calls[1], 12 * win32Calls[0])
            << operation.name << ": " << win32Calls[0] << " Win32 calls, then " << win32Calls[1];
    }
}

// Reading every language's setup (what a save and a backup write) costs at most a refresh per
// language and starts no process.
TEST(CallCounts, ReadingTheWholeSetupCostsAtMostARefreshPerLanguage) {
    bench::GeneratedSetup setup(bench::realistic());
    setup.start();
    setup.form->Button_RefreshClick();
    const long refresh = setup.registryCalls();
    setup.resetCount();
    const IniDocument document = readSetup(setup.form->os(), setup.form->lang.code,
                                           setup.form->scancode, otherSettingsShown(*setup.form));
    const long languages = static_cast<long>(setup.form->lang.code.size());
    EXPECT_GT(languages, 1);
    EXPECT_GE(document.sections().size(), 3u * static_cast<std::size_t>(languages));
    EXPECT_LE(setup.registryCalls(), languages * refresh);
    EXPECT_EQ(setup.processStarts(), 0);

    // An apply of a file the machine holds reads it and every language, and nothing more.
    const ustring file = u"C:\\Users\\me\\setup.cfg";
    setup.windows.files.files[file] = document.bytes();
    setup.resetCount();
    applyDifferences(*setup.form, file);
    EXPECT_LE(setup.registryCalls(), languages * refresh);
    EXPECT_EQ(setup.processStarts(), 0);
}

// A backup reads each key the program may write once, and nothing else: at most a refresh per
// language, no process. An undo of one changed value reads the same and writes that value.
TEST(CallCounts, ABackupCostsAtMostARefreshPerLanguage) {
    bench::GeneratedSetup setup(bench::realistic());
    setup.start();
    setup.form->Button_RefreshClick();
    const long refresh = setup.registryCalls();
    const long refreshWin32 = setup.win32Calls();
    const long languages = static_cast<long>(setup.form->lang.code.size());
    const ustring local = u"C:\\Users\\me\\AppData\\Local";
    setup.windows.system.localAppData = local;
    setup.windows.files.directories.push_back(u"C:\\Users\\me");
    setup.windows.files.directories.push_back(u"C:\\Users\\me\\AppData");
    setup.windows.files.directories.push_back(local);

    setup.resetCount();
    backups::beforeChange(*setup.form, u"a change");
    EXPECT_GT(setup.registryCalls(), 0);
    EXPECT_LE(setup.registryCalls(), languages * refresh);
    EXPECT_LE(setup.win32Calls(), languages * refreshWin32);
    EXPECT_EQ(setup.processStarts(), 0);
    const long backup = setup.registryCalls();

    setup.form->CheckBox3.checked = !setup.form->CheckBox3.checked;
    setup.form->CheckBox3Click();
    setup.form->backupAction.commandLine = true;
    setup.resetCount();
    backups::undoLastChange(*setup.form);
    setup.form->backupAction.commandLine = false;
    EXPECT_EQ(setup.processStarts(), 0);
    // The read of what may differ, the value, and the refresh that shows it.
    EXPECT_LE(setup.registryCalls(), backup + 10 + refresh);
}

} // namespace
} // namespace quillon::testing
