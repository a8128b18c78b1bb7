#include "util/format.h"

#include <cmath>
#include <cstdio>

namespace tobrak {

std::string surfaceNumber(std::int64_t v) {
    std::string s(v < 0 ? "" : " ");
    s += std::to_string(v);
    s += ' ';
    return s;
}

std::string captionNumber(std::int64_t v) { return std::to_string(v); }

namespace {

bool isDigitSlot(char c) { return c == '#' || c == '0'; }

// Decimal digits of |v| rounded half away from zero to `decimals` places:
// integer part and fraction part as digit strings.
void roundedDigits(double v, int decimals, std::string& intPart, std::string& fracPart) {
    // glibc prints the exact binary value with enough digits; round that text.
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals + 30, std::fabs(v));
    std::string s(buf);
    const auto dot = s.find('.');
    std::string ip = s.substr(0, dot);
    std::string fp = s.substr(dot + 1);
    const bool up = fp[decimals] >= '5';
    std::string digits = ip + fp.substr(0, decimals);
    if (up) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i >= 0)
            ++digits[i];
        else
            digits.insert(digits.begin(), '1');
    }
    intPart = digits.substr(0, digits.size() - decimals);
    fracPart = digits.substr(digits.size() - decimals);
}

}  // namespace

std::string formatPicture(double v, const std::string& pattern) {
    // Split the pattern into prefix, number part and suffix.
    std::size_t first = pattern.find_first_of("#0.");
    if (first == std::string::npos) return pattern;
    std::size_t last = first;
    while (last < pattern.size() && (isDigitSlot(pattern[last]) || pattern[last] == '.')) ++last;
    const std::string prefix = pattern.substr(0, first);
    const std::string suffix = pattern.substr(last);
    const std::string num = pattern.substr(first, last - first);
    const auto dot = num.find('.');
    const std::string intPat = num.substr(0, dot);
    const std::string fracPat = dot == std::string::npos ? "" : num.substr(dot + 1);
    int minInt = 0;
    for (char c : intPat) minInt += c == '0';
    const int decimals = static_cast<int>(fracPat.size());

    std::string ip, fp;
    roundedDigits(v, decimals, ip, fp);
    // Strip leading zeros, then pad to the required digits.
    std::size_t nz = ip.find_first_not_of('0');
    ip = nz == std::string::npos ? "" : ip.substr(nz);
    while (static_cast<int>(ip.size()) < minInt) ip.insert(ip.begin(), '0');
    bool zero = ip.find_first_not_of('0') == std::string::npos && fp.find_first_not_of('0') == std::string::npos;
    std::string out = prefix;
    if (v < 0 && !zero) out += '-';
    out += ip;
    if (dot != std::string::npos) out += '.' + fp;
    return out + suffix;
}

}  // namespace tobrak
