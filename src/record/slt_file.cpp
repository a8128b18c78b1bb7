#include "record/slt_file.h"

#include "util/durable_file.h"

namespace tobrak {

std::vector<std::uint8_t> encodeSlt(const PlayRecord& rec) {
    std::vector<std::uint8_t> out(rec.Dat_Buf.begin(), rec.Dat_Buf.begin() + rec.Dat_Len);
    for (std::size_t i = kHeaderLen; i < out.size(); ++i) out[i] ^= kGameMask;
    return out;
}

SltStatus decodeSlt(const std::vector<std::uint8_t>& bytes, PlayRecord& rec) {
    const auto n = static_cast<std::int64_t>(bytes.size());
    if (n > kMaxFileLen) return SltStatus::TooLarge;
    if (n < kHeaderLen) return SltStatus::TooShort;
    std::copy(bytes.begin(), bytes.end(), rec.Dat_Buf.begin());
    rec.Dat_Len = static_cast<std::int32_t>(n);
    for (std::int32_t i = kHeaderLen; i < rec.Dat_Len; ++i) rec.Dat_Buf[i] ^= kGameMask;
    rec.Dat_Buf[rec.Dat_Len] = 0;
    return SltStatus::Ok;
}

SltStatus readFileBytes(const std::string& path, std::vector<std::uint8_t>& out) {
    switch (fileio::readRegular(path, kMaxFileLen, out)) {
        case fileio::ReadResult::Ok: return SltStatus::Ok;
        case fileio::ReadResult::TooLarge: return SltStatus::TooLarge;
        default: return SltStatus::IoError;
    }
}

SltStatus writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, fileio::Error* error) {
    fileio::Error e = fileio::writeDurably(path, bytes);
    const SltStatus st = e ? SltStatus::IoError : SltStatus::Ok;
    if (error) *error = std::move(e);
    return st;
}

std::u16string headerComment(const PlayRecord& rec) {
    const int len = rec.Dat_Buf[0];
    if (len > 40) return {};
    std::u16string s;
    for (int i = 0; i < len; i += 2) {
        // A missing high byte of a last, odd byte counts as 0.
        const std::uint8_t lo = rec.Dat_Buf[1 + i];
        const std::uint8_t hi = (i + 1 < len) ? rec.Dat_Buf[2 + i] : 0;
        s.push_back(static_cast<char16_t>(lo | (hi << 8)));
    }
    return s;
}

void setHeaderComment(PlayRecord& rec, const std::u16string& text) {
    const std::size_t n = text.size() < kCommentUnits ? text.size() : kCommentUnits;
    rec.Dat_Buf[0] = static_cast<std::uint8_t>(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        rec.Dat_Buf[1 + 2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
        rec.Dat_Buf[2 + 2 * i] = static_cast<std::uint8_t>(text[i] >> 8);
    }
}

}  // namespace tobrak
