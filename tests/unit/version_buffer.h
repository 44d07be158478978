// What the probe keeps to itself, for the tables that check it: the buffer
// that every version read shares (null before the first) and its size.
// Whatever the version library hands out from a block read into it must lie
// inside it.
#pragma once
#include <windows.h>

const BYTE *GetVersionBuffer(DWORD *size);
