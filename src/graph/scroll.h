#pragma once
// Sideways scrolling of the slump graph along its 90000-medal axis.
#include <cstdint>

#include "app/core.h"

namespace tobrak {

void GhpScrollBack(Core& c, std::int32_t step);
void GhpScrollFwd(Core& c, std::int32_t step);
void Hidari_Click(Core& c);   // "<<<"
void Dhidari_Click(Core& c);  // "≪≪"
void Migi_Click(Core& c);     // ">>>"
void Dmigi_Click(Core& c);    // "≫≫"

}  // namespace tobrak
