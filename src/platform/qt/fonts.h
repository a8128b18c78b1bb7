#pragma once

namespace tobrak::qt {

// "ＭＳ Ｐゴシック" is not on Linux: it and the default font are mapped to an
// installed Japanese gothic, so no text turns into boxes or mixes fonts.
void installFonts();

}  // namespace tobrak::qt
