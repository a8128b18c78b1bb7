#pragma once
// Every board the programs can record from, one row each: how its option is
// written, what a person calls it, where it is found on this computer and how
// it is opened. The 接続 menu, the window's --board and tobrak-cli read only
// this table: a new board is a file of its own and a row in board_table.cpp.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "boards/sim_board.h"
#include "session/event_source.h"

namespace tobrak {

// Something on this computer that a board can be opened on.
struct BoardFound {
    std::string target;   // what an option names after its colon: a port's path, a board's serial ("" any)
    std::string shown;    // what a menu shows after the board's title: "/dev/ttyUSB0  USB Serial"
    std::string listing;  // its line in `tobrak-cli boards`
    bool usable = true;   // false: seen, but not a board this program knows
};

// Where the candidates of some boards are looked for.
struct BoardFinder {
    const char* title;  // "serial ports", as `tobrak-cli boards` heads its list
    std::vector<BoardFound> (*find)();
};

// An option taken apart: "serial:/dev/ttyUSB0,9600" → "/dev/ttyUSB0" and 9600.
struct BoardArgs {
    std::string target;  // "" when the option names none
    std::int32_t baud = 115200;
};

// A board with what it reads through, which outlives it.
struct OpenedBoard {
    std::shared_ptr<void> link;           // the port or HID handle under the source; may be empty
    std::unique_ptr<EventSource> source;  // a NoSource for "none"
    std::string what;                     // "the serial bridge /dev/ttyUSB0"
};

enum class BoardTarget { None, Optional, Required };  // after "name:"

struct BoardRow {
    const char* name;           // how its options begin: "serial"
    const char* syntax;         // "serial:PATH[,BAUD]", as the usage messages list it
    const char* title;          // "シリアルブリッジ": the caption of its options, before the target
    const char* kind;           // "a serial bridge": tells the boards that share a port apart
    BoardTarget target;         // whether a port or a board is named after a colon
    bool takesBaud;             // ",BAUD" may follow the target
    bool needsQtApp;            // opens a serial port, which wants a Qt application object
    bool device;                // may be out of reach: the window says so when it does not answer
    const BoardFinder* finder;  // where its candidates are found; null: its name is its only option
    OpenedBoard (*open)(const BoardArgs& args, const SimOptions& sim);
};

const std::vector<BoardRow>& boardTable();

// The row whose syntax `option` has (its parts in `args`), or null.
const BoardRow* findBoard(const std::string& option, BoardArgs* args = nullptr);
// "name" or "name:target".
std::string boardOption(const BoardRow& row, const std::string& target);
// "none, sim, serial:PATH[,BAUD], … or usbio[:SERIAL]", as the usage messages list them.
std::string boardOptions();
// Empty for an option of the table, otherwise what is wrong with it.
std::string boardOptionProblem(const std::string& option);
// Opens the board of `option`: empty on success, otherwise what is wrong with the option.
std::string openBoard(const std::string& option, const SimOptions& sim, OpenedBoard& out);
// What a person calls the board of an option: "シリアルブリッジ  /dev/ttyUSB0".
std::string boardCaption(const std::string& option);

// What one finder sees now, with the rows that can be opened on it.
struct BoardCandidates {
    const BoardFinder* finder;
    std::vector<const BoardRow*> rows;
    std::vector<BoardFound> found;
};
// Each finder of the table once, in the order of its first row.
std::vector<BoardCandidates> findBoards();

// One choice of a board menu: its option (without a baud) and its caption.
struct BoardChoice {
    std::string option, caption;
};
// In the table's order: a row without a finder is its one option; at a finder's
// first row, every usable candidate with each of the finder's rows.
std::vector<BoardChoice> boardChoices();

}  // namespace tobrak
