#include "registry_cases.h"

#include "platform/substitute/memory_registry.h"

#include <gtest/gtest.h>

namespace quillon::conformance {
namespace {

class MemoryRegistryConformance : public ::testing::TestWithParam<std::size_t> {};

TEST_P(MemoryRegistryConformance, Case) {
    platform::MemoryRegistry backend;
    backend.createKey(platform::Hive::CurrentUser, u"Software\\QuillonConformance");
    const RegistryCaseContext ctx{backend, platform::Hive::CurrentUser,
                                  u"Software\\QuillonConformance", true};
    registryCases()[GetParam()].run(ctx);
}

INSTANTIATE_TEST_SUITE_P(Registry, MemoryRegistryConformance,
                         ::testing::Range<std::size_t>(0, registryCases().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& param) {
                             return registryCases()[param.param].name;
                         });

} // namespace
} // namespace quillon::conformance
