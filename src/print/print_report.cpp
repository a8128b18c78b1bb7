#include "print/print_report.h"

#include <cmath>

#include "graph/line_pen.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "util/format.h"
#include "util/text.h"

namespace tobrak {

const char* const kPrinterError = "プリンタに接続できません！";

PrintLayout printLayout(std::int32_t totIn) {
    if (totIn < 30000) return {1.0f, 15000, totIn >= 15000 ? 2 : 1};
    return {2.0f / 3.0f, 20000, totIn >= 40000 ? 3 : 2};
}

std::string field7(const std::string& utf8) {
    std::u16string s = utf8ToUtf16(utf8);
    if (s.size() > 7)
        s.resize(7);
    else
        s.insert(0, 7 - s.size(), u' ');
    return utf16ToUtf8(s);
}

void P_Koumoku(Surface& s, const std::array<std::string, kRows>& captions,
               const std::array<std::string, kRows>& values) {
    // The units of the general page's rows, whichever page is printed.
    static const char* const units[kRows] = {" Ｇ", " Ｇ", " 回", " Ｇ", " 回", " Ｇ", " ％",
                                             " 枚", " 枚", " 枚", " ％", " 枚", " 枚"};
    s.setDrawWidth(1);
    s.setFontSize(9);
    for (int r = 0; r < kRows; ++r) {
        const float xr = static_cast<float>(Px + 1153.53 * r);
        s.setCurrentXY(r == 2 ? xr + 200.0f : xr, 60.0f);
        s.print(field7(captions[static_cast<std::size_t>(r)]));
        s.setCurrentXY(xr + 120.0f, 270.0f);
        s.print(field7(values[static_cast<std::size_t>(r)]) + units[r]);
    }
    s.setDrawWidth(4);
    s.box(Px, 40, Px + 15000, 480, papercolor::Blue, false);
    for (int r = 1; r < kRows; ++r) {
        const float xr = static_cast<float>(Px + 1153.53 * r);
        s.line(xr, 40, xr, 480, papercolor::Blue);
    }
    s.setDrawWidth(1);
}

void P_MemoriGhp(Surface& s, std::int32_t W, float scale, std::int32_t x, std::int32_t y) {
    // The screen's grid in the paper's colours and a heavier frame.
    static constexpr GridStyle paper{papercolor::Grey, papercolor::Blue, 4, 4.0f, false};
    MemoriGhp(s, W, scale, static_cast<float>(x), y, 0, 0, paper);
}

void P_MemoriChr(Surface& s, std::int32_t from, std::int32_t to, float scale, std::int32_t x, std::int32_t y) {
    s.setFontSize(8);
    axisLabels(s, from, (to - from) / 1000, from == 0, scale, x, 0.0, {static_cast<float>(y + 5000.0 * scale + 75)});
}

void P_MekakusiChr(Surface& s, float scale, std::int32_t x, std::int32_t y) {
    s.setFontSize(8);
    balanceLabels(s, scale, x, y - 60);
}

namespace {

// A line across the paper's bands, fed the points of medals in counted from the
// record's start. It wraps at a band's top and bottom as the screen's line does,
// and at the band's right end it goes on at the left end of the band below.
struct PaperPen {
    PaperPen(double scale, std::int32_t x, std::int32_t y, std::int32_t W)
        : S(scale),
          x(x),
          W(W),
          top(y),
          Py(static_cast<std::int32_t>(std::lround(top + 2500.0 * S))),
          penX(static_cast<float>(x)),
          penY(static_cast<float>(Py)) {}

    // To the point `in` medals in whose balance below zero is `down` medals. Returns
    // whether the line went on to the next band on the right.
    template <class Line>
    bool to(std::int32_t in, double down, Line line) {
        bool nextRow = false;
        auto draw = [&](double px, double py) { line(penX, penY, static_cast<float>(px), static_cast<float>(py)); };
        auto point = [&] {
            const double d = down - 2500.0 * n;
            const double whole = d > 0 ? std::ceil(d) : std::floor(d);
            return LinePoint<double>{static_cast<std::int32_t>(whole), x + S * (in - from), Py + S * d};
        };
        stepLine(
            penX, penY, static_cast<float>(Py), top, top + 5000.0 * S, point, [&](int dir) { n += dir; }, draw,
            [&](LinePoint<double>& p) {
                if (in - from <= W) return;
                const double xR = x + S * W;
                const double yR = penY + (p.y - penY) * (xR - penX) / (p.x - penX);
                draw(xR, yR);
                penX = static_cast<float>(x);
                penY = static_cast<float>(yR + 5490.0 * S);
                from += W;
                top = static_cast<double>(std::lround(top + 5490.0 * S));
                Py = static_cast<std::int32_t>(std::lround(top + 2500.0 * S));
                nextRow = true;
                p = point();
            });
        return nextRow;
    }

    const double S;
    const std::int32_t x, W;
    double top;             // the present band's top
    std::int32_t Py;        // and its zero line
    std::int32_t n = 0;     // bands wrapped down (up: below 0)
    std::int32_t from = 0;  // medals in at the present band's left end
    float penX, penY;
};

}  // namespace

void P_GhpLine(Surface& s, const PlayRecord& rec, float scale, std::int32_t x, std::int32_t y, std::int32_t W,
               double expectedRate) {
    const double S = scale;
    std::int32_t in = 0, out = 0;
    std::int32_t T = roundEven(15.0 / S);  // medals in past the band's left end of the next point
    bool bbSeen = false, rbSeen = false;
    Rgb colour = rgb::Black;
    PaperPen line(S, x, y, W), expected(S, x, y, W);
    s.setDrawWidth(2);
    s.pset(static_cast<float>(x), static_cast<float>(line.Py), rgb::Black);
    for (std::int32_t i = kHeaderLen; i < rec.Dat_Len; ++i) {
        const std::uint8_t b = rec.Dat_Buf[i];
        out += medalsOut(b);
        in += medalsIn(b);
        // A segment holding any BB game is red; cyan only with RB games and no BB game.
        if ((b & 0x80) && !bbSeen) {
            bbSeen = true;
            colour = rgb::Red;
        } else if (!(b & 0x80) && (b & 0x40) && !rbSeen) {
            rbSeen = true;
            if (!bbSeen) colour = papercolor::Cyan;
        }
        if (in - line.from < T) continue;
        if (line.to(in, in - out, [&](float x1, float y1, float x2, float y2) { s.line(x1, y1, x2, y2, colour); }))
            T -= W;
        if (expectedRate > 0)
            expected.to(in, in * (1.0 - expectedRate),
                        [&](float x1, float y1, float x2, float y2) { s.line(x1, y1, x2, y2, papercolor::Expected); });
        T = roundEven(T + 15.0 / S);
        if (bbSeen || rbSeen) {
            bbSeen = rbSeen = false;
            colour = rgb::Black;
        }
    }
}

void printReport(Surface& page, const PrintSource& src) {
    P_Koumoku(page, src.captions, src.values);
    const PrintLayout l = printLayout(src.totIn);
    for (int i = 0; i < l.bands; ++i) {
        const auto yi = static_cast<std::int32_t>(std::lround(Gtop + i * 5490.0 * l.scale));
        P_MemoriGhp(page, l.W, l.scale, Px, yi);
        P_MemoriChr(page, i * l.W, (i + 1) * l.W, l.scale, Px, yi);
        P_MekakusiChr(page, l.scale, Px, yi);
    }
    P_GhpLine(page, src.rec, l.scale, Px, Gtop, l.W, src.expectedRate);
}

bool P_Out_Sub(Printer& printer, Dialogs& dialogs, const PrintSource& src, bool offerPdf) {
    auto failed = [&] {
        printer.abort();
        return dialogs.messageBox(kPrinterError, "プリンタ", MsgIcon::Stop,
                                  offerPdf ? MsgButtons::OkSavePdf : MsgButtons::Ok) == MsgResult::Save;
    };
    switch (printer.begin()) {
        case Printer::Start::Cancelled: return false;
        case Printer::Start::Failed: return failed();
        case Printer::Start::Ready: break;
    }
    printReport(printer.page(), src);
    return !printer.end() && failed();
}

}  // namespace tobrak
