// The catalogue refresh: rebuilds everything the window shows about the shown language from
// what Windows holds.
#include "app/tform1.h"
#include "setup/language_setup.h"

namespace quillon {

namespace {

void selectFirstWhenNone(ListView& list) {
    if (list.selected >= list.count()) {
        list.selected = -1;
    }
    if (list.count() > 0 && list.selected < 0) {
        list.selected = 0;
    }
}

} // namespace

void TForm1::Button_RefreshClick() {
    // Until the refresh has read everything, the lists are not what Windows holds; the
    // enabling rules follow the lists on every way out, an error included.
    listsIncomplete = true;
    // A choice not yet confirmed gives way to what Windows holds.
    for (ComboBox* box : {&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox_Lang}) {
        box->choosing.reset();
    }
    bool enumerated = false;
    try {
        enumerated = refreshLists();
    } catch (...) {
        applyListRules();
        throw;
    }
    // Without the profiles the enabled list still holds what an earlier refresh found (perhaps
    // for another language): it is shown, but never committed.
    listsIncomplete = !enumerated;
    applyListRules();
}

bool TForm1::refreshLists() {
    buildlanglist();
    return readLanguage();
}

bool TForm1::readLanguage() {
    // The reading starts from what the window shows and ends in it, however it ends: without
    // the profiles the lists stay, and a value that cannot be read ends the reading with what
    // was read before it shown.
    LanguageSetup setup;
    setup.langid = LangId();
    setup.catid = mycatid;
    // The previous object goes with its holder; never leave views of it behind.
    setup.profilesCreated = Iprofiles != nullptr;
    setup.profileManager = ipm != nullptr;
    ipm = nullptr;
    Iprofiles = nullptr;
    setup.profiles = std::move(profiles);
    setup.enabled = std::move(ListView1.rows);
    setup.disabled = std::move(ListView2.rows);
    setup.substitutedLayouts = std::move(substitutedLayouts_);
    setup.hotkeysRead = std::move(hotkeysRead);
    setup.switchKeys = {ComboBox1.itemIndex, ComboBox2.itemIndex, ComboBox3.itemIndex};
    Control* const toggles[] = {&Button_SW1, &Button_SW2, &Button_SW3};
    setup.toggles.count = 0;
    while (setup.toggles.count < 3 && toggles[setup.toggles.count]->enabled) {
        ++setup.toggles.count;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        setup.toggles.texts[i] = toggles[i]->caption;
    }
    setup.toggles.read = togglesRead;
    setup.other = {CheckBox1.checked, CheckBox2.checked, CheckBox3.checked};
    setup.defaultIndex = defime;

    const auto show = [&] {
        mycatid = setup.catid;
        profiles = std::move(setup.profiles);
        Iprofiles = setup.profilesCreated ? profiles.get() : nullptr;
        ipm = setup.profileManager ? profiles.get() : nullptr;
        if (setup.enumerated) {
            ListView1.selected = -1;
            ListView2.selected = -1;
        }
        ListView1.rows = std::move(setup.enabled);
        ListView2.rows = std::move(setup.disabled);
        substitutedLayouts_ = std::move(setup.substitutedLayouts);
        hotkeysRead = std::move(setup.hotkeysRead);
        ComboBox1.itemIndex = setup.switchKeys.layout;
        ComboBox2.itemIndex = setup.switchKeys.language;
        ComboBox3.itemIndex = setup.switchKeys.capsLock;
        for (std::size_t i = 0; i < 3; ++i) {
            toggles[i]->enabled = static_cast<int>(i) < setup.toggles.count;
            toggles[i]->caption = setup.toggles.texts[i];
        }
        togglesRead = setup.toggles.read;
        CheckBox1.checked = setup.other.separateIme;
        CheckBox2.checked = setup.other.languageBar;
        CheckBox3.checked = setup.other.emojiStaysOpen;
        defime = setup.defaultIndex;
    };
    try {
        readLanguageSetup(os(), scancode, setup);
    } catch (...) {
        show();
        throw;
    }
    show();
    return setup.enumerated;
}

std::int32_t TForm1::getdefime() {
    return catalogue::getdefime(os().registry, ListView1.rows);
}

void TForm1::applyListRules() {
    selectFirstWhenNone(ListView1);
    selectFirstWhenNone(ListView2);
    ListView1Change();
    ListView2Change();
}

} // namespace quillon
