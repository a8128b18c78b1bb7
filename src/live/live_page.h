#pragma once
// The live view's page (HTML, CSS and script in one), built into the program.

namespace tobrak::live {

extern const char* const kLivePage;

}  // namespace tobrak::live
