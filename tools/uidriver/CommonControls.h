// Tab control and list view contents read across processes through RemoteMemory.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "AnsiText.h"

namespace uidriver {

std::vector<AnsiText> TabItems(HANDLE process, HWND tab);
std::optional<RECT> TabItemRect(HANDLE process, HWND tab, int item);
int TabSelection(HWND tab);

struct ListColumn {
    AnsiText heading;
    int width = 0;
    int format = 0;
};

std::vector<ListColumn> ListColumns(HANDLE process, HWND list);
int ListRowCount(HWND list);
std::optional<AnsiText> ListCell(HANDLE process, HWND list, int row, int column);
// The row's icon number in the list's small image list; nullopt when it cannot be read.
std::optional<int> ListRowIcon(HANDLE process, HWND list, int row);

}  // namespace uidriver
