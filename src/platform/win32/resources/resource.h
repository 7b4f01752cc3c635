#pragma once
// Resource identifiers shared by the resource script and the code.

#define IDI_KVL 1      // resting icon; also the program's own icon
#define IDI_KVL_ALT 2  // alternate frame shown while the tray icon flashes
