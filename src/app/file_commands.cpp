#include "app/file_commands.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/filedisp.h"
#include "app/views.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
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

namespace {

const char* const kTwentyBlanks = "　　　　　　　　　　　　　　　　　　　　";

bool confirm(Program& c, const std::string& text, const std::string& title) {
    return c.ui.dialogs->messageBox(text, title, MsgIcon::Information, MsgButtons::OkCancel) == MsgResult::Ok;
}

void fileErrorBox(Program& c) { c.ui.dialogs->messageBox(kFileError, "ファイル", MsgIcon::Stop, MsgButtons::Ok); }

bool endsWithSlt(const std::string& p) {
    if (p.size() < 4) return false;
    std::string ext = p.substr(p.size() - 4);
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return ext == ".slt";
}

bool exists(const std::string& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(fsPath(p), ec);
}

}  // namespace

std::string windowTitle(const std::u16string& comment) { return kTitleStart + utf16ToUtf8(comment); }

bool loadPlayData(Program& c, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    const SltStatus st = readFileBytes(path, bytes);
    if (st == SltStatus::Ok) return loadPlayImage(c, bytes);
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
    c.ui.main.form->setTitle(windowTitle(c.ComData));
    c.Unsaved = false;
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

void menFile_open_Click(Program& c) {
    if (!loadConfirmed(c)) return;
    std::optional<std::string> path;
    do {
        path = c.ui.dialogs->openFile(kSltFilter);
        if (!path) return;
    } while (!exists(*path));
    loadPlayData(c, *path);
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
    c.ui.main.form->setTitle(windowTitle(text));
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
    c.Unsaved = false;
    return true;
}

void menFile_Save_Click(Program& c) {
    std::optional<std::string> path = c.ui.dialogs->saveFile(kSltFilter);
    if (!path || path->empty()) return;
    if (!endsWithSlt(*path)) *path += ".slt";
    if (exists(*path) && !confirm(c, "同じ名前のファイルがあります。\n\n上書きしますか？", "保存確認")) return;
    savePlayData(c, *path);
}

void Ghp_Cls_Click(Program& c) {
    if (!confirm(c, "本当にクリアしますか？", "クリア")) return;
    c.rec.clear();
    c.graph.recordReplaced();
    c.Unsaved = true;
    c.ui.main.form->setTitle(kTitleStart + std::string(kTwentyBlanks));
    ChrClrInit(c);
    c.panel.MenuPage = 4;
    c.panel.menPage_Click();
    Hyouji_Menu_Init(c);
    GhpClrInit(c);
    c.zoom.X4GhpInit();
    c.session.replaced();
}

}  // namespace tobrak
