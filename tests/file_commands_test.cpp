#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/file_commands.h"
#include "app/filedisp.h"
#include "app/menu.h"
#include "record/slt_file.h"
#include "rig.h"
#include "stats/panel.h"
#include "util/text.h"

namespace tobrak::test {
namespace {

namespace fs = std::filesystem;
using headless::ShownBox;

class FileCommands : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (dir.path / name).string(); }
    // A play-data file: header bytes as given, games masked.
    std::string write(const std::string& name, std::vector<std::uint8_t> header,
                      const std::vector<std::uint8_t>& games) {
        header.resize(kHeaderLen, 0);
        for (auto g : games) header.push_back(g ^ kGameMask);
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
        return path(name);
    }
    // Opens `p`; `ask` answers the question a record with games in it asks first.
    void load(const std::string& p, std::optional<MsgResult> ask = {}) {
        if (ask) r.ui.dialogs.answers.push_back(*ask);
        r.ui.dialogs.openAnswers.push_back(p);
        menuClick(r.c, "menFile_open");
    }
    const ShownBox& lastBox() const { return r.ui.dialogs.shown.back(); }

    TempDir dir{"files"};
    Rig r;
};

TEST_F(FileCommands, LoadReplacesTheRecordAndRebuildsEverything) {
    menuClick(r.c, "menPage");
    menuClick(r.c, "menPage");
    const std::vector<std::uint8_t> games = {0x31, 0x30, 0x12, 0xBF, 0xBF};
    load(write("a.slt", {6, 'A', 0, 'B', 0, 'C', 0}, games));
    EXPECT_TRUE(r.ui.dialogs.shown.empty());  // an empty record asks nothing
    EXPECT_EQ(r.c.rec.Dat_Len, 53);
    EXPECT_EQ(r.c.cnt.Tot_In, 13);
    EXPECT_TRUE(r.c.session.DaiBB_On && r.ui.Timer8.enabled());  // the record ends inside a BB
    EXPECT_EQ(r.c.panel.MenuPage, 0);
    EXPECT_EQ(r.ui.Label3[7].caption(), "20");
    EXPECT_EQ(r.ui.form.title(), "ＴＯＢＲＡＫ　　ABC - a.slt");
    EXPECT_FALSE(r.ui.menus("GhpHyo", 0).checked());  // no option bits in byte 43: all off
    // The views are rebuilt from the record: the whole record on the main graph.
    EXPECT_EQ(std::pair(r.c.graph.Ghp_In, r.c.graph.Ghp_Out), std::pair(13, 3 + 30));
    // Recording goes on inside the loaded bonus, drawing one game behind.
    r.game(8 | 3);
    EXPECT_EQ(r.c.graph.Ghp_In, 13);
    r.game(3);
    EXPECT_EQ(r.c.graph.Ghp_In, 16);
    EXPECT_EQ(r.c.zoom.Zoom_In, 3);  // the zoom line was reset by the load, then fed live
    EXPECT_EQ(r.c.cnt.BB_GameSum, 3);
}

TEST_F(FileCommands, DisplayOptionsComeFromByte43) {
    std::vector<std::uint8_t> header(44, 0);
    header[43] = 0x0B;
    load(write("b.slt", header, {0x30}));
    EXPECT_TRUE(r.c.mark.Mark_BBs && r.c.mark.Mark_RBs && r.c.mark.Mark_BBe && r.ui.menus("GhpHyo", 4).checked());
    EXPECT_EQ(r.c.rec.Dat_Buf[43], 0x0B);  // used as stored, not unmasked
    header[43] = 0x04;
    load(write("c.slt", header, {0x30}), MsgResult::Ok);
    EXPECT_FALSE(r.c.mark.Mark_BBs || r.c.mark.Mark_BBe || r.c.mark.Mark_RBe);
}

TEST_F(FileCommands, HeaderOnlyFile) {
    load(write("h.slt", {4, 0x8B, 0x89, 0x2C, 0x67}, {}));
    EXPECT_EQ(r.c.rec.Dat_Len, 48);
    EXPECT_EQ(r.ui.form.title(), "ＴＯＢＲＡＫ　　見本 - h.slt");
}

TEST_F(FileCommands, LoadConfirmationAndDialogOutcomes) {
    r.game(3);
    const std::string file = write("a.slt", {}, {0x30, 0x30});
    // Cancel at the question: the dialog is not even shown.
    load(file, MsgResult::Cancel);
    ASSERT_EQ(r.ui.dialogs.shown.size(), 1u);
    EXPECT_EQ(lastBox().text, "読込を行うと既存データがクリアされます。\n\n本当に読込ますか？");
    EXPECT_EQ(r.c.rec.Dat_Len, 49);
    EXPECT_TRUE(r.ui.dialogs.filters.empty());
    r.ui.dialogs.openAnswers.clear();
    // Cancelling the dialog ends silently.
    menuClick(r.c, "menFile_open");
    EXPECT_EQ(r.ui.dialogs.shown.size(), 2u);
    EXPECT_EQ(r.c.rec.Dat_Len, 49);
    // A path that names no file shows the dialog again.
    r.ui.dialogs.openAnswers = {path("missing.slt"), dir.path.string(), file};
    menuClick(r.c, "menFile_open");
    EXPECT_EQ(r.ui.dialogs.filters.size(), 4u);
    EXPECT_EQ(r.c.rec.Dat_Len, 50);
}

TEST_F(FileCommands, RefusedFilesChangeNothing) {
    r.games(3, 3, 2);
    menuClick(r.c, "Comment");  // no answer: comment unchanged
    const PlayRecord before = r.c.rec;
    const Counters counters = r.c.cnt;
    const std::string title = r.ui.form.title();
    auto expectUnchanged = [&] {
        EXPECT_EQ(r.c.rec.Dat_Len, before.Dat_Len);
        EXPECT_EQ(r.c.rec.Dat_Buf, before.Dat_Buf);
        EXPECT_EQ(r.c.cnt.Tot_Out, counters.Tot_Out);
        EXPECT_EQ(r.ui.form.title(), title);
        EXPECT_TRUE(r.ui.menus("GhpHyo", 0).checked());
    };

    load(write("big.slt", {}, std::vector<std::uint8_t>(31002, 0x30)), MsgResult::Ok);
    EXPECT_EQ(lastBox().text, "データサイズは31000ゲームまでです！");
    expectUnchanged();

    std::ofstream(path("short.slt"), std::ios::binary) << "abc";
    load(path("short.slt"), MsgResult::Ok);
    EXPECT_EQ(lastBox().text, "ファイル・エラーです！");
    expectUnchanged();

    // Loading what a full live record saves works: 31001 games.
    load(write("full.slt", {}, std::vector<std::uint8_t>(31001, 0x31)), MsgResult::Ok);
    EXPECT_EQ(r.c.rec.Dat_Len, 31049);
    EXPECT_EQ(r.c.cnt.Tot_Out, 31001);
    r.game(3);
    EXPECT_EQ(lastBox().title, "データＦＵＬＬ");
}

// The comment and the clear reach the session's listeners (the journal, the live view) once each.
struct Told final : SessionListener {
    void recordReplaced() override { s += 'L'; }
    void headerChanged() override { s += 'H'; }
    std::string s;
};

TEST_F(FileCommands, CommentIsCutToTwentyUnitsAndShownInTheTitle) {
    Told told;
    r.c.session.listen(told);
    r.ui.dialogs.inputAnswers.push_back(std::string("ABCDEFGHIJKLMNOPQRSTUVWXY"));
    menuClick(r.c, "Comment");
    EXPECT_EQ(r.c.rec.Dat_Buf[0], 40);
    EXPECT_EQ(r.c.ComData, u"ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(r.ui.form.title(), "ＴＯＢＲＡＫ　　ABCDEFGHIJKLMNOPQRST");

    // Cancel or an empty entry keeps it; the dialog offers the current comment.
    menuClick(r.c, "Comment");
    EXPECT_EQ(r.ui.dialogs.inputs.at(1).defaultText, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(r.c.ComData, u"ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(told.s, "H");

    // Full-width text; a pair that would be split at unit 20 is dropped whole.
    r.ui.dialogs.inputAnswers.push_back(std::string("スロット　設定６　１９文字目までです！😀"));
    menuClick(r.c, "Comment");
    EXPECT_EQ(r.c.ComData.size(), 19u);
    EXPECT_EQ(r.c.rec.Dat_Buf[0], 38);
    EXPECT_EQ(utf16ToUtf8(headerComment(r.c.rec)), "スロット　設定６　１９文字目までです！");
    r.c.session.forget(told);
}

TEST_F(FileCommands, ClearAsksThenEmptiesTheRecordKeepingTheCommentText) {
    r.ui.dialogs.inputAnswers.push_back(std::string("台番号１２３"));
    menuClick(r.c, "Comment");
    r.games(3, 4, 1);
    menuClick(r.c, "menPage");
    menuClick(r.c, "menPage");
    Told told;
    r.c.session.listen(told);
    menuClick(r.c, "GhpHyo", 2);
    r.ui.dialogs.answers.push_back(MsgResult::Cancel);
    menuClick(r.c, "Ghp_Cls");
    EXPECT_EQ(lastBox().text, "本当にクリアしますか？");
    EXPECT_EQ(r.c.rec.Dat_Len, 52);

    menuClick(r.c, "Ghp_Cls");
    EXPECT_EQ(told.s, "HL");  // the display option, then the clear
    r.c.session.forget(told);
    EXPECT_EQ(r.c.rec.Dat_Len, 48);
    EXPECT_EQ(r.c.rec.Dat_Buf[0], 0);
    EXPECT_EQ(r.c.cnt.Tot_In, 0);
    EXPECT_EQ(r.c.panel.MenuPage, 0);
    EXPECT_TRUE(r.ui.menus("GhpHyo", 2).checked());
    EXPECT_EQ(r.ui.form.title(), "ＴＯＢＲＡＫ　　　　　　　　　　　　　　　　　　　　　　");
    menuClick(r.c, "Comment");
    EXPECT_EQ(r.ui.dialogs.inputs.back().defaultText, "台番号１２３");
}

TEST_F(FileCommands, SaveThenLoadGivesTheSameRecord) {
    r.ui.dialogs.inputAnswers.push_back(std::string("ＢＩＧ　テスト"));
    menuClick(r.c, "Comment");
    r.games(3, 5, 2);
    r.poll(code::RBStart);
    r.games(4 | 1, 3, 15);
    r.games(3, 2);
    menuClick(r.c, "GhpHyo", 2);  // BB gains off
    r.ui.dialogs.saveAnswers.push_back(path("play"));
    menuClick(r.c, "menFile_Save");
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(readFileBytes(path("play.slt"), bytes), SltStatus::Ok);
    EXPECT_EQ(bytes.size(), 48u + 10u);
    EXPECT_EQ(bytes[43], 1 | 8);
    EXPECT_EQ(r.c.rec.Dat_Buf[43], 0);  // the held header is not changed by saving

    const PlayRecord saved = r.c.rec;
    const Counters counters = r.c.cnt;
    Rig other;
    other.ui.dialogs.openAnswers.push_back(path("play.slt"));
    menuClick(other.c, "menFile_open");
    EXPECT_EQ(other.c.rec.Dat_Len, saved.Dat_Len);
    EXPECT_TRUE(std::equal(saved.Dat_Buf.begin() + 48, saved.Dat_Buf.begin() + saved.Dat_Len,
                           other.c.rec.Dat_Buf.begin() + 48));
    EXPECT_EQ(other.ui.form.title(), "ＴＯＢＲＡＫ　　ＢＩＧ　テスト - play.slt");
    EXPECT_TRUE(other.c.mark.Mark_BBs && !other.c.mark.Mark_BBe && other.c.mark.Mark_RBe);
    EXPECT_EQ(countersOf(other.c.cnt), countersOf(counters));
}

// 上書き保存 writes the file last loaded or saved without a question; the title
// names that file and marks a record changed since.
TEST_F(FileCommands, OverwriteGoesToTheCurrentFileUntilAClear) {
    auto size = [&](const std::string& name) { return fs::file_size(path(name)); };
    r.games(3, 2);
    r.ui.dialogs.saveAnswers.push_back(path("first"));
    menuClick(r.c, "menFile_Uwagaki");  // no file yet: asks its name
    EXPECT_EQ(size("first.slt"), 48u + 2u);
    EXPECT_EQ(r.ui.form.title(), "ＴＯＢＲＡＫ　　 - first.slt");
    r.game(3);
    EXPECT_EQ(r.ui.form.title(), "ＴＯＢＲＡＫ　　 - first.slt *");
    const std::size_t dialogs = r.ui.dialogs.filters.size();
    menuClick(r.c, "menFile_Uwagaki");
    EXPECT_EQ(r.ui.dialogs.filters.size(), dialogs);
    EXPECT_EQ(size("first.slt"), 48u + 3u);
    EXPECT_EQ(r.ui.form.title(), "ＴＯＢＲＡＫ　　 - first.slt");

    // ファイルの保存 always asks, and its file becomes the current one.
    r.ui.dialogs.inputAnswers.push_back(std::string("夕方"));
    menuClick(r.c, "Comment");
    r.ui.dialogs.saveAnswers.push_back(path("second.slt"));
    menuClick(r.c, "menFile_Save");
    r.game(3);
    menuClick(r.c, "menFile_Uwagaki");
    EXPECT_EQ(size("second.slt"), 48u + 4u);
    EXPECT_EQ(size("first.slt"), 48u + 3u);
    EXPECT_EQ(r.ui.form.title(), "ＴＯＢＲＡＫ　　夕方 - second.slt");

    // A failed write says so, leaves the file whole and the record marked.
    r.game(3);
    fileio::failNth(fileio::Op::Write, 1, ENOSPC);
    menuClick(r.c, "menFile_Uwagaki");
    fileio::clearFaults();
    EXPECT_EQ(lastBox().text, "ファイル・エラーです！\n\n" + path("second.slt") +
                                  "\nに書き込めません。\n\nディスクの空きがありません。");
    EXPECT_EQ(size("second.slt"), 48u + 4u);
    EXPECT_EQ(r.ui.form.title(), "ＴＯＢＲＡＫ　　夕方 - second.slt *");

    // A loaded file is the current one too.
    load(path("first.slt"), MsgResult::Ok);
    r.game(3);
    menuClick(r.c, "menFile_Uwagaki");
    EXPECT_EQ(size("first.slt"), 48u + 4u);

    // After a clear no file is current: the empty record is never written over one.
    menuClick(r.c, "Ghp_Cls");
    EXPECT_EQ(r.ui.form.title(), "ＴＯＢＲＡＫ　　　　　　　　　　　　　　　　　　　　　　");
    menuClick(r.c, "menFile_Uwagaki");  // asks a name; cancelled
    EXPECT_EQ(r.ui.dialogs.filters.size(), dialogs + 3);
    EXPECT_EQ(size("first.slt"), 48u + 4u);
}

TEST_F(FileCommands, SaveAsksBeforeOverwritingAndReportsFailure) {
    r.games(3, 2);
    const std::string target = path("old.SLT");
    std::ofstream(target) << "old";
    r.ui.dialogs.saveAnswers.push_back(target);
    r.ui.dialogs.answers.push_back(MsgResult::Cancel);
    menuClick(r.c, "menFile_Save");
    EXPECT_EQ(lastBox().title, "保存確認");
    EXPECT_EQ(fs::file_size(target), 3u);
    r.ui.dialogs.saveAnswers.push_back(target);
    menuClick(r.c, "menFile_Save");
    EXPECT_EQ(fs::file_size(target), 50u);
    EXPECT_FALSE(fs::exists(path("old.SLT.slt")));

    // A failed save says where and why, in the user's terms.
    std::ofstream(path("plain")) << "x";
    struct Case {
        std::string target;
        fileio::Op op;
        int error;
        const char* why;
    } cases[] = {
        {path("no/such/folder/x.slt"), fileio::Op::Count, 0, "保存先のフォルダがありません。"},
#ifdef _WIN32
        // Windows says of a file in the middle of the path that the path is not found.
        {path("plain/x.slt"), fileio::Op::Count, 0, "保存先のフォルダがありません。"},
#else
        {path("plain/x.slt"), fileio::Op::Count, 0, "保存先の途中にフォルダではないファイルがあります。"},
#endif
        {path("full.slt"), fileio::Op::Write, ENOSPC, "ディスクの空きがありません。"},
        {path("ro.slt"), fileio::Op::Open, EROFS, "読み取り専用のドライブです。"},
        {path("denied.slt"), fileio::Op::Open, EACCES, "書き込む権限がありません。"},
        {path("io.slt"), fileio::Op::Sync, EIO, "（Input/output error）"},
    };
    for (const Case& k : cases) {
        const std::size_t boxes = r.ui.dialogs.shown.size();
        if (k.error) fileio::failNth(k.op, 1, k.error);
        r.ui.dialogs.saveAnswers.push_back(k.target);
        menuClick(r.c, "menFile_Save");
        fileio::clearFaults();
        ASSERT_EQ(r.ui.dialogs.shown.size(), boxes + 1) << k.target;
        EXPECT_EQ(lastBox().text, "ファイル・エラーです！\n\n" + k.target + "\nに書き込めません。\n\n" + k.why);
        EXPECT_EQ(lastBox().title, "ファイル");
        EXPECT_FALSE(fs::exists(k.target));
    }
    const std::size_t boxes = r.ui.dialogs.shown.size();
    // A cancelled dialog writes nothing and says nothing.
    menuClick(r.c, "menFile_Save");
    EXPECT_EQ(r.ui.dialogs.shown.size(), boxes);
}

TEST(MainWindow, ResizeFitsTheHeightAndFollowsTheWidth) {
    Rig r;
    r.ui.Picture2s.ops.clear();
    r.ui.form.clientH = 7000;
    r.ui.form.clientW = 15000;
    Form_Resize(r.c);
    EXPECT_EQ(r.ui.form.clientH, 5520);
    EXPECT_EQ(r.ui.Picture2.width(), 15000 - 1560);
    EXPECT_EQ(r.ui.Picture1.width(), 1575);
    EXPECT_EQ(countOps(r.ui.Picture2s, "cls"), 1);
    r.ui.form.clientH = 3000;  // lower than the graph is allowed
    Form_Resize(r.c);
    EXPECT_EQ(r.ui.form.clientH, 3000);
    // Minimised: nothing at all.
    r.ui.form.isMinimized = true;
    r.ui.form.clientW = 9000;
    Form_Resize(r.c);
    EXPECT_EQ(r.ui.Picture2.width(), 15000 - 1560);
    EXPECT_EQ(countOps(r.ui.Picture2s, "cls"), 2);
}

TEST(MainWindow, ResizeKeepsTheZoomFrameOnTheGraph) {
    Rig r;
    r.c.zoom.Frame = {9000, 500, 1200, 1000};
    r.ui.form.clientW = 8000;
    Form_Resize(r.c);
    EXPECT_EQ(r.ui.Image1.left(), 8000 - 1560 - 1200);
    EXPECT_EQ(r.c.zoom.Ox, (8000 - 1560 - 1200 - 630) * 10);  // the zoom window follows the frame
    r.c.zoom.Frame.Left = 100;
    Form_Resize(r.c);
    EXPECT_EQ(r.ui.Image1.left(), 630);
}

TEST(MainWindow, HomePage) {
    Rig r;
    menuClick(r.c, "kovhp");  // no documentation found: nothing to open
    EXPECT_TRUE(r.ui.shell.opened.empty());
    r.c.ui.manual = "file:///usr/share/tobrak/doc/README.html";
    menuClick(r.c, "kovhp");
    EXPECT_EQ(r.ui.shell.opened, std::vector<std::string>{r.c.ui.manual});
}

}  // namespace
}  // namespace tobrak::test
