// The resources compiled into the program: the bitmaps "SPLASH", "LCD" and
// "LCDALPHA" and the icon (embedded from the files of this folder at build
// time), the strings, the accelerator table and the About dialog.
#pragma once
#include <cstddef>

#include "platform/winapi/core.h"

constexpr WORD IDS_TITLE = 1;
constexpr WORD IDS_CLASS = 3;
constexpr WORD IDR_ACCELERATORS = 3;
constexpr WORD IDD_ABOUT = 103;
constexpr WORD IDI_PROGRAM = 107;

extern const PlatformResource ProgramResources[];
extern const size_t ProgramResourceCount;
extern const PlatformString ProgramStrings[];
extern const size_t ProgramStringCount;
extern const PlatformAccelTable ProgramAccelTables[];
extern const size_t ProgramAccelTableCount;
extern const PlatformDialog ProgramDialogs[];
extern const size_t ProgramDialogCount;
