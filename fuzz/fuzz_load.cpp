// Fuzzes the play-data loader and the journal reader with arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/file_commands.h"
#include "app/headless/headless_app.h"
#include "record/journal.h"
#include "record/slt_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tobrak::headless::HeadlessApp app(nullptr);
    app.ui.Picture2s.logging = false;
    app.ui.Zoom.logging = false;
    app.ui.dialogs.shown.clear();  // nothing may grow from input to input
    const std::vector<std::uint8_t> bytes(data, data + size);
    tobrak::Program& c = app.program;
    if (tobrak::loadPlayImage(c, bytes)) {
        // A loaded record saves back to the same game bytes.
        const auto again = tobrak::encodeSlt(c.rec);
        if (again.size() != bytes.size()) __builtin_trap();
        for (std::size_t i = 48; i < bytes.size(); ++i)
            if (again[i] != bytes[i]) __builtin_trap();
    }
    if (const auto image = tobrak::Journal::replay(bytes)) {
        tobrak::PlayRecord r;
        if (tobrak::decodeSlt(*image, r) != tobrak::SltStatus::Ok) __builtin_trap();
    }
    return 0;
}
