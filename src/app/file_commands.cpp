#include "app/file_commands.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "app/filedisp.h"
#include "app/views.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "print/print_report.h"
#include "record/journal.h"
#include "record/slt_file.h"
#include "stats/panel.h"
#include "stats/stats_engine.h"
#include "util/paths.h"
#include "util/text.h"

namespace tobrak {

const char* const kSltFilter = "スロットデーターファイル(*.slt)|*.slt";
const char* const kTitleStart = "ＴＯＢＲＡＫ　　";
const char* const kFileError = "ファイル・エラーです！";
const char* const kSizeError = "データサイズは31000ゲームまでです！";
const char* const kJournalFilter = "保護データ(*.journal)|*.journal";
const char* const kPdfFilter = "PDFファイル(*.pdf)|*.pdf";
const char* const kPngFilter = "PNG画像(*.png)|*.png";

namespace {

const char* const kTwentyBlanks = "　　　　　　　　　　　　　　　　　　　　";

bool confirm(Program& c, const std::string& text, const std::string& title) {
    return c.ui.dialogs->messageBox(text, title, MsgIcon::Information, MsgButtons::OkCancel) == MsgResult::Ok;
}

void fileErrorBox(Program& c) { c.ui.dialogs->messageBox(kFileError, "ファイル", MsgIcon::Stop, MsgButtons::Ok); }

// `ext` in lower case, with its dot.
bool endsWith(const std::string& p, const std::string& ext) {
    if (p.size() < ext.size()) return false;
    std::string end = p.substr(p.size() - ext.size());
    for (char& ch : end) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return end == ext;
}

bool exists(const std::string& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(fsPath(p), ec);
}

}  // namespace

std::string windowTitle(const std::u16string& comment, const std::string& file, bool unsaved) {
    std::string t = kTitleStart + utf16ToUtf8(comment);
    if (!file.empty()) t += " - " + pathUtf8(fsPath(file).filename()) + (unsaved ? " *" : "");
    return t;
}

void showTitle(Program& c) { c.ui.main.form->setTitle(windowTitle(c.ComData, c.FileName, c.Unsaved)); }

bool loadPlayData(Program& c, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    const SltStatus st = readFileBytes(path, bytes);
    if (st == SltStatus::Ok) {
        if (!loadPlayImage(c, bytes)) return false;
        std::error_code ec;
        const auto full = std::filesystem::absolute(fsPath(path), ec);
        c.FileName = ec ? path : pathUtf8(full);
        showTitle(c);
        return true;
    }
    if (st == SltStatus::TooLarge) {
        c.ui.dialogs->messageBox(kSizeError, "ファイルエラー", MsgIcon::Stop, MsgButtons::Ok);
        return false;
    }
    fileErrorBox(c);
    return false;
}

bool loadPlayImage(Program& c, const std::vector<std::uint8_t>& bytes, GameTimes times) {
    PlayRecord& rec = c.rec;
    const SltStatus st = decodeSlt(bytes, rec);
    if (st == SltStatus::TooLarge) {
        c.ui.dialogs->messageBox(kSizeError, "ファイルエラー", MsgIcon::Stop, MsgButtons::Ok);
        return false;
    }
    if (st != SltStatus::Ok) {
        fileErrorBox(c);
        return false;
    }
    c.graph.recordReplaced();
    // Display options stored with the file.
    Hyouji_Menu_Cls(c);
    const std::uint8_t options = rec.Dat_Buf[43];
    if (options & 1) GhpHyo_Click(c, 0);
    if (options & 2) GhpHyo_Click(c, 2);
    if (options & 8) GhpHyo_Click(c, 4);

    c.panel.MenuPage = 4;
    c.panel.menPage_Click();
    GhpClrInit(c);
    c.graph.GhpDispAll();
    recountAndZoom(c);

    c.ui.main.form->setTitle(kTitleStart + std::string(kTwentyBlanks));
    c.ComData = headerComment(rec);
    c.FileName.clear();
    c.Unsaved = false;
    showTitle(c);
    c.session.replaced(std::move(times));
    return true;
}

namespace {
bool loadConfirmed(Program& c) {
    return c.rec.Dat_Len <= kHeaderLen ||
           confirm(c, "読込を行うと既存データがクリアされます。\n\n本当に読込ますか？", "読込確認");
}
}  // namespace

bool openPlayData(Program& c, const std::string& path) { return loadConfirmed(c) && loadPlayData(c, path); }

namespace {
// The open dialog until it names an existing file; none when it was cancelled.
std::optional<std::string> chooseExisting(Program& c, const char* filter) {
    std::optional<std::string> path;
    do {
        path = c.ui.dialogs->openFile(filter);
        if (!path) return std::nullopt;
    } while (!exists(*path));
    return path;
}
}  // namespace

void menFile_open_Click(Program& c) {
    if (!loadConfirmed(c)) return;
    if (const auto path = chooseExisting(c, kSltFilter)) loadPlayData(c, *path);
}

bool openJournalFile(Program& c, const std::string& path) {
    const Journal::Contents held = Journal::read(path);
    const char* why = nullptr;
    if (!held.error.empty() || !held.recognised || !held.image)
        why = "\nは記録の保護のファイルではないか、壊れています。";
    else if (held.image->size() <= static_cast<std::size_t>(kHeaderLen))
        why = "\nにはゲームの記録がありません。";
    if (why) {
        c.ui.dialogs->messageBox("保護データを読み取れません！\n\n" + path + why, "保護データ", MsgIcon::Stop,
                                 MsgButtons::Ok);
        return false;
    }
    if (!loadPlayImage(c, *held.image, held.times)) return false;
    c.session.restoreCounts(held.counts);
    c.Unsaved = true;  // back from a journal, never from a file
    return true;
}

void Hogo_open_Click(Program& c) {
    if (!loadConfirmed(c)) return;
    if (const auto path = chooseExisting(c, kJournalFilter)) openJournalFile(c, *path);
}

void Comment_Click(Program& c) {
    const std::string entered = c.ui.dialogs->inputBox(
        "機種名や条件等を入力して下さい。\n\nデータの保存時に添付されます。\n\n倍角・半角合わせて２０文字まで保存できま"
        "す。",
        "コメント入力", utf16ToUtf8(c.ComData), static_cast<int>(kCommentUnits));
    if (entered.empty()) return;
    std::u16string text = utf8ToUtf16(entered);
    if (text.size() > kCommentUnits) {
        // Never keep half of a surrogate pair.
        std::size_t n = kCommentUnits;
        if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
        text.resize(n);
    }
    c.ComData = text;
    setHeaderComment(c.rec, text);
    c.Unsaved = true;
    showTitle(c);
    c.session.headerChanged();
}

namespace {
// Why a write failed, as the user can act on it.
std::string writeFailureReason(int code) {
    switch (code) {
        case EACCES:
        case EPERM: return "書き込む権限がありません。";
        case EROFS: return "読み取り専用のドライブです。";
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return "ディスクの空きがありません。";
        case ENOENT: return "保存先のフォルダがありません。";
        case ENOTDIR: return "保存先の途中にフォルダではないファイルがあります。";
        case EISDIR:
        case EINVAL: return "同じ名前のフォルダか装置があります。";
        default: return std::string("（") + std::strerror(code) + "）";
    }
}
}  // namespace

std::string saveErrorText(const std::string& path, const fileio::Error& error) {
    return std::string(kFileError) + "\n\n" + path + "\nに書き込めません。\n\n" + writeFailureReason(error.code);
}

bool savePlayData(Program& c, const std::string& path, fileio::Error* error) {
    std::vector<std::uint8_t> bytes = encodeSlt(c.rec);
    bytes[43] = c.options();  // the display options in force
    fileio::Error e;
    if (writeFileBytes(path, bytes, &e) != SltStatus::Ok) {
        c.ui.dialogs->messageBox(saveErrorText(path, e), "ファイル", MsgIcon::Stop, MsgButtons::Ok);
        if (error) *error = std::move(e);
        return false;
    }
    c.FileName = path;
    c.Unsaved = false;
    showTitle(c);
    return true;
}

namespace {
// The save dialog's file, with `ext` added when it was not given; none when the
// dialog was cancelled or replacing an existing file was declined.
std::optional<std::string> chooseTarget(Program& c, const char* filter, const std::string& ext) {
    std::optional<std::string> path = c.ui.dialogs->saveFile(filter);
    if (!path || path->empty()) return std::nullopt;
    if (!endsWith(*path, ext)) *path += ext;
    if (exists(*path) && !confirm(c, "同じ名前のファイルがあります。\n\n上書きしますか？", "保存確認"))
        return std::nullopt;
    return path;
}

// Writes what `make` makes to a file the user names, whole or not at all.
void saveMade(Program& c, const char* filter, const std::string& ext, const std::function<std::string()>& make) {
    const auto path = chooseTarget(c, filter, ext);
    if (!path) return;
    const std::string bytes = make();
    if (bytes.empty()) {
        c.ui.dialogs->messageBox(std::string(kFileError) + "\n\n" + *path + "\nを作れません。", "ファイル",
                                 MsgIcon::Stop, MsgButtons::Ok);
        return;
    }
    if (const fileio::Error e = fileio::writeDurably(*path, bytes.data(), bytes.size()))
        c.ui.dialogs->messageBox(saveErrorText(*path, e), "ファイル", MsgIcon::Stop, MsgButtons::Ok);
}
}  // namespace

void menFile_Save_Click(Program& c) {
    if (const auto path = chooseTarget(c, kSltFilter, ".slt")) savePlayData(c, *path);
}

void menFile_Uwagaki_Click(Program& c) {
    if (c.FileName.empty()) return menFile_Save_Click(c);
    savePlayData(c, c.FileName);
}

void Ghp_Cls_Click(Program& c) {
    if (!confirm(c, "本当にクリアしますか？", "クリア")) return;
    c.rec.clear();
    c.graph.recordReplaced();
    c.Unsaved = true;
    c.FileName.clear();  // 上書き保存 never writes an empty record over the file
    c.ui.main.form->setTitle(kTitleStart + std::string(kTwentyBlanks));
    ChrClrInit(c);
    c.panel.MenuPage = 4;
    c.panel.menPage_Click();
    Hyouji_Menu_Init(c);
    GhpClrInit(c);
    c.zoom.X4GhpInit();
    c.session.replaced();
}

void O_prin_Click(Program& c) {
    const PrintSource src = c.printSource();
    Exporter* pdf = c.ui.exporter;
    if (!P_Out_Sub(*c.ui.printer, *c.ui.dialogs, src, pdf != nullptr)) return;
    // The page the printer would have had.
    saveMade(c, kPdfFilter, ".pdf", [&] { return pdf->pdf([&](Surface& page) { printReport(page, src); }); });
}

void Gazou_Save_Click(Program& c) {
    Exporter* png = c.ui.exporter;
    if (!png) return;
    saveMade(c, kPngFilter, ".png",
             [&] { return png->graphPng(c.session.image(), c.graph.Ghp_Scroll, c.graph.expectedRate); });
}

}  // namespace tobrak
