// The handheld's kernel services the game calls: the tick counter, the
// short wait of busy loops, and the resources compiled into the program.
// (The program's own folder is os/folders.h's PlatformFilesFolder; the
// high-score table's files are os/files.h's.)
//
// What it deliberately does not do: other modules than the program's own,
// resources other than the program's, file calls the game does not make
// (the platform's own file services are in os/files.h).
#pragma once
#include <cstddef>
#include <string>

#include "platform/winapi/win.h"

// Milliseconds, wrapping at 2^32: the SDL backend's monotonic clock (from
// the options' starting tick when they fix one), the headless backend's
// virtual clock.
DWORD GetTickCount();

// The short wait that busy loops (delays, the gamble ladder's frames) call
// between two looks at the clock: it sleeps at most maxMs (less when an
// event comes in) and moves pending window-system events into the queue
// without dispatching anything. The headless backend advances its clock
// instead, stopping early at the moment a scripted input falls due.
void PlatformPause(DWORD maxMs);

// Resources compiled into the program, found by type and name. A name or
// type is a string (compared without regard to case) or a small number
// (MAKEINTRESOURCEW).
struct PlatformResource;
typedef const PlatformResource* HRSRC;
typedef const PlatformResource* HGLOBAL;
inline const WCHAR* const RT_BITMAP = MAKEINTRESOURCEW(2);
inline const WCHAR* const RT_GROUP_ICON = MAKEINTRESOURCEW(14);

// The handle of the program's own module, for its resources.
HINSTANCE PlatformModule();

HRSRC FindResourceW(HINSTANCE module, const WCHAR* name, const WCHAR* type);
HGLOBAL LoadResource(HINSTANCE module, HRSRC resource);
const void* LockResource(HGLOBAL loaded);
DWORD SizeofResource(HINSTANCE module, HRSRC resource);
BOOL FreeResource(HGLOBAL loaded);
