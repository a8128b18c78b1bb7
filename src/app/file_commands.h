#pragma once
// The file menu's commands: load, open a kept journal, comment, save (to the
// current file or a new one), clear, print and the graph as a picture.
#include <string>
#include <vector>

#include "app/program.h"
#include "util/durable_file.h"

namespace tobrak {

extern const char* const kSltFilter;      // "スロットデーターファイル(*.slt)|*.slt"
extern const char* const kTitleStart;     // "ＴＯＢＲＡＫ　　"
extern const char* const kFileError;      // "ファイル・エラーです！"
extern const char* const kSizeError;      // "データサイズは31000ゲームまでです！"
extern const char* const kJournalFilter;  // "保護データ(*.journal)|*.journal"
extern const char* const kPdfFilter;      // "PDFファイル(*.pdf)|*.pdf"
extern const char* const kPngFilter;      // "PNG画像(*.png)|*.png"

// Reads the whole file and checks it before anything changes; then replaces the
// record and rebuilds every view from it, and the file becomes the current one.
// A refused file leaves everything as it was and the user is told why. Returns
// whether the file was loaded.
bool loadPlayData(Program& c, const std::string& path);
// A file named at start-up: asks the load question first when the record holds
// games (a restored record), as the load command does.
bool openPlayData(Program& c, const std::string& path);
// The same from a file's bytes (a recovered journal is loaded this way); no file
// is current afterwards.
bool loadPlayImage(Program& c, const std::vector<std::uint8_t>& bytes, GameTimes times = {});
// A kept journal file, loaded as a file is, with its games' times. A file that is
// no journal, or holds no game, is refused with a box and changes nothing.
bool openJournalFile(Program& c, const std::string& path);
// Writes the record to `path` (game bytes masked, display options in byte 43),
// which becomes the current file.
// A failed write leaves an existing file intact, and the box says why (so does
// `error`, when given). Returns whether it was written.
bool savePlayData(Program& c, const std::string& path, fileio::Error* error = nullptr);
// The box of a failed save: the file error, the file and why it failed.
std::string saveErrorText(const std::string& path, const fileio::Error& error);

void menFile_open_Click(Program& c);
void Hogo_open_Click(Program& c);  // "保護データを開く…"
void Comment_Click(Program& c);
// "上書き保存": to the current file without a question; with none, as the save.
void menFile_Uwagaki_Click(Program& c);
// "ファイルの保存": always asks the file name.
void menFile_Save_Click(Program& c);
void Ghp_Cls_Click(Program& c);
// "グラフの印刷"; when the printer fails, its page may go to a PDF file instead.
void O_prin_Click(Program& c);
// "画像として保存": the slump graph, scrolled as in the window, as a PNG file.
void Gazou_Save_Click(Program& c);

// The main window's title: the product name and the comment, then the current
// file's name, marked while the record has changed since.
std::string windowTitle(const std::u16string& comment, const std::string& file = {}, bool unsaved = false);
void showTitle(Program& c);

}  // namespace tobrak
