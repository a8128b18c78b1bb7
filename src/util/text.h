#pragma once
// UTF-8 / UTF-16 conversion for the comment, which the record holds as UTF-16LE.
#include <string>

namespace tobrak {

std::u16string utf8ToUtf16(const std::string& s);  // invalid bytes become U+FFFD
std::string utf16ToUtf8(const std::u16string& s);  // lone surrogates become U+FFFD

}  // namespace tobrak
