#pragma once
// Resource identifiers shared by the resource script, the code and the tests.

#define IDI_KVL 1      // resting icon; also the program's own icon
#define IDI_KVL_ALT 2  // alternate frame shown while the tray icon flashes

#define IDR_MAIN_MENU 10  // the main window's menu bar; "&Monitors" is also the list's pop-up
#define IDR_TRAY_MENUS 11  // the tray icon's menus: "Stats" first, then "PopUp"

// Menu commands.
#define IDM_EXIT 100
#define IDM_NEW 101
#define IDM_EDIT 102
#define IDM_DELETE 103
#define IDM_HELP 104
#define IDM_COMMAND_HELP 105
#define IDM_LAST 106
#define IDM_EDIT_MONITORS 107
#define IDM_DISABLE 108
#define IDM_TRAY_EXIT 109

// Texts.
#define IDS_TRAY_TIP 200
#define IDS_LAST_TRIGGERED 201
#define IDS_MESSAGE_TITLE 202
