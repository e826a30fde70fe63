// The main window's WM_COMMAND and the edit boxes' Enter key: the controls' handlers.
#pragma once

#include "core/parameter.h"
#include "platform/win32.h"

#include <string>

// True when a handler took the command; otherwise the window's default handling applies.
bool lf_HandleWMCOMMAND(HWND window, WPARAM wParam, LPARAM lParam);

// The window procedure of the three edit boxes: Enter runs the box's handler, every other
// message goes to the box's previous procedure.
LRESULT lf_editSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, void (*handler)());
LRESULT CALLBACK lf_blockCallsignEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK lf_communityPathEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK lf_destinationEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The procedure the edit box of the setting is subclassed with.
WNDPROC lf_editProcOf(const StringGuiParameter& setting);

// The text of a control of the main window as UTF-8; empty when it is missing or unreadable.
std::string lf_getTextFromId(int controlId);

// A user's pick in a drop-down list.
struct ComboSelection {
    int index = -1;
    std::string text;
    bool valid = false;
};
// Valid only for CBN_SELCHANGE of that list with a selection whose text can be read.
ComboSelection lf_readComboSelection(HWND window, int comboId, WPARAM wParam);

// The handlers by kind of control; each returns true when the id is one of its controls.
bool lf_onCommandButtons(HWND window, int controlId);
bool lf_onCommandCheckBoxes(HWND window, int controlId);
bool lf_onCommandCombos(HWND window, int controlId, WPARAM wParam);

// Enter in the edit boxes.
void lf_onBlockCallsignEntered();
void lf_onCommunityPathEntered();
void lf_onDestinationEntered();

// Blocking a live aircraft by its callsign, and ending it.
void lf_unblockCallsign();
void lf_setBlockCallsign(const std::string& callsign);

// Ends the run so that it restarts with the new settings after the delay.
void lf_restartForNewSettings(int delaySeconds);
