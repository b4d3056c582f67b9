#pragma once

#include <cstddef>
#include <initializer_list>

namespace sonavel {

// Bytes before the first zero byte; 0 for a null text.
std::size_t TextLength(const char* text);

// A new block from AllocateMemory holding the texts one after another and a zero byte; a null
// text counts as empty. Never null; the caller releases it with FreeMemory.
char* JoinTexts(std::initializer_list<const char*> texts);

}  // namespace sonavel
