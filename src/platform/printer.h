#pragma once
// The printer as the report uses it: a dialog, then one page drawn through the
// surface interface, then the page handed over (or the job aborted).
#include "platform/surface.h"

namespace tobrak {

class Printer {
public:
    enum class Start { Ready, Cancelled, Failed };
    virtual ~Printer() = default;
    // Shows the print dialog (landscape preset, no print-to-file) and opens the
    // document with the copies and orientation chosen there.
    virtual Start begin() = 0;
    // The page, in twips from the printable area's top-left corner.
    virtual Surface& page() = 0;
    // Hands the page to the printer; false when that failed.
    virtual bool end() = 0;
    virtual void abort() = 0;
};

}  // namespace tobrak
