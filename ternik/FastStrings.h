// Fast string helpers and the code page's upper-case table.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Byte i is i upper-cased in Windows-1250; filled by the unit's initialisation.
const std::array<unsigned char, 256>& UpperCaseTable();

// Copies count bytes one by one from the front; an overlapping destination after the source
// therefore repeats the first bytes, as the original loop did.
void FastByteCopy(const void* source, void* dest, std::ptrdiff_t count);
// The part of s from index (1-based) of count bytes, count shortened to the end of s; empty
// when s is empty, index < 1, count < 1 or index beyond the end.
std::string CopyClamped(std::string_view s, std::ptrdiff_t index, std::ptrdiff_t count);

void FastStringsInitialize();
void FastStringsFinalize();
