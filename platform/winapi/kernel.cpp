// The handheld's kernel services: the program's resources.
// (The tick counter and the short wait are the queue's: queue.cpp.)
#include "platform/winapi/core.h"
#include "platform/winapi/kernel.h"

using namespace platform;

HRSRC FindResourceW(HINSTANCE, const WCHAR* name, const WCHAR* type) { return FindBinaryResource(type, name); }
HGLOBAL LoadResource(HINSTANCE, HRSRC resource) { return resource; }
const void* LockResource(HGLOBAL loaded) { return loaded ? loaded->data : nullptr; }
DWORD SizeofResource(HINSTANCE, HRSRC resource) { return resource ? static_cast<DWORD>(resource->size) : 0; }
BOOL FreeResource(HGLOBAL) { return TRUE; }
