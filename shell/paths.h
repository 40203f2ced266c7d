// Full paths of the program's own files (images, sounds), found beside the
// program, never through the current folder. Names are written with a
// backslash between folder and file ("Images\\fruit.bmp"), as the game has
// always named them; the path uses this system's separator.
#pragma once

// Both return one shared buffer, valid until the next call of either.
const wchar_t* ProgramPath(const wchar_t* name);
const char* ProgramPathNarrow(const char* name);
