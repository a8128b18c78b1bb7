#pragma once
// Everything drawn or counted from the record again, and the switch between the
// graph view and the analysis view.
#include "app/program.h"

namespace tobrak {

// Reset of every counter, figure and bonus flag; the monitor line to " ".
void ChrClrInit(Program& c);
// Every counter again from the record, then the panel and the bonus indicator.
void ChrDispAll(Program& c);
// Clears the graph: blink stopped, scroll 0, surfaces cleared, grid, labels, origin.
void GhpClrInit(Program& c);
// Toggles display option item 0 (interval figures), 2 (BB gains) or 4 (RB gains)
// and redraws the graphs and the statistics from the record.
void GhpHyo_Click(Program& c, int index);
// The expected-value line shown or not, for `setting` (0 the estimated one, 1 to 6
// that one), with the check marks; the graphs redrawn when anything changed.
void expectedLineClick(Program& c, bool on, int setting);
// The expected-value line's check marks as the option stands.
void showExpectedLine(Program& c);
// Everything drawn or counted from the record, again: the graph with its grid and
// origin, then the statistics and the zoom window.
void GhpRebuildAll(Program& c);
// The statistics rebuilt and the zoom window redrawn with the choice in force.
void recountAndZoom(Program& c);
// All three display options on / off, with their check marks.
void Hyouji_Menu_Init(Program& c);
void Hyouji_Menu_Cls(Program& c);

// Runs analysis command `index`: 0, 2, 3, 4, 6, 7, 8 a chart, 10 the small-win table,
// 12 the bonus history and setting estimate.
void Kaiseki_Click(Program& c, int index);
// Back from the analysis view to the graph, rebuilt.
void HistEnd_Click(Program& c);

}  // namespace tobrak
