// What only the in-memory backend offers: refusals and injected write failures.
#include "core/error.h"
#include "operations/registry_snapshot.h"
#include "platform/registry.h"
#include "platform/substitute/memory_registry.h"
#include "sample_ids.h"

#include <gtest/gtest.h>

namespace quillon::platform {
namespace {

using quillon::testing::kKeyboardLayouts;

TEST(MemoryRegistry, DeniedFullAccessStillReadsAsWindowsDoesWithoutAdminRights) {
    MemoryRegistry backend;
    backend.put(Hive::LocalMachine, kKeyboardLayouts + u"\\00000409", u"Layout Text",
                RegValue{kRegSz, {u'U', 0, u'S', 0, 0, 0}});
    backend.denyFullAccess(Hive::LocalMachine, u"SYSTEM");
    TRegistry reg(backend, Hive::LocalMachine);
    EXPECT_TRUE(reg.KeyExists(u"\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\00000409"));
    EXPECT_FALSE(reg.OpenKey(u"\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\", false));
    EXPECT_FALSE(reg.DeleteKey(u"\\SYSTEM\\CurrentControlSet"));
    EXPECT_TRUE(reg.KeyExists(u"\\SYSTEM\\CurrentControlSet"));
    // The other hive is unaffected.
    TRegistry user(backend, Hive::CurrentUser);
    EXPECT_TRUE(user.OpenKey(u"\\SYSTEM", true));
}

TEST(MemoryRegistry, WriteFaultFailsTheChosenChangeOnly) {
    MemoryRegistry backend;
    backend.setWriteFault(
        [](const RegWrite& w) { return w.kind == RegWrite::Kind::SetValue && w.name == u"bad"; });
    TRegistry reg(backend);
    ASSERT_TRUE(reg.OpenKey(u"\\Software\\Q", true));
    reg.WriteString(u"good", u"1");
    try {
        reg.WriteString(u"bad", u"2");
        FAIL() << "no error";
    } catch (const QuillonError& e) {
        EXPECT_NE(e.message().find(u"bad"), ustring::npos);
    }
    EXPECT_TRUE(reg.ValueExists(u"good"));
    EXPECT_FALSE(reg.ValueExists(u"bad"));
    EXPECT_EQ(backend.writeCount(), 3); // key creation, good, bad
}

TEST(MemoryRegistry, ValuesKeepCreationOrderWhenOverwritten) {
    MemoryRegistry backend;
    TRegistry reg(backend);
    ASSERT_TRUE(reg.OpenKey(u"\\K", true));
    reg.WriteInteger(u"b", 1);
    reg.WriteInteger(u"a", 2);
    reg.WriteInteger(u"B", 3); // same value, other case: stays in place
    StringList names;
    reg.GetValueNames(names);
    EXPECT_EQ(names, (StringList{u"b", u"a"}));
    EXPECT_EQ(reg.ReadInteger(u"b"), 3);
}

// A key kept under another spelling than its own keeps its name and its contents when every
// write fails from the start: the restore must not take it for a key the change made.
TEST(RegistryCheckpoint, KeyKeptUnderAnotherSpellingSurvivesFailingWrites) {
    MemoryRegistry backend;
    backend.put(Hive::CurrentUser, u"Parent\\A", u"v", RegValue{kRegDword, {1, 0, 0, 0}});
    backend.put(Hive::CurrentUser, u"Parent\\A\\Child", u"w", RegValue{kRegDword, {2, 0, 0, 0}});
    const std::string before = backend.dump(Hive::CurrentUser);
    RegistryCheckpoint checkpoint(backend, Hive::CurrentUser);
    checkpoint.keep(u"\\Parent\\a\\");
    backend.setWriteFault([](const RegWrite&) { return true; });
    EXPECT_EQ(
        backend.setValue(Hive::CurrentUser, u"Parent\\a", u"v", RegValue{kRegDword, {9, 0, 0, 0}}),
        RegStatus::Failed);
    EXPECT_TRUE(checkpoint.restore().empty());
    backend.setWriteFault(nullptr);
    EXPECT_EQ(backend.dump(Hive::CurrentUser), before);
}

// The key asked for, deleted by the change and made again in the caller's spelling, gets back
// its own name and contents.
TEST(RegistryCheckpoint, AKeptKeyMadeAgainGetsBackItsOwnSpelling) {
    MemoryRegistry backend;
    backend.put(Hive::CurrentUser, u"Parent\\zh-Hans-CN", u"v", RegValue{kRegDword, {1, 0, 0, 0}});
    backend.put(Hive::CurrentUser, u"Parent\\zh-Hans-CN\\Child", u"w",
                RegValue{kRegDword, {2, 0, 0, 0}});
    const std::string before = backend.dump(Hive::CurrentUser);
    RegistryCheckpoint checkpoint(backend, Hive::CurrentUser);
    checkpoint.keep(u"\\Parent\\ZH-HANS-CN");
    ASSERT_EQ(backend.deleteKeyTree(Hive::CurrentUser, u"Parent\\ZH-HANS-CN"), RegStatus::Ok);
    ASSERT_EQ(backend.openKey(Hive::CurrentUser, u"Parent\\ZH-HANS-CN", true), RegStatus::Ok);
    backend.setValue(Hive::CurrentUser, u"Parent\\ZH-HANS-CN", u"x",
                     RegValue{kRegDword, {3, 0, 0, 0}});
    EXPECT_TRUE(checkpoint.restore().empty());
    EXPECT_EQ(backend.dump(Hive::CurrentUser), before);
}

} // namespace
} // namespace quillon::platform
