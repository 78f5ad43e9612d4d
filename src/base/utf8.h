// Texts from drives as valid UTF-8: inquiry fields, serial numbers and
// cartridge labels are meant to be ASCII, but a drive may send any byte, and
// JSON documents and metric labels must stay valid UTF-8 whatever it sent.
#pragma once

#include <string>
#include <string_view>

namespace text {

// t with every byte that does not begin a well-formed UTF-8 sequence (a stray
// continuation byte, a cut or overlong sequence, a surrogate, a code point
// above U+10FFFF) replaced by U+FFFD; well-formed text is returned unchanged.
std::string ValidUtf8(std::string_view t);

}  // namespace text
