#!/usr/bin/env bash
# The other settings through the real window: each check box and each Caps Lock item changes
# the registry and starts the matching PowerShell command.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup settings "$E2E_DIR/../fixtures/sample.reg"
DESKTOP='HKEY_CURRENT_USER\Control Panel\Desktop'
INPUT='HKEY_CURRENT_USER\Software\Microsoft\Input\Settings'
LAYOUT='HKEY_CURRENT_USER\Keyboard Layout'
PS="$E2E_LOGS/powershell.log"

start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
check "per-window box unchecked (0x12)" contains "$(q control --id $kCheckBox1)" "check=0"
check "language bar box unchecked (0x00)" contains "$(q control --id $kCheckBox2)" "check=0"
check "emoji box checked without its key" contains "$(q control --id $kCheckBox3)" "check=1"
check "a refresh wrote nothing" lacks -f "$PS" "Set-WinLanguageBarOption"

q click --id $kCheckBox1 >/dev/null
check "mask byte 4 is 0x92, the rest as read" eventually key_holds "$DESKTOP" mask-on \
    '"UserPreferencesMask"=hex:9e,1e,07,80,92,00,00,00'
check "legacy switch mode" eventually contains -f "$PS" \
    '-command "& {Set-WinLanguageBarOption -UseLegacySwitchMode}"'
q click --id $kCheckBox2 >/dev/null
check "both options" eventually contains -f "$PS" \
    '-command "& {Set-WinLanguageBarOption -UseLegacySwitchMode -UseLegacyLanguageBar}"'
q click --id $kCheckBox1 >/dev/null
check "mask byte 4 back to 0x12" eventually key_holds "$DESKTOP" mask-off \
    '"UserPreferencesMask"=hex:9e,1e,07,80,12,00,00,00'
check "language bar only" eventually contains -f "$PS" \
    '-command "& {Set-WinLanguageBarOption -UseLegacyLanguageBar}"'

q click --id $kCheckBox3 >/dev/null
check "emoji key created with 0" eventually key_holds "$INPUT" emoji-off \
    '"EnableExpressiveInputEmojiMultipleSelection"=dword:00000000'
q click --id $kCheckBox3 >/dev/null
check "emoji 1" eventually key_holds "$INPUT" emoji-on \
    '"EnableExpressiveInputEmojiMultipleSelection"=dword:00000001'

q combo-select --id $kComboBox3 --item 1 >/dev/null
check "Shift releases Caps Lock" key_holds "$LAYOUT" attributes-shift '"Attributes"=dword:00010000'
q combo-select --id $kComboBox3 --item 0 >/dev/null
check "Caps Lock releases Caps Lock" key_lacks "$LAYOUT" attributes-caps '"Attributes"'
check "combo shows Caps Lock" contains "$(q combo --id $kComboBox3)" "selected 0"
screenshot settings

q syscommand --id $SC_CLOSE >/dev/null
check "exit code 0" test "$(app_exit_code)" = 0
e2e_finish
