#include "record/display_marks.h"

#include "record/slt_file.h"

namespace tobrak {

std::uint8_t currentOptions(const Markers& m, const PlayRecord& rec) {
    return optionsByte(m.Mark_BBs, m.Mark_BBe, m.Mark_RBe, rec.Dat_Buf[43]);
}

}  // namespace tobrak
