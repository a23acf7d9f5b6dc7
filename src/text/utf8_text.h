// Which texts are UTF-8. Texts are bytes in no fixed encoding; a text that is
// valid UTF-8 is taken for UTF-8 (the screen shows it so, the settings file
// keeps it readable), any other for windows-1252. Nothing here decodes.
#pragma once

#include <cstddef>
#include <string_view>

// Whether `bytes` is valid UTF-8: no overlong forms, no surrogates, nothing
// past U+10FFFF, no sequence cut short. The empty text and ASCII are.
bool IsValidUtf8(std::string_view bytes);

// The length of the UTF-8 sequence that `lead` begins; 0 for a byte that
// begins none (a continuation byte, or a lead only overlong forms or code
// points past U+10FFFF would use).
std::size_t Utf8SequenceLength(unsigned char lead);

constexpr bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// How many bytes at the front of `text` are what is left of a character cut
// at its front: the continuation bytes there, three at most (the most a
// character has after its lead byte).
constexpr std::size_t CutCharacterTail(std::string_view text) {
  std::size_t tail = 0;
  while (tail < text.size() && tail < 3 && IsUtf8Continuation(text[tail])) ++tail;
  return tail;
}
