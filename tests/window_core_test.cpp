#include <gtest/gtest.h>

#include "app/file_commands.h"
#include "app/filedisp.h"
#include "app/menu.h"
#include "boards/sim_board.h"
#include "rig.h"

namespace tobrak::test {
namespace {

// The quit question offers to save only when games would be lost.
TEST(QuitQuestion, OffersToSaveOnlyAnUnsavedRecord) {
    TempDir dir("quit");
    Rig r;
    auto& d = r.ui.dialogs;
    auto quit = [&](std::initializer_list<MsgResult> answers) {
        d.answers = answers;
        return Form_QueryUnload(r.c, 0);
    };
    EXPECT_TRUE(quit({MsgResult::Cancel}));  // empty: the plain question
    EXPECT_EQ(d.shown.back().buttons, MsgButtons::OkCancel);
    r.games(3, 4, 1);
    EXPECT_TRUE(quit({MsgResult::Cancel}));
    EXPECT_EQ(d.shown.back().buttons, MsgButtons::SaveDiscardCancel);
    EXPECT_TRUE(quit({MsgResult::Save}));  // the save dialog cancelled: still running
    EXPECT_EQ(r.ui.windows.shutdowns, 0);
    const std::string file = (dir.path / "night.slt").string();
    d.saveAnswers.push_back(file);
    EXPECT_FALSE(quit({MsgResult::Save}));
    EXPECT_EQ(r.ui.windows.shutdowns, 1);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(quit({MsgResult::Cancel}));  // saved
    EXPECT_EQ(d.shown.back().text, "本当に終了しますか？");
    r.pulses(1);
    EXPECT_FALSE(quit({MsgResult::Discard}));
    EXPECT_EQ(r.ui.windows.shutdowns, 2);
    ASSERT_TRUE(openPlayData(r.c, file));  // the load question answered OK
    EXPECT_TRUE(quit({MsgResult::Cancel}));
    EXPECT_EQ(d.shown.back().buttons, MsgButtons::OkCancel);
    d.inputAnswers.push_back(std::string("台"));
    Comment_Click(r.c);
    EXPECT_TRUE(quit({MsgResult::Cancel}));
    EXPECT_EQ(d.shown.back().buttons, MsgButtons::SaveDiscardCancel);
    d.answers = {MsgResult::Ok};
    Ghp_Cls_Click(r.c);
    EXPECT_TRUE(quit({MsgResult::Cancel}));  // cleared: nothing to lose
    EXPECT_EQ(d.shown.back().buttons, MsgButtons::OkCancel);
    const auto asked = d.shown.size();
    EXPECT_FALSE(Form_QueryUnload(r.c, 1));  // closed by the program: no question
    d.answers = {MsgResult::Ok};
    menuClick(r.c, "Pgend");  // the quit command asks the same
    EXPECT_EQ(d.shown.size(), asked + 1);
    EXPECT_EQ(r.ui.windows.shutdowns, 3);
}

// The simulated player stands up at a full record instead of playing into the
// "データＦＵＬＬ" message, and sits down again once there is room.
TEST(SimulatedMachine, StopsAtAFullRecord) {
    SimBoard sim({.seed = 3, .speed = 20});
    headless::HeadlessApp app(&sim);
    PlayRecord& rec = app.program.rec;
    rec.Dat_Max = kHeaderLen + 40;
    app.run(600000);
    EXPECT_EQ(rec.games(), 40);
    EXPECT_TRUE(app.ui.dialogs.shown.empty());
    rec.Dat_Max = kHeaderLen + 60;
    app.run(600000);
    EXPECT_EQ(rec.games(), 60);
    EXPECT_TRUE(app.ui.dialogs.shown.empty());
}

}  // namespace
}  // namespace tobrak::test
