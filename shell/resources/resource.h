// Resource identifiers of quib.exe, shared by quib.rc and the shell's code.
//
// The keys of both layouts carry their command as control identifier, so the
// IDC_ names of keys, radio buttons and check boxes equal the engine's
// command identifiers (shell/layout_window.cpp asserts that they agree).
// String k - 80 is the caption of key k; strings 60 to 73 are the engine's
// texts (engine/messages.cpp), checked against it by the shell tests.
#pragma once

// Dialog templates.
#define IDD_SCIENTIFIC 101
#define IDD_STANDARD 102
#define IDD_STATBOX 103
#define IDD_PROMPT 104

// Accelerators and menus.
#define IDA_KEYS 105
#define IDM_MAINMENU 106
#define IDM_WHATSTHIS 107
#define IDM_WHATSTHIS_ITEM 8

// Pictures of the layout-switch controls (1x and 2x), and the application
// icon.
#define IDB_TO_SCIENTIFIC 2
#define IDB_TO_STANDARD 3
#define IDB_TO_SCIENTIFIC_2X 4
#define IDB_TO_STANDARD_2X 5
#define IDI_APP "SC"

// Keys (owner-drawn push buttons).
#define IDC_SIGN 80
#define IDC_CLEAR 81
#define IDC_CLEAR_ENTRY 82
#define IDC_BACKSPACE 83
#define IDC_STATISTICS 84
#define IDC_DECIMAL_POINT 85
#define IDC_AND 86
#define IDC_OR 87
#define IDC_XOR 88
#define IDC_SHIFT_LEFT 89
#define IDC_DIVIDE 90
#define IDC_MULTIPLY 91
#define IDC_ADD 92
#define IDC_SUBTRACT 93
#define IDC_MOD 94
#define IDC_POWER 95
#define IDC_INT 96
#define IDC_NOT 97
#define IDC_SIN 98
#define IDC_COS 99
#define IDC_TAN 100
#define IDC_LN 101
#define IDC_LOG 102
#define IDC_SQRT 103
#define IDC_SQUARE 104
#define IDC_CUBE 105
#define IDC_FACTORIAL 106
#define IDC_RECIPROCAL 107
#define IDC_DMS 108
#define IDC_PERCENT 109
#define IDC_FE 110
#define IDC_PI 111
#define IDC_EQUALS 112
#define IDC_MEMORY_CLEAR 113
#define IDC_MEMORY_RECALL 114
#define IDC_MEMORY_STORE 115
#define IDC_MEMORY_ADD 116
#define IDC_EXPONENT 117
#define IDC_AVERAGE 118
#define IDC_SUM 119
#define IDC_STDDEV 120
#define IDC_DATA 121
#define IDC_OPEN_PAREN 122
#define IDC_CLOSE_PAREN 123
#define IDC_DIGIT_0 124
#define IDC_DIGIT_1 125
#define IDC_DIGIT_2 126
#define IDC_DIGIT_3 127
#define IDC_DIGIT_4 128
#define IDC_DIGIT_5 129
#define IDC_DIGIT_6 130
#define IDC_DIGIT_7 131
#define IDC_DIGIT_8 132
#define IDC_DIGIT_9 133
#define IDC_DIGIT_A 134
#define IDC_DIGIT_B 135
#define IDC_DIGIT_C 136
#define IDC_DIGIT_D 137
#define IDC_DIGIT_E 138
#define IDC_DIGIT_F 139

// Radio buttons and check boxes of the scientific layout.
#define IDC_BIN 140
#define IDC_OCT 141
#define IDC_DEC 142
#define IDC_HEX 143
#define IDC_INV 144
#define IDC_HYP 145
#define IDC_DEG_DWORD 146
#define IDC_RAD_WORD 147
#define IDC_GRAD_BYTE 148

// Menu items; the pictures send the layout commands too.
#define IDM_COPY 300
#define IDM_PASTE 301
#define IDM_ABOUT 302
#define IDM_SCIENTIFIC 303
#define IDM_STANDARD 304
#define IDM_HELP_TOPICS 305
#define IDC_PICTURE_TO_SCIENTIFIC 303
#define IDC_PICTURE_TO_STANDARD 304

// Indicators and display.
#define IDC_MEMORY_INDICATOR 401
#define IDC_PAREN_INDICATOR 402
#define IDC_DISPLAY 403

// Statistics box.
#define IDC_STAT_DELETE 404
#define IDC_STAT_CLEAR_ALL 405
#define IDC_STAT_LIST 407
#define IDC_STAT_COUNT 408
#define IDC_STAT_LOAD 410
#define IDC_STAT_RETURN 411
#define IDC_STAT_COUNT_LABEL 412

// Prompt of the long-computation watchdog.
#define IDC_PROMPT_CONTINUE 4
#define IDC_PROMPT_STOP 2
#define IDI_SYSTEM_WARNING 32515

// Strings: key captions are IDS_KEY(command).
#define IDS_KEY(cmd) ((cmd) - 80)
#define IDS_DWORD 60
#define IDS_WORD 61
#define IDS_BYTE 62
#define IDS_DEGREES 63
#define IDS_RADIANS 64
#define IDS_GRADS 65
#define IDS_ERROR_FIRST 66
#define IDS_HELP_FILE 74
#define IDS_NO_CLIPBOARD 75
#define IDS_NO_MEMORY 76
#define IDS_APP_TITLE 78
#define IDS_STARTUP_NO_MEMORY 79
#define IDS_COUNT 80
