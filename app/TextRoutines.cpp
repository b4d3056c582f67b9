#include "app/TextRoutines.h"

#include <cstring>

#include "framework/Services.h"

namespace sonavel {

std::size_t TextLength(const char* text) {
  return text != nullptr ? std::strlen(text) : 0;
}

char* JoinTexts(std::initializer_list<const char*> texts) {
  std::size_t total = 0;
  for (const char* text : texts)
    total += TextLength(text);
  auto* joined = static_cast<char*>(AllocateMemory(static_cast<std::int64_t>(total) + 1));
  std::size_t offset = 0;
  for (const char* text : texts) {
    const std::size_t length = TextLength(text);
    if (length > 0)
      std::memcpy(joined + offset, text, length);
    offset += length;
  }
  joined[offset] = '\0';
  return joined;
}

}  // namespace sonavel
