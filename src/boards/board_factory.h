#pragma once
// Every board the programs can record from, made from its option text
// ("none", "sim", "serial:PATH[,BAUD]", "edges:PATH[,BAUD]", "usbio[:SERIAL]"),
// and the boards found on this computer.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/board.h"
#include "platform/edge_board.h"
#include "platform/sim_board.h"
#include "platform/usbio_board.h"

namespace tobrak {

// The options, as the usage messages list them.
extern const char* const kBoardOptions;

// A board with what it needs kept alive beside it (the board goes first).
struct OpenedBoard {
    std::unique_ptr<LineSource> link;
    std::unique_ptr<HidLink> hid;
    std::unique_ptr<Board> board;  // empty for "none"
    const EdgeDecoder* decoder = nullptr;
    // Why the board is not reachable now; empty when nothing is known.
    std::function<std::string()> error = [] { return std::string(); };
    std::string what;  // "the serial bridge /dev/ttyUSB0"
};

// Whether the option opens a serial port (which wants a Qt application object).
bool usesSerialPort(const std::string& option);

// Empty on success, otherwise what is wrong with the option.
std::string makeBoard(const std::string& option, const SimOptions& sim, OpenedBoard& out);

struct SerialPortFound {
    std::string path, description, manufacturer;
    int vendor = -1, product = -1;  // USB numbers, when known
};
std::vector<SerialPortFound> findSerialPorts();

// One choice of a board menu: its option (without a baud) and its caption.
struct BoardChoice {
    std::string option, caption;
    bool serial = false;  // takes ",BAUD"
};
// What a person calls the board of an option: "シリアルブリッジ  /dev/ttyUSB0".
std::string boardCaption(const std::string& option);
// なし, the simulator, each serial port as a bridge and as an edge board, each
// known USB-IO board.
std::vector<BoardChoice> boardChoices();

}  // namespace tobrak
