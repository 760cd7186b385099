// Start-up services nothing in netstep reads, found as the runtime's start-up
// finds them: the start-up information, the module's path and handle, the
// command line, and the free-disk-space query, given back at the end.
#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace platform {

namespace {

struct StartupInformation {
  STARTUPINFOA startupInfo;  // of the process, as its creator filled it in
  char modulePath[256];      // the program file, at most 255 characters
  HMODULE module;            // the program's module, found by that path
  const char* commandLine;   // the command line, unsplit
};

struct DiskSpaceQuery {
  HMODULE library;  // kernel32, when loaded here; null otherwise
  FARPROC query;    // GetDiskFreeSpaceExA, where the system has it
};

StartupInformation startup;
DiskSpaceQuery diskSpace;

// The NT family, or the older family from build 1000 (the low word of the
// build number there) on, has GetDiskFreeSpaceExA.
bool HasDiskFreeSpaceEx(const OSVERSIONINFOA& version) {
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) return true;
  return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS &&
         LOWORD(version.dwBuildNumber) >= 1000;
}

}  // namespace

void ReadStartupInformation() {
  GetStartupInfoA(&startup.startupInfo);
  GetModuleFileNameA(nullptr, startup.modulePath, 255);
  startup.module = GetModuleHandleA(startup.modulePath);
  startup.commandLine = GetCommandLineA();
}

void OpenDiskSpaceQuery() {
  if (!HasDiskFreeSpaceEx(win32::OperatingSystemVersion())) return;
  diskSpace.library = LoadLibraryA("kernel32");
  if (diskSpace.library != nullptr) {
    diskSpace.query = GetProcAddress(diskSpace.library, "GetDiskFreeSpaceExA");
  }
}

void CloseDiskSpaceQuery() {
  if (diskSpace.library != nullptr) FreeLibrary(diskSpace.library);
  diskSpace = DiskSpaceQuery{};
}

}  // namespace platform
