#pragma once
// Resource identifiers shared by the resource script, the code and the tests.

#define IDI_KVL 1      // resting icon; also the program's own icon
#define IDI_KVL_ALT 2  // alternate frame shown while the tray icon flashes

#define IDR_MAIN_MENU 10  // the main window's menu bar; "&Monitors" is also the list's pop-up
#define IDR_TRAY_MENUS 11  // the tray icon's menus: "Stats" first, then "PopUp"

// Menu commands, in a range of their own: a command with no sender is mapped to a control by
// its identifier, and must never reach one of the forms' controls (from 10, and 100 up).
#define IDM_EXIT 40001
#define IDM_NEW 40002
#define IDM_EDIT 40003
#define IDM_DELETE 40004
#define IDM_HELP 40005
#define IDM_COMMAND_HELP 40006
#define IDM_LAST 40007
#define IDM_EDIT_MONITORS 40008
#define IDM_DISABLE 40009
#define IDM_TRAY_EXIT 40010
#define IDM_START_WITH_WINDOWS 40011  // in the File menu and the tray's menu alike
#define IDM_IMPORT 40012
#define IDM_EXPORT 40013
#define IDM_ARRANGE 40015  // "Arrange Open Windows", in the Monitors menu and the tray's right-click menu
#define IDM_ACTIVITY 40014  // "Recent Activity", in the Monitors menu and the tray's left-click menu

// Texts.
#define IDS_TRAY_TIP 200
#define IDS_LAST_TRIGGERED 201

// The recent activity window: its caption, then its columns in order.
#define IDS_ACTIVITY_CAPTION 250
#define IDS_ACTIVITY_TIME 251
#define IDS_ACTIVITY_MONITOR 252
#define IDS_ACTIVITY_WINDOW 253
#define IDS_ACTIVITY_PROGRAM 254
#define IDS_ACTIVITY_RESULT 255

// The forms' captions and tips. Rows of the editor's keystroke steps are consecutive.
#define IDS_MONITORED_LABEL 300
#define IDS_DISABLED_LEGEND 301
#define IDS_DISABLE_ALL 302
#define IDS_OK 303
#define IDS_CANCEL 304
#define IDS_APPLY 305
#define IDS_CAPTION_FRAME 306
#define IDS_EXACT_MATCH 307
#define IDS_DESCRIPTION_FRAME 308
#define IDS_PROCESS_FRAME 309
#define IDS_SET_WINDOW_STATE 310
#define IDS_KEYSTROKES_FRAME 311
#define IDS_KEYSTROKE_1 312
#define IDS_KEYSTROKE_2 313
#define IDS_KEYSTROKE_3 314
#define IDS_PAUSE_1 315
#define IDS_PAUSE_2 316
#define IDS_PAUSE_3 317
#define IDS_PICKER_BUTTON 318
#define IDS_DISABLE 319
#define IDS_PRODUCT_LABEL 320
#define IDS_PICKER_CAPTION 321
#define IDS_WHICH_WINDOW_FRAME 322
#define IDS_PROGRAM 323
#define IDS_WINDOW_CLASS 324
#define IDS_CAPTION_IS_PATTERN 325
#define IDS_FINDER 326
#define IDS_PRESS_FRAME 327
#define IDS_PRESS_BUTTON 328
#define IDS_TIP_CAPTION 330
#define IDS_TIP_NAME 331
#define IDS_TIP_WINDOW_STATE 332
#define IDS_TIP_PAUSE 333
#define IDS_TIP_SEND_KEYS 334
#define IDS_TIP_PROGRAM 335
#define IDS_TIP_WINDOW_CLASS 336
#define IDS_TIP_FINDER 337
#define IDS_TIP_PRESS_BUTTON 338
#define IDS_PLACE_FRAME 339
#define IDS_POSITION 340
#define IDS_SIZE 341
#define IDS_DISPLAY 342
#define IDS_ON_TOP 343
#define IDS_OPACITY 344
#define IDS_REMEMBER_PLACE 345
#define IDS_TAKE_PLACE 346
#define IDS_TIP_POSITION 347
#define IDS_TIP_SIZE 348
#define IDS_TIP_DISPLAY 349
#define IDS_TIP_OPACITY 350
#define IDS_TIP_TAKE_PLACE 351
