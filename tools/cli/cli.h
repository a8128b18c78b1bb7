#pragma once
// The command-line tool as a function, so the tests can run it in-process.
#include <iosfwd>
#include <string>
#include <vector>

namespace tobrak::cli {

// Exit status: 0 success, 1 bad input, 2 usage error.
int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace tobrak::cli
