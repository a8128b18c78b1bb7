#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include "app/core.h"

namespace tobrak::cli {

int feed(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
int simulate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Shared by the commands.
int usage(std::ostream& err, const std::string& why);
int fileError(std::ostream& err, const std::string& what);
int saveRecord(const Core& c, const std::string& path, std::ostream& err);

}  // namespace tobrak::cli
