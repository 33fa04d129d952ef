// Resource ids of the controls baseline.
#pragma once

#define IDI_BASELINE 1
#define IDB_BASELINE_HELP 101
