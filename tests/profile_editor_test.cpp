// The profile editor and the machine picker in the window program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/qt/library_window.h"
#include "app/qt/machine_picker.h"
#include "app/qt/profile_editor.h"
#include "app/qt/settings.h"
#include "app/qt/tobrak_app.h"
#include "boards/sim_board.h"
#include "platform/headless/memory_ui.h"

namespace tobrak::qt {
namespace {

struct Window {
    explicit Window(EventSource* board = nullptr) : app(board, &dialogs) {
        app.start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(app.main.get()));
    }
    headless::ScriptedDialogs dialogs;
    TobrakApp app;
};

std::string readAll(const QString& path) {
    std::ifstream f(path.toStdString(), std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void writeFile(const QString& path, const std::string& text) {
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}

// The example with two figures wrong and one a file may hold but no profile takes.
std::string badProfile() {
    std::string t = profileToJson(exampleProfile());
    t.replace(t.find("\"rb\": 399.6"), 11, "\"rb\": \"1/ab\"");
    t.replace(t.find("6.4,"), 3, "0.5");  // ブドウ of setting 4
    return t;
}

bool marked(const QTableWidgetItem* i) { return i && i->background().style() != Qt::NoBrush; }

TEST(ProfileEditorTest, CheckMarksEachMistakeAtItsFigureAndSavesOnlyAValidProfile) {
    QTemporaryDir dir;
    const QString file = dir.filePath("自作.json");
    writeFile(file, badProfile());
    Window w;
    ProfileEditor ed(w.app, dir.path().toStdString());
    ed.open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ed));
    ASSERT_EQ(ed.profiles()->count(), 2);  // the example, then the folder's file
    ed.profiles()->setCurrentRow(1);
    ASSERT_EQ(ed.path(), file.toStdString());
    QTableWidget& t = *ed.table();
    const int rb = ed.tableRow(DraftPlace::RB), grape = ed.tableRow(DraftPlace::Counter, 0);
    ASSERT_GE(rb, 0);
    ASSERT_GE(grape, 0);
    // Opened, it is checked at once: each mistake at its cell, with its message.
    EXPECT_TRUE(marked(t.item(rb, 2)));
    EXPECT_TRUE(t.item(rb, 2)->toolTip().contains(QStringLiteral("settings.2.rb")));
    EXPECT_TRUE(marked(t.item(grape, 4)));
    EXPECT_FALSE(marked(t.item(rb, 1)));
    EXPECT_FALSE(marked(t.item(grape, 3)));
    EXPECT_FALSE(marked(t.item(ed.tableRow(DraftPlace::BB), 2)));
    ASSERT_EQ(ed.problems()->count(), 2);
    // Enter on a problem goes to its cell.
    ed.problems()->setCurrentRow(1);
    emit ed.problems()->itemActivated(ed.problems()->item(1));
    EXPECT_EQ(t.currentRow(), grape);
    EXPECT_EQ(t.currentColumn(), 4);

    // Not saved while wrong: the file stays as it was and the box says why.
    EXPECT_FALSE(ed.save());
    EXPECT_EQ(readAll(file), badProfile());
    ASSERT_FALSE(w.dialogs.shown.empty());
    EXPECT_NE(w.dialogs.shown.back().text.find(kProfileErrorTitle), std::string::npos);

    // Typed right from the keyboard (as players write it), it checks and saves in the same format.
    t.setFocus();
    t.setCurrentCell(rb, 2);
    QTest::keyClick(&t, '1');  // a key starts the cell's editing
    QLineEdit* editor = t.viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, QStringLiteral("/399.5"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the cell takes its text from the event loop
    EXPECT_EQ(t.item(rb, 2)->text(), QStringLiteral("1/399.5"));
    EXPECT_FALSE(marked(t.item(rb, 2)));  // the mark went with the figure
    EXPECT_TRUE(ed.unsaved());
    t.item(grape, 4)->setText(QStringLiteral("６．４５"));
    EXPECT_TRUE(ed.check());
    EXPECT_FALSE(marked(t.item(grape, 4)));
    // Esc in a cell's editing takes the cell back, not the window; then it asks to leave.
    t.setCurrentCell(grape, 1);
    QTest::keyClick(&t, '9');
    editor = t.viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ed.isVisible());
    EXPECT_EQ(t.item(grape, 1)->text(), QStringLiteral("6.8"));
    const std::size_t boxes = w.dialogs.shown.size();
    w.dialogs.answers = {MsgResult::Cancel};
    QTest::keyClick(&t, Qt::Key_Escape);
    EXPECT_TRUE(ed.isVisible());
    ASSERT_EQ(w.dialogs.shown.size(), boxes + 1);
    EXPECT_EQ(w.dialogs.shown.back().buttons, MsgButtons::SaveDiscardCancel);
    EXPECT_TRUE(ed.save());
    EXPECT_FALSE(ed.unsaved());
    MachineProfile back;
    std::string error;
    ASSERT_TRUE(parseProfile(readAll(file), back, error)) << error;
    EXPECT_EQ(back.settings[1].rb, 399.5);
    EXPECT_EQ(back.settings[3].counters[0], 6.45);
    EXPECT_EQ(back.counters, exampleProfile().counters);
}

TEST(ProfileEditorTest, NewProfilesAskBeforeReplacingAFileAndUnsavedEditsAreNeverDroppedUnasked) {
    QTemporaryDir dir;
    const QString sub = dir.filePath("profiles");  // made by the first save
    Window w;
    ProfileEditor ed(w.app, sub.toStdString());
    ed.open();
    ed.newFromExample();
    ed.nameEdit()->setText(QStringLiteral("新機種：A/B"));
    ASSERT_TRUE(ed.save());
    const QString saved = sub + QStringLiteral("/新機種：A_B.json");
    EXPECT_EQ(ed.path(), saved.toStdString());
    const std::string first = readAll(saved);
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(ed.profiles()->count(), 2);

    // A second one of the same name: the overwrite question, cancelled.
    ed.newFromExample();
    ed.nameEdit()->setText(QStringLiteral("新機種：A/B"));
    ed.table()->item(ed.tableRow(DraftPlace::BB), 1)->setText(QStringLiteral("333"));
    w.dialogs.answers = {MsgResult::Cancel};
    EXPECT_FALSE(ed.save());
    EXPECT_EQ(readAll(saved), first);
    EXPECT_TRUE(ed.unsaved());

    // Leaving it asks: キャンセル stays on it, 破棄 goes.
    w.dialogs.answers = {MsgResult::Cancel};
    EXPECT_FALSE(ed.openSlot(0));
    EXPECT_EQ(ed.table()->item(ed.tableRow(DraftPlace::BB), 1)->text(), QStringLiteral("333"));
    w.dialogs.answers = {MsgResult::Discard};
    EXPECT_TRUE(ed.openSlot(1));
    EXPECT_EQ(ed.path(), saved.toStdString());

    // A file that is not JSON is shown as such and never written.
    const QString broken = sub + QStringLiteral("/壊れた.json");
    writeFile(broken, "{\"name\": ");
    ed.reload();
    ASSERT_EQ(ed.profiles()->count(), 3);
    ed.profiles()->setCurrentRow(1);  // 壊れた sorts before 新機種
    EXPECT_EQ(ed.path(), broken.toStdString());
    EXPECT_FALSE(ed.table()->isEnabled());
    EXPECT_FALSE(ed.save());
    EXPECT_EQ(readAll(broken), "{\"name\": ");

    // The program ending offers to save what is typed.
    ed.profiles()->setCurrentRow(2);
    ASSERT_EQ(ed.path(), saved.toStdString());
    ed.table()->item(ed.tableRow(DraftPlace::BB), 1)->setText(QStringLiteral("301.5"));
    ASSERT_TRUE(w.app.beforeShutdown);
    w.dialogs.answers = {MsgResult::Ok};
    w.app.beforeShutdown();
    MachineProfile back;
    std::string error;
    ASSERT_TRUE(parseProfile(readAll(saved), back, error)) << error;
    EXPECT_EQ(back.settings[0].bb, 301.5);
}

// The picker: the last machine first, Enter takes it (its profile names the
// hand counters), Esc leaves everything, and the record goes on meanwhile.
TEST(MachinePickerTest, EnterTakesTheLastMachineEscKeepsWhatIsSetThePollGoesOn) {
    QTemporaryDir dir;
    writeFile(dir.filePath("suika.json"), [] {
        MachineProfile p = exampleProfile();
        p.name = "スイカ機";
        p.counters = {"スイカ"};
        for (SettingFigures& s : p.settings) s.counters = {90.0};
        return profileToJson(p);
    }());
    Settings settings(dir.filePath("settings.ini"));
    settings.setLastMachine({"スイカ機改", "駅前ホール", "123", "スイカ機"});
    SimBoard sim({.seed = 2, .speed = 50});
    Window w(&sim);
    Program& p = w.app.program;
    p.history.profileDir = dir.path().toStdString();
    MachinePicker picker(w.app, &settings, nullptr);
    picker.offer();
    ASSERT_TRUE(picker.isVisible());
    EXPECT_FALSE(picker.isModal());
    ASSERT_EQ(picker.list()->count(), 3);  // the last machine, the example, スイカ機
    EXPECT_TRUE(picker.list()->item(0)->text().contains(QStringLiteral("駅前ホール 123番台")));
    const std::int32_t before = p.rec.games();
    QTest::qWait(800);
    EXPECT_GT(p.rec.games(), before);  // recorded while the box is open

    QTest::keyClick(picker.list(), Qt::Key_Return);
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(p.session.machine.name, "スイカ機改");
    EXPECT_EQ(p.session.machine.hall, "駅前ホール");
    EXPECT_EQ(p.session.machine.profile, "スイカ機");
    ASSERT_EQ(p.session.manual.size(), 1u);
    EXPECT_EQ(p.session.manual[0].name, "スイカ");
    EXPECT_EQ(p.history.chosen, "スイカ機");
    EXPECT_EQ(settings.profile(), QStringLiteral("スイカ機"));

    picker.offer();
    QTest::keyClick(picker.list(), Qt::Key_Down);
    QTest::keyClick(picker.list(), Qt::Key_Escape);
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(p.session.machine.name, "スイカ機改");

    // A profile of the list: its name is the machine's, the hall stays.
    picker.offer();
    QTest::keyClick(picker.list(), Qt::Key_Down);
    QTest::keyClick(picker.list(), Qt::Key_Return);
    EXPECT_EQ(p.session.machine.name, exampleProfile().name);
    EXPECT_EQ(p.session.machine.hall, "駅前ホール");
    EXPECT_EQ(p.session.manual.size(), exampleProfile().counters.size());
    EXPECT_EQ(settings.lastMachine()->name, exampleProfile().name);

    // A cleared record opens it by itself only while that is asked for.
    picker.setAutomatic(false);
    w.app.setBoard(nullptr);
    p.rec = PlayRecord{};
    p.session.replaced();
    QTest::qWait(50);
    EXPECT_FALSE(picker.isVisible());
    picker.setAutomatic(true);
    EXPECT_TRUE(settings.pickerOn());
    p.session.replaced();
    QTest::qWait(50);
    EXPECT_TRUE(picker.isVisible());
    picker.reject();
    w.app.program.Unsaved = false;
}

// Chosen just after the first game, before the library has written its session:
// the session in the library still gets the machine and its profile.
TEST(MachinePickerTest, AChoiceAfterTheFirstGameReachesTheLibrarysSession) {
    QTemporaryDir dir;
    Settings settings(dir.filePath("settings.ini"));
    settings.setLastMachine({"サンプル機改", "駅前ホール", "7", exampleProfile().name});
    SimBoard sim({.seed = 3, .speed = 100});
    Window w(&sim);
    LibraryWindow lib(w.app, dir.filePath("library.sqlite").toStdString());
    ASSERT_TRUE(lib.kept());
    MachinePicker picker(w.app, &settings, &lib);
    picker.offer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.app.program.rec.games() >= 1; }, 20000));
    QTest::keyClick(picker.list(), Qt::Key_Return);
    w.app.program.ui.Timer2->setEnabled(false);
    lib.recorder()->flush();
    const std::optional<SessionRow> row = lib.library()->session(lib.recorder()->currentId());
    ASSERT_TRUE(row);
    EXPECT_EQ(row->machine, "サンプル機改");
    EXPECT_EQ(row->hall, "駅前ホール");
    EXPECT_EQ(row->number, "7");
    EXPECT_EQ(row->profile, exampleProfile().name);
    w.app.program.Unsaved = false;
}

}  // namespace
}  // namespace tobrak::qt
