#include "app/filedisp.h"

#include "acquisition/rs232.h"
#include "graph/graph_clear.h"
#include "stats/panel.h"
#include "stats/stats_engine.h"

namespace tobrak {

const char* const kGainUnit = "枚";

namespace {

void setMarkers(Core& c, bool on) {
    c.ui.main.GhpHyo[0]->setChecked(on);
    c.mark.Mark_BBs = on;
    c.mark.Mark_RBs = on;
    c.ui.main.GhpHyo[2]->setChecked(on);
    c.mark.Mark_BBe = on;
    c.ui.main.GhpHyo[4]->setChecked(on);
    c.mark.Mark_RBe = on;
}

// Values the window has by design, before any code runs.
void applyDesign(Core& c) {
    MainControls& m = c.ui.main;
    m.Label1->setCaption(kBoardNg);
    m.Label15->setCaption(kGainUnit);
    m.Label14->setVisible(false);
    m.Label15->setVisible(false);
    m.menPage->setCaption("項目切替　１／５");
    c.ui.Timer2->setInterval(kPollMs);
    c.ui.Timer8->setInterval(kBlinkMs);
    c.ui.Timer8->setEnabled(false);
}

}  // namespace

void Hyouji_Menu_Init(Core& c) {
    setMarkers(c, true);
}
void Hyouji_Menu_Cls(Core& c) {
    setMarkers(c, false);
}

void Form_Load(Core& c) {
    applyDesign(c);
    KoumokuInit(c);
    c.rec.Dat_Max = kDatMax;
    c.pen.Zoom_Scl = 10.0f;
    c.flags.Kaiseki_On = 0;
    c.rec.Dat_Len = kHeaderLen;
    c.rec.Ghp_Pos = kHeaderLen + 1;
    c.rec.Dat_Buf[kHeaderLen] = 0;
    c.fd.MenuPage = -1;
    menPage_Click(c);
    Hyouji_Menu_Init(c);
    ChrClrInit(c);
    GhpClrInit(c);
    c.ui.graph->X4GhpInit();
    c.ui.Timer2->setEnabled(true);
}

}  // namespace tobrak
