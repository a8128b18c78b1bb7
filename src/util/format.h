#pragma once
// The three text forms of numbers.
#include <cstdint>
#include <string>

namespace tobrak {

// Printed on a surface: a blank (or minus sign) before, one blank after: " 12 ", "-5 ".
std::string surfaceNumber(std::int64_t v);
// Made into a caption: plain digits with a minus sign when negative: "12", "-5".
std::string captionNumber(std::int64_t v);
// Formatted with a picture pattern: "#" optional digit, "0" required digit, "." the
// decimal point, other characters copied ("#0.00", "##0.00", "#####", "平均#0.00").
// Rounds half away from zero on the exact value of v; a result that rounds to zero
// carries no minus sign.
std::string formatPicture(double v, const std::string& pattern);

}  // namespace tobrak
