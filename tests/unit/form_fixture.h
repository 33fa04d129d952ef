// A TForm1 on the substitute, on the base setup unless a fixture names another.
#pragma once

#include "app/tform1.h"
#include "platform/substitute/substitute.h"
#include "sample_setup.h"

#include <gtest/gtest.h>

namespace quillon::testing {

class FormTest : public ::testing::Test {
protected:
    explicit FormTest(SampleSetup machine = SampleSetup::base()) : setup(std::move(machine)) {
        setup.build(windows);
    }

    // FormCreate as an interactive start, with the language query answered.
    void start() {
        setup.answerLanguageQuery(windows);
        form.FormCreate();
    }

    static std::vector<std::string> names(const ListView& list) {
        std::vector<std::string> out;
        for (const auto& row : list.rows) {
            out.push_back(toUtf8(row.name));
        }
        return out;
    }

    SampleSetup setup;
    platform::Substitute windows;
    TForm1 form{windows.platform()};
};

} // namespace quillon::testing
