// Showing a setting's value in its control after the program changed it.
#pragma once

#include "core/parameter.h"

// Writes the text (or the number as decimal text) into the setting's control;
// logs "GetDlgItem failed for ID {}" when the control does not exist.
void gf_setControlText(const StringGuiParameter& setting);
void gf_setControlTextInt(const IntGuiParameter& setting);
// Ticks or clears the setting's check box and repaints the labels that follow it.
void gf_setCheckBox(const BoolGuiParameter& setting);
