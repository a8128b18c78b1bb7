#pragma once
// Play-data files (*.slt): the header as held, then each game byte XOR 0xB7.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "record/play_record.h"
#include "util/durable_file.h"

namespace tobrak {

constexpr std::uint8_t kGameMask = 0xB7;
// Live recording keeps up to 31001 games, which save to 31049 bytes; a file that
// long must load again.
constexpr std::int32_t kMaxFileLen = kDatMax;

enum class SltStatus { Ok, TooLarge, TooShort, IoError };

// The file image of the record: bytes 0 .. Dat_Len-1, game bytes masked.
std::vector<std::uint8_t> encodeSlt(const PlayRecord& rec);

// Replaces the record by a file image. A file longer than 31049 bytes is refused
// (TooLarge), and so is one shorter than the header (TooShort): its games would
// land in the header. On refusal the record is unchanged.
SltStatus decodeSlt(const std::vector<std::uint8_t>& bytes, PlayRecord& rec);

// Header byte 43 with the display options in force; its other bits as held.
constexpr std::uint8_t optionsByte(bool intervals, bool bbGains, bool rbGains, std::uint8_t held) {
    return static_cast<std::uint8_t>((held & ~(1 | 2 | 8)) | (intervals ? 1 : 0) | (bbGains ? 2 : 0) |
                                     (rbGains ? 8 : 0));
}

// Whole-file I/O. Only a regular file is read (a FIFO or a folder is an I/O
// error at once). Writing replaces the target only once the new file is complete
// and synced, so a failed save never destroys an older file.
SltStatus readFileBytes(const std::string& path, std::vector<std::uint8_t>& out);
// A failed write says why in `error` when given.
SltStatus writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         fileio::Error* error = nullptr);

// The comment held in header bytes 0..40 (empty when byte 0 is above 40).
std::u16string headerComment(const PlayRecord& rec);
// Stores the comment: byte 0 = 2 x length, then UTF-16LE code units. Bytes beyond
// the new length keep their content. At most kCommentUnits code units are stored.
inline constexpr std::size_t kCommentUnits = 20;
void setHeaderComment(PlayRecord& rec, const std::u16string& text);

}  // namespace tobrak
