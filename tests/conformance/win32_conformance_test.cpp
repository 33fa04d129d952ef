// The registry cases against the real registry (under Wine in the test bed), each in its own
// scratch key below HKEY_CURRENT_USER.
#include "registry_cases.h"

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>

namespace quillon::conformance {
namespace {

using platform::Hive;
using platform::RegStatus;

const ustring kScratchParent = u"Software\\QuillonConformance";

bool runningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

class Win32RegistryConformance : public ::testing::TestWithParam<std::size_t> {
protected:
    void SetUp() override {
        root_ = kScratchParent + u"\\" + fromUtf8(registryCases()[GetParam()].name);
        backend_.deleteKeyTree(Hive::CurrentUser, root_);
        ASSERT_EQ(backend_.openKey(Hive::CurrentUser, root_, true), RegStatus::Ok);
    }
    void TearDown() override {
        backend_.deleteKeyTree(Hive::CurrentUser, root_);
        if (backend_.subKeyNames(Hive::CurrentUser, kScratchParent).empty()) {
            backend_.deleteKeyTree(Hive::CurrentUser, kScratchParent);
        }
    }

    platform::Win32Registry backend_;
    ustring root_;
};

TEST_P(Win32RegistryConformance, Case) {
    // Windows enumerates values in creation order; Wine keeps them sorted by name.
    const RegistryCaseContext ctx{backend_, Hive::CurrentUser, root_, !runningUnderWine()};
    registryCases()[GetParam()].run(ctx);
}

INSTANTIATE_TEST_SUITE_P(Registry, Win32RegistryConformance,
                         ::testing::Range<std::size_t>(0, registryCases().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& param) {
                             return registryCases()[param.param].name;
                         });

} // namespace
} // namespace quillon::conformance
