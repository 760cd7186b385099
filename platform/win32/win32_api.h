// The kernel32 view of the seam's types for the Win32 backend: <windows.h>
// (seen by platform/win32/ alone), HANDLE, COORD, SMALL_RECT and CHAR_INFO from
// the seam's values, and GetVersionExA with the plain version record.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/platform.h"

namespace platform::win32 {

// A seam handle is the HANDLE's bits: INVALID_HANDLE_VALUE is invalidHandle.
inline HANDLE NativeHandle(Handle handle) {
  return reinterpret_cast<HANDLE>(handle);
}
inline Handle SeamHandle(HANDLE handle) {
  return reinterpret_cast<Handle>(handle);
}

inline COORD NativeCoord(Coord position) {
  return COORD{position.x, position.y};
}

inline SMALL_RECT NativeRect(const Rect& rect) {
  return SMALL_RECT{rect.left, rect.top, rect.right, rect.bottom};
}

// The character byte in the low byte of the 16-bit character field, high byte 0.
inline CHAR_INFO NativeCell(Cell cell) {
  CHAR_INFO info = {};
  info.Char.AsciiChar = CHAR(cell.character);
  info.Attributes = cell.attribute;
  return info;
}

// GetVersionExA with 148 in the size field: the plain OSVERSIONINFOA, never
// the extended record.
inline OSVERSIONINFOA OperatingSystemVersion() {
  static_assert(sizeof(OSVERSIONINFOA) == 148);
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = 148;
  GetVersionExA(&version);
  return version;
}

}  // namespace platform::win32
