#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/filedisp.h"
#include "app/menu.h"
#include "record/file_commands.h"
#include "record/journal.h"
#include "record/slt_file.h"
#include "rig.h"
#include "util/text.h"

namespace tobrak::test {
namespace {

namespace fs = std::filesystem;

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tobrak_journal_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::vector<std::uint8_t> fileBytes() const {
        std::ifstream f(dir / "session.journal", std::ios::binary);
        return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    }
    // The record the journal holds now, as a play-data file image.
    std::optional<std::vector<std::uint8_t>> held() const { return Journal::replay(fileBytes()); }
    std::unique_ptr<Journal> open() {
        std::string error;
        auto j = Journal::open(dir.string(), error);
        EXPECT_TRUE(j) << error;
        return j;
    }
    fs::path dir;
};

TEST_F(JournalTest, EveryChangeOfTheRecordReachesTheFile) {
    Rig r;
    auto j = open();
    ASSERT_TRUE(j);
    EXPECT_FALSE(j->recovered());
    recoverJournal(r.c, *j);
    EXPECT_TRUE(r.ui.dialogs.shown.empty());  // nothing left over: no question
    r.games(3, 4, 2);
    r.poll(code::BBStart);
    r.game(8 | 3);
    r.pulses(5);  // the game in progress: its pulses are there too
    auto image = held();
    ASSERT_TRUE(image);
    EXPECT_EQ(*image, [&] {
        auto expect = encodeSlt(r.c.rec);
        expect[43] = currentOptions(r.c);
        return expect;
    }());
    // Comment and display options.
    r.ui.dialogs.inputAnswers.push_back(std::string("テスト"));
    menuClick(r.c, "Comment");
    menuClick(r.c, "GhpHyo", 2);
    image = held();
    PlayRecord back;
    ASSERT_EQ(decodeSlt(*image, back), SltStatus::Ok);
    EXPECT_EQ(headerComment(back), u"テスト");
    EXPECT_EQ(back.Dat_Buf[43], 1 | 8);
    // A clear empties it.
    menuClick(r.c, "Ghp_Cls");
    image = held();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), 48u);
}

TEST_F(JournalTest, LeftOverRecordIsOfferedAndRestoredAsALoad) {
    {
        Rig r;
        auto j = open();
        recoverJournal(r.c, *j);
        r.ui.dialogs.inputAnswers.push_back(std::string("前回"));
        menuClick(r.c, "Comment");
        r.games(3, 10, 1);
        r.poll(code::RBStart);
        r.games(4 | 1, 2, 15);
        menuClick(r.c, "GhpHyo", 0);
        // The program dies here: no normal close.
    }
    Rig r;
    auto j = open();
    ASSERT_TRUE(j->recovered());
    recoverJournal(r.c, *j);
    ASSERT_EQ(r.ui.dialogs.shown.size(), 1u);
    EXPECT_EQ(r.ui.dialogs.shown[0].text, "前回の記録が残っています。\n復元しますか？");
    EXPECT_EQ(r.ui.dialogs.shown[0].title, "復元");
    EXPECT_EQ(r.ui.dialogs.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(r.c.rec.games(), 12);
    EXPECT_EQ(r.c.cnt.Tot_Out, 10 + 30);
    EXPECT_TRUE(r.c.flags.RBGame_On);  // ends inside the RB, as a load does
    EXPECT_EQ(r.c.fd.ComData, u"前回");
    EXPECT_FALSE(r.c.mark.Mark_BBs);
    EXPECT_TRUE(r.c.mark.Mark_BBe);
    // Recording goes on into the new session's journal.
    r.game(3);
    EXPECT_EQ(held()->size(), 48u + 13u);
}

TEST_F(JournalTest, CancelDiscardsAndANormalEndRemovesIt) {
    {
        Rig r;
        auto j = open();
        recoverJournal(r.c, *j);
        r.games(3, 5);
    }
    {
        Rig r;
        auto j = open();
        r.ui.dialogs.answers.push_back(MsgResult::Cancel);
        recoverJournal(r.c, *j);
        EXPECT_EQ(r.c.rec.games(), 0);
        EXPECT_EQ(held()->size(), 48u);
        j->closeNormally();
        EXPECT_FALSE(fs::exists(dir / "session.journal"));
    }
    Rig r;
    auto j = open();
    EXPECT_FALSE(j->recovered());
}

TEST_F(JournalTest, OnlyOneProgramAtATime) {
    auto first = open();
    std::string error;
    EXPECT_FALSE(Journal::open(dir.string(), error));
    EXPECT_NE(error.find("another"), std::string::npos);
    first.reset();
    EXPECT_TRUE(Journal::open(dir.string(), error));
}

TEST_F(JournalTest, ACutOrDamagedTailIsIgnored) {
    Rig r;
    auto j = open();
    recoverJournal(r.c, *j);
    r.games(3, 6, 1);
    const auto full = fileBytes();
    const auto whole = Journal::replay(full);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->size(), 54u);
    // Cut in the middle of the last entry (a payout of the sixth game).
    auto cut = full;
    cut.resize(cut.size() - 3);
    auto image = Journal::replay(cut);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), 54u);
    EXPECT_EQ((*image)[53] ^ 0xB7, 0x30);  // the sixth game without its pulse
    // A flipped bit stops the replay at that entry.
    auto bad = full;
    bad[bad.size() - 30] ^= 0x10;
    image = Journal::replay(bad);
    ASSERT_TRUE(image);
    EXPECT_LT(image->size(), 54u);
    EXPECT_FALSE(Journal::replay({'x', 'y'}));
    EXPECT_FALSE(Journal::replay({}));
}

TEST_F(JournalTest, LongSessionsAreCompacted) {
    Rig r;
    auto j = open();
    recoverJournal(r.c, *j);
    j->setCompactLimit(2000);
    for (int i = 0; i < 150; ++i) {
        r.game(3);
        r.pulses(i % 6);
    }
    // 150 games with their pulses would take some 6 kB as single entries.
    EXPECT_LT(fs::file_size(dir / "session.journal"), 2000u + 400u);
    const auto image = held();
    ASSERT_TRUE(image);
    EXPECT_EQ(*image, [&] {
        auto expect = encodeSlt(r.c.rec);
        expect[43] = currentOptions(r.c);
        return expect;
    }());
}

}  // namespace
}  // namespace tobrak::test
