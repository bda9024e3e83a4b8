// System error texts and the classifier of the system's version.
#pragma once

#include <cstdint>
#include <string>

// The system's text for code followed by " [SysErr: " + code + "]"; empty when the system
// has no text for it.
std::string SysErrorText(int code);
// The same for the calling thread's last error (errno).
std::string LastSysErrorText();

enum class TWinPlatform { Unknown, Win9x, NT };
// 0 unknown, 1 95, 2 98, 3 98 SE, 4 Me, 5 NT 4, 6 2000, 7 XP, 8 Server 2003, 9 Vista, 10 7.
uint8_t ClassifyWindowsVersion(TWinPlatform platform, uint32_t major, uint32_t minor,
                               std::string_view serviceText);
// The kind found at start-up; always 0 here, as no Windows version is running.
uint8_t WindowsVersionKind();

void uWin32ToolsInitialize();
void uWin32ToolsFinalize();
