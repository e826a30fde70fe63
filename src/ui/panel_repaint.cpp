#include "ui/panel_repaint.h"

// The main window builds the real request; until it exists there is nothing to repaint.
void gf_repaintPanelHeader() {}
