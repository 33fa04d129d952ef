#include "app/menus.h"

#include "app/tform1.h"

namespace quillon {

namespace {

bool always(const TForm1&) {
    return true;
}

constexpr MenuCommand kSeparator{u"-", nullptr, nullptr};

// The default is set on another row than the default's own, and the language list can only
// take over from a default that is set.
const MenuCommand kEnabledListMenu[] = {
    {u"禁用", [](const TForm1& f) { return f.Button_Disable.enabled; },
     [](TForm1& f) { f.Button_DisableClick(); }},
    kSeparator,
    {u"设置为默认输入法", [](const TForm1& f) { return f.ListView1.selected != f.defime; },
     [](TForm1& f) { f.DefaultClick(); }},
    {u"使用语言列表", [](const TForm1& f) { return f.defime >= 0; },
     [](TForm1& f) { f.N4Click(); }},
    kSeparator,
    {u"热键", always, [](TForm1& f) { f.Button_HotkeyClick(); }},
    kSeparator,
    {u"导出输入法列表", always, [](TForm1& f) { f.N8Click(); }},
};

const MenuCommand kOtherMenu[] = {
    {u"删除顽固的英语美式键盘", always, [](TForm1& f) { f.N7Click(); }},
    {u"导出启用的输入法列表", always, [](TForm1& f) { f.N8Click(); }},
    {u"导出禁用的输入法列表", always, [](TForm1& f) { f.N11Click(); }},
    kSeparator,
    {u"导出配置", always, [](TForm1& f) { f.N14Click(); }},
    {u"导入配置", always, [](TForm1& f) { f.loadcfgClick(); }},
    {u"检查配置差异…", always, [](TForm1& f) { f.CheckCfgClick(); }},
    kSeparator,
    {u"撤销上次更改", always, [](TForm1& f) { f.UndoClick(); }},
};

const MenuCommand kDisabledListMenu[] = {
    {u"导出输入法列表", always, [](TForm1& f) { f.N11Click(); }},
};

const MenuCommand kSystemMenu[] = {
    kSeparator,
    {u"关于(&A)...", always, [](TForm1& f) { f.AboutClick(); }, true},
};

// Every item enabled until its rule is first asked, as the menus were made before.
template <std::size_t n> Menu menuOf(const MenuCommand (&table)[n]) {
    Menu menu;
    for (const MenuCommand& command : table) {
        menu.items.emplace_back(command.caption, true, command.checked);
        if (command.run) {
            menu.items.back().command = &command;
        }
    }
    return menu;
}

} // namespace

Menu enabledListMenu() {
    return menuOf(kEnabledListMenu);
}

Menu otherMenu() {
    return menuOf(kOtherMenu);
}

Menu disabledListMenu() {
    return menuOf(kDisabledListMenu);
}

Menu systemMenu() {
    return menuOf(kSystemMenu);
}

void TForm1::MenuPopup(Menu& menu) {
    for (MenuItem& item : menu.items) {
        if (item.command && item.command->enabled) {
            item.enabled = item.command->enabled(*this);
        }
    }
}

void TForm1::MenuClick(const MenuItem& item) {
    if (item.command && item.command->run) {
        item.command->run(*this);
    }
}

} // namespace quillon
