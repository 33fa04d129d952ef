#!/usr/bin/env bash
# The window on a real machine's input settings (fixtures/real_machine.py): the layouts Windows
# installs, each named by a resource of input.dll that cannot be loaded here, the built-in text
# services, three languages. It opens with no message, names every layout by its "Layout Text",
# shows every language, and commits.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
fixture="$(mktemp --suffix=.reg)"
python3 "$E2E_DIR/../fixtures/real_machine.py" >"$fixture"
e2e_setup real_machine "$fixture"
rm -f "$fixture"
PINYIN='{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}{FA550B04-5AD7-411F-A5AC-CA038EC515D7}'
PROFILE_KEY='HKEY_CURRENT_USER\Control Panel\International\User Profile'

start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
wait_languages
check "no message at start-up" q wait-no-dialog
screenshot opened
enabled="$(q listview --id $kListView1)"
echo "$enabled" >"$E2E_ARTEFACTS/listview1.txt"
check "pinyin enabled" contains "$enabled" 'row 0 "微软拼音"'
check "US keyboard named by its layout text" contains "$enabled" 'row 1 "US"'
disabled="$(q listview --id $kListView2)"
echo "$disabled" >"$E2E_ARTEFACTS/listview2.txt"
check "wubi disabled" contains "$disabled" '"微软五笔"'
languages="$(q combo --id $kComboBoxLang)"
echo "$languages" >"$E2E_ARTEFACTS/languages.txt"
check "every language listed" contains "$languages" "日语"

# Every language's lists, with no message on the way.
q combo-select --id $kComboBoxLang --item 1 --then status --wait-for 就绪 >/dev/null
check "english: no message" q wait-no-dialog
check "english: US keyboard named by its layout text" contains "$(q listview --id $kListView1)" 'row 0 "US"'
q combo-select --id $kComboBoxLang --item 2 --then status --wait-for 就绪 >/dev/null
check "japanese: no message" q wait-no-dialog
check "japanese: its text service enabled" contains "$(q listview --id $kListView1)" 'row 0 "Microsoft IME"'
q combo-select --id $kComboBoxLang --item 0 --then status --wait-for 就绪 >/dev/null
check "chinese again" contains "$(q listview --id $kListView1)" 'row 0 "微软拼音"'

# A commit: pinyin moves below the US keyboard.
q lv-select --id $kListView1 --row 0 --then click --id $kButtonDown >/dev/null
q wait-no-dialog --then status --wait-for 就绪 >/dev/null
reg="$(export_key "$PROFILE_KEY" after-move)"
check "pinyin committed second" contains -f "$reg" "\"0804:$PINYIN\"=dword:00000002"
check "US keyboard committed first" contains -f "$reg" '"0804:00000409"=dword:00000001'

q syscommand --id $SC_CLOSE >/dev/null
check "closing ends the program" test "$(app_exit_code)" = 0
e2e_finish
