// A TForm1 on the substitute, with a small Simplified-Chinese + US-English setup.
#pragma once

#include "app/tform1.h"
#include "base_setup.h"
#include "platform/substitute/substitute.h"

#include <gtest/gtest.h>

namespace quillon::testing {

class FormTest : public ::testing::Test {
protected:
    FormTest() {
        windows.loadReg(kBaseRegistry);
        windows.system.indirectStrings[u"@%SystemRoot%\\system32\\input.dll,-5000"] = u"美式键盘";
        windows.addProfile({textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"微软拼音"});
        windows.addProfile({textService(0x0804, kPinyinClsid, kWubiProfile, 0), u"微软五笔"});
        windows.addProfile({layout(0x0804, 0x08040804, 0), std::nullopt});
        windows.addProfile({layout(0x0409, 0x04090409, 2), std::nullopt});
    }

    // FormCreate as an interactive start, with the language query answered.
    void start() {
        windows.processes.runs.push_back({kLanguageQueryOutput, true, 800});
        form.FormCreate();
    }

    static std::vector<std::string> names(const ListView& list) {
        std::vector<std::string> out;
        for (const auto& row : list.rows) {
            out.push_back(toUtf8(row.name));
        }
        return out;
    }

    platform::Substitute windows;
    TForm1 form{windows.platform()};
};

} // namespace quillon::testing
