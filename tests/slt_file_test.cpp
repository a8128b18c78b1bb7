#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "counts/machine_profile.h"
#include "record/display_marks.h"
#include "record/journal.h"
#include "record/slt_file.h"
#include "util/paths.h"
#include "util/text.h"

namespace tobrak {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> fileOf(int games, std::uint8_t first = 0) {
    std::vector<std::uint8_t> f(kHeaderLen + games, 0);
    f[0] = first;
    for (int i = 0; i < games; ++i) f[kHeaderLen + i] = static_cast<std::uint8_t>(0x31 ^ kGameMask);
    return f;
}

TEST(SltFile, EncodeMasksOnlyGameBytesAndDecodeRestoresThem) {
    PlayRecord r;
    r.Dat_Buf[0] = 6;
    r.Dat_Buf[1] = 'A';
    r.Dat_Buf[43] = 0x0B;
    r.Dat_Buf[45] = 0x99;
    const std::uint8_t games[] = {0x31, 0xBF, 0x5A, 0x00};
    for (auto g : games) r.Dat_Buf[r.Dat_Len++] = g;
    const auto bytes = encodeSlt(r);
    ASSERT_EQ(bytes.size(), 52u);
    EXPECT_EQ(bytes[0], 6);
    EXPECT_EQ(bytes[43], 0x0B);
    EXPECT_EQ(bytes[48], 0x31 ^ 0xB7);
    EXPECT_EQ(bytes[51], 0xB7);

    PlayRecord back;
    back.Dat_Buf[52] = 0x77;  // the end mark is written
    ASSERT_EQ(decodeSlt(bytes, back), SltStatus::Ok);
    EXPECT_EQ(back.Dat_Len, 52);
    EXPECT_EQ(back.Dat_Buf[52], 0);
    EXPECT_TRUE(std::equal(r.Dat_Buf.begin(), r.Dat_Buf.begin() + 52, back.Dat_Buf.begin()));
}

// Loading refused or accepted whole; what a refused load leaves is the file commands' test.
// Byte 43 holds the display options beside bits of its own: they read back as they were set.
TEST(SltFile, DisplayOptionsByteRoundTrip) {
    PlayRecord rec;
    rec.Dat_Buf[43] = 0xF4;  // bits the options do not own
    for (int bits = 0; bits < 8; ++bits) {
        const Markers m{(bits & 1) != 0, (bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
        const std::uint8_t b = currentOptions(m, rec);
        EXPECT_EQ(b & 0xF4, 0xF4);
        const Markers back = markersOf(b);
        EXPECT_EQ(std::tie(back.Mark_BBs, back.Mark_RBs, back.Mark_BBe, back.Mark_RBe),
                  std::tie(m.Mark_BBs, m.Mark_RBs, m.Mark_BBe, m.Mark_RBe));
    }
}

TEST(SltFile, SizeLimits) {
    PlayRecord r;
    EXPECT_EQ(decodeSlt(fileOf(31000), r), SltStatus::Ok);
    EXPECT_EQ(r.Dat_Buf[31047], 0x31);
    // What live recording can save (31001 games) loads again, the record full.
    EXPECT_EQ(decodeSlt(fileOf(31001), r), SltStatus::Ok);
    EXPECT_TRUE(r.full());
    EXPECT_EQ(r.Dat_Buf[31049], 0);
    EXPECT_EQ(decodeSlt(fileOf(31002), r), SltStatus::TooLarge);
    EXPECT_EQ(decodeSlt(std::vector<std::uint8_t>(47, 0), r), SltStatus::TooShort);
}

TEST(SltFile, CommentBytes) {
    PlayRecord r;
    const std::uint8_t abc[] = {6, 0x41, 0, 0x42, 0, 0x43, 0};
    std::copy(std::begin(abc), std::end(abc), r.Dat_Buf.begin());
    EXPECT_EQ(headerComment(r), u"ABC");
    r.Dat_Buf[0] = 5;  // odd: the last high byte counts as 0
    r.Dat_Buf[6] = 0x30;
    EXPECT_EQ(headerComment(r), u"ABC");
    r.Dat_Buf[0] = 41;
    EXPECT_EQ(headerComment(r), u"");

    PlayRecord w;
    w.Dat_Buf[40] = 0xEE;
    setHeaderComment(w, utf8ToUtf16("見本"));
    EXPECT_EQ(std::vector(&w.Dat_Buf[0], &w.Dat_Buf[3]),
              (std::vector<std::uint8_t>{4, 0x8B, 0x89}));  // low byte first (見 is U+898B)
    EXPECT_EQ(w.Dat_Buf[40], 0xEE);                         // beyond the new length: kept
}

// Names travel as UTF-8 and must reach the file system unchanged (as UTF-16 on
// Windows, where the narrow code page cannot hold them).
TEST(SltFile, JapaneseFileAndFolderNames) {
    const fs::path dir = fs::temp_directory_path() / u8"tobrak_記録";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string folder = pathUtf8(dir);
    const auto bytes = fileOf(5);
    ASSERT_EQ(writeFileBytes(folder + "/スロット１.slt", bytes), SltStatus::Ok);
    EXPECT_TRUE(fs::exists(dir / u8"スロット１.slt"));
    std::vector<std::uint8_t> back;
    ASSERT_EQ(readFileBytes(folder + "/スロット１.slt", back), SltStatus::Ok);
    EXPECT_EQ(back, bytes);

    {
        auto j = Journal::open(folder + "/状態");
        EXPECT_TRUE(j->begin(PlayRecord{}, 0)) << j->problem();
        EXPECT_TRUE(fs::exists(dir / u8"状態" / "session.journal"));
    }
    std::ofstream(dir / u8"機種.json") << "{}";
    const auto slots = listProfiles(folder);
    ASSERT_EQ(slots.size(), 2u);
    EXPECT_EQ(slots[1].label, "機種.json（エラー）");
    EXPECT_EQ(fsPath(slots[1].path), dir / u8"機種.json");
    fs::remove_all(dir);
}

TEST(Text, Utf8AndUtf16RoundTrip) {
    const std::string s = "ＴＯＢＲＡＫ　機種A😀";
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(s)), s);
    EXPECT_EQ(utf8ToUtf16("😀").size(), 2u);  // a surrogate pair
    EXPECT_EQ(utf8ToUtf16(std::string("\xff") + "a"), u"\uFFFDa");
    EXPECT_EQ(utf8ToUtf16("\xe3\x81"), u"\uFFFD\uFFFD");  // cut short
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace tobrak
