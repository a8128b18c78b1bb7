// The board table: every row's option and caption, options taken apart, and
// what an option that is none of them is told.
#include <gtest/gtest.h>

#include "boards/board_table.h"
#include "source_probe.h"

namespace tobrak::test {
namespace {

TEST(BoardTable, RowsOptionsAndCaptions) {
    struct Case {
        const char *option, *row, *caption;
        const char* target;
        int baud;
    };
    const Case cases[] = {
        {"none", "none", "なし", "", 115200},
        {"sim", "sim", "シミュレーター", "", 115200},
        {"serial:/dev/ttyUSB0", "serial", "シリアルブリッジ  /dev/ttyUSB0", "/dev/ttyUSB0", 115200},
        {"serial:COM3,9600", "serial", "シリアルブリッジ  COM3", "COM3", 9600},
        {"edges:/dev/ttyACM0,57600", "edges", "エッジボード  /dev/ttyACM0", "/dev/ttyACM0", 57600},
        {"edges:/dev/a,b,38400", "edges", "エッジボード  /dev/a,b", "/dev/a,b", 38400},
        {"usbio", "usbio", "USB-IO", "", 115200},
        {"usbio:A1234", "usbio", "USB-IO  A1234", "A1234", 115200},
        {"usbio:A,1", "usbio", "USB-IO  A,1", "A,1", 115200},  // no baud after a serial number
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.option);
        BoardArgs a;
        const BoardRow* row = findBoard(t.option, &a);
        ASSERT_NE(row, nullptr);
        EXPECT_STREQ(row->name, t.row);
        EXPECT_EQ(a.target, t.target);
        EXPECT_EQ(a.baud, t.baud);
        EXPECT_EQ(boardCaption(t.option), t.caption);
        EXPECT_EQ(boardOptionProblem(t.option), "");
    }
    std::vector<std::string> syntax;
    for (const BoardRow& r : boardTable()) syntax.push_back(r.syntax);
    EXPECT_EQ(syntax,
              (std::vector<std::string>{"none", "sim", "serial:PATH[,BAUD]", "edges:PATH[,BAUD]", "usbio[:SERIAL]"}));
}

TEST(BoardTable, AnUnknownOptionIsToldTheOptions) {
    for (const char* bad : {"", "nonex", "sim:1", "none:", "serial", "serial:", "serial:,9600", "serial:/dev/a,",
                            "serial:/dev/a,-5", "edges:/dev/a,0", "edgesX:/dev/a", "usbio:", "usbiox", "USBIO"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(findBoard(bad), nullptr);
        EXPECT_EQ(boardCaption(bad), bad);
        const std::string why = "unknown board '" + std::string(bad) +
                                "' (none, sim, serial:PATH[,BAUD], edges:PATH[,BAUD] or usbio[:SERIAL])";
        EXPECT_EQ(boardOptionProblem(bad), why);
        OpenedBoard b;
        EXPECT_EQ(openBoard(bad, {}, b), why);
        EXPECT_EQ(b.source, nullptr);
    }
}

TEST(BoardTable, OpenedBoardsSayWhatTheyAre) {
    // What each says, whether it answers, and whether a port that is not there is told.
    for (const auto& [option, what, reachable, told] :
         {std::tuple{"sim", "the simulated machine (seed 7, speed 2.5)", true, false},
          {"none", "no board", false, false},
          {"serial:/nonexistent/tty,9600", "the serial bridge /nonexistent/tty", false, true},
          {"edges:/nonexistent/tty", "the edge board /nonexistent/tty", false, true}}) {
        SCOPED_TRACE(option);
        OpenedBoard b;
        ASSERT_EQ(openBoard(option, {.seed = 7, .speed = 2.5}, b), "");
        EXPECT_EQ(b.what, what);
        EXPECT_EQ(pollOnce(*b.source).reachable, reachable);
        EXPECT_EQ(b.source->problem().empty(), !told);
    }
    // The menu: なし and the simulator, then what is found on this computer, with
    // the rows that open on it.
    const std::vector<BoardChoice> choices = boardChoices();
    ASSERT_GE(choices.size(), 2u);
    EXPECT_EQ(choices[0].option + " " + choices[0].caption, "none なし");
    EXPECT_EQ(choices[1].option + " " + choices[1].caption, "sim シミュレーター");
    for (const BoardChoice& c : choices) {
        SCOPED_TRACE(c.option);
        const BoardRow* row = findBoard(c.option);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(c.caption.rfind(row->title, 0), 0u);
    }
}

}  // namespace
}  // namespace tobrak::test
