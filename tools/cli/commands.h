#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include "app/core.h"

namespace tobrak::cli {

int feed(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
int trace(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int render(const std::vector<std::string>& args, std::ostream& err);
int hist(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int koyaku(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int printPdf(const std::vector<std::string>& args, std::ostream& err);
int tracePrint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int journal(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int stats(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int exportCsv(const std::vector<std::string>& args, std::ostream& err);
int history(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int estimate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int simulate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int record(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int boards(std::ostream& out);

// Shared by the commands.
int usage(std::ostream& err, const std::string& why);
int fileError(std::ostream& err, const std::string& what);
int saveRecord(Core& c, const std::string& path, std::ostream& err);
// Loads FILE through the window's load path; on failure prints the message the
// window would show and returns 1.
int loadForCli(Core& c, const std::string& path, std::ostream& err);

}  // namespace tobrak::cli
