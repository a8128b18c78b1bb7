#pragma once
// The file menu's record commands: load, comment, save, clear.
#include <string>
#include <vector>

#include "app/program.h"
#include "util/durable_file.h"

namespace tobrak {

extern const char* const kSltFilter;   // "スロットデーターファイル(*.slt)|*.slt"
extern const char* const kTitleStart;  // "ＴＯＢＲＡＫ　　"
extern const char* const kFileError;   // "ファイル・エラーです！"
extern const char* const kSizeError;   // "データサイズは31000ゲームまでです！"

// Reads the whole file and checks it before anything changes; then replaces the
// record and rebuilds every view from it. A refused file leaves everything as it
// was and the user is told why. Returns whether the file was loaded.
bool loadPlayData(Program& c, const std::string& path);
// A file named at start-up: asks the load question first when the record holds
// games (a restored record), as the load command does.
bool openPlayData(Program& c, const std::string& path);
// The same from a file's bytes (a recovered journal is loaded this way).
bool loadPlayImage(Program& c, const std::vector<std::uint8_t>& bytes, GameTimes times = {});
// Writes the record to `path` (game bytes masked, display options in byte 43).
// A failed write leaves an existing file intact, and the box says why (so does
// `error`, when given). Returns whether it was written.
bool savePlayData(Program& c, const std::string& path, fileio::Error* error = nullptr);
// The box of a failed save: the file error, the file and why it failed.
std::string saveErrorText(const std::string& path, const fileio::Error& error);

void menFile_open_Click(Program& c);
void Comment_Click(Program& c);
void menFile_Save_Click(Program& c);
void Ghp_Cls_Click(Program& c);

// The main window's title for a comment.
std::string windowTitle(const std::u16string& comment);

}  // namespace tobrak
