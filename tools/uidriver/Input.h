// What a person does, done with posted messages so the program handles each action from its own
// message loop (and a modal box it opens never blocks the driver).
#pragma once

#include <windows.h>

namespace uidriver {

// BM_CLICK, posted.
bool Click(HWND button);
// BM_CLICK, sent: true once the program's command handler has returned. A posted click followed
// by a sent message is no barrier (sent messages are delivered first). Only for buttons whose
// command opens no box: a box's own loop would hold the send until the box closes.
bool ClickAndWait(HWND button);
// A posted left click in the middle of tab item `item`, so the tab control changes the selection
// and notifies the program itself; true once the selection is `item` and the program's handler
// has returned.
bool ClickTab(HANDLE process, HWND tab, int item);
// Opens or closes the combo's list (CB_SHOWDROPDOWN, posted); true once it is seen so. Closing
// sends the program CBN_CLOSEUP.
bool DropDown(HWND combo);
bool CloseDropDown(HWND combo);
// Opens the combo's list and closes it again (CB_SHOWDROPDOWN TRUE, then FALSE, both posted);
// the close sends the program CBN_CLOSEUP. True once the list was seen open and then closed.
bool DropDownAndClose(HWND combo);
// CB_SETCURSEL: changes the shown entry without notifying the program, like a selection made in a
// list that is still open.
bool SelectComboEntry(HWND combo, int index);

}  // namespace uidriver
