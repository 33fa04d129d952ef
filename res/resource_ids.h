#pragma once

#define IDI_QUILLON 1
#define IDB_HELP 101
#define IDB_HELP_DISABLED 102
