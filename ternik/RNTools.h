// The Polish-to-ASCII letter-folding table and the main-thread check of start-up.
#pragma once

#include <array>

// Identity except the 18 Polish letters of Windows-1250, folded to their ASCII base letters.
const std::array<unsigned char, 256>& LetterFoldTable();
void BuildLetterFoldTable();
bool IsMainThread();

// Raises std::logic_error "MainThreadID <> GetCurrentThreadID()" off the main thread.
void RNToolsInitialize();
void RNToolsFinalize();
