#pragma once
// The printed report: the statistics panel page in view as a header strip, and
// the whole record's slump graph in bands, on one landscape page.
#include <array>
#include <cstdint>
#include <string>

#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/surface.h"
#include "record/play_record.h"
#include "stats/stats_engine.h"

namespace tobrak {

constexpr std::int32_t Px = 630;    // left edge of the strip and the bands
constexpr std::int32_t Gtop = 550;  // top edge of the first band

extern const char* const kPrinterError;  // "プリンタに接続できません！"

namespace papercolor {
constexpr Rgb Blue = 0x8080FF;
constexpr Rgb Grey = 0xA0A0A0;
constexpr Rgb Cyan = 0x00FFFF;
constexpr Rgb Expected = 0x008000;  // the expected-value line: green, which shows on white paper
}  // namespace papercolor

struct PrintLayout {
    float scale;
    std::int32_t W;  // medals in per band
    int bands;       // bands printed with grid and labels
};
// The layout for the medals in at the moment of printing.
PrintLayout printLayout(std::int32_t totIn);
// A caption right-aligned in a 7-character field; a longer one keeps its first 7.
std::string field7(const std::string& utf8);

// What the page shows: the panel page in view and the whole record.
struct PrintSource {
    const PlayRecord& rec;
    std::int32_t totIn;  // medals in at the moment of printing
    PageTexts captions, values;
    double expectedRate = 0;  // of the expected-value line (1.0 is 100 %); 0: none
};
// The whole page: header strip, bands with grid and labels, the line.
void printReport(Surface& page, const PrintSource& src);
// The print command: dialog, page, hand-over; a failure shows the printer message,
// with "PDF保存" beside OK when `offerPdf`. Returns whether that was chosen.
bool P_Out_Sub(Printer& printer, Dialogs& dialogs, const PrintSource& src, bool offerPdf = false);

void P_Koumoku(Surface& s, const std::array<std::string, kRows>& captions,
               const std::array<std::string, kRows>& values);
void P_MemoriGhp(Surface& s, std::int32_t W, float scale, std::int32_t x, std::int32_t y);
void P_MemoriChr(Surface& s, std::int32_t from, std::int32_t to, float scale, std::int32_t x, std::int32_t y);
void P_MekakusiChr(Surface& s, float scale, std::int32_t x, std::int32_t y);
// The slump line and, with a rate above 0, the expected-value line at its points.
void P_GhpLine(Surface& s, const PlayRecord& rec, float scale, std::int32_t x, std::int32_t y, std::int32_t W,
               double expectedRate = 0);

}  // namespace tobrak
