#include "CommonControls.h"

#include <commctrl.h>

#include "Query.h"
#include "RemoteMemory.h"

namespace uidriver {

namespace {

constexpr std::size_t kTextCapacity = 512;

// A record followed by its text buffer in one remote block; the record's text pointer is set to
// the remote buffer before the record is written.
template <typename Record>
struct RecordWithText {
    static constexpr std::size_t kTextOffset = (sizeof(Record) + 15) / 16 * 16;
    static constexpr std::size_t kSize = kTextOffset + kTextCapacity;
};

std::optional<AnsiText> ReadRemoteText(const RemoteMemory& memory, std::size_t offset) {
    char text[kTextCapacity + 1] = {};
    if (!memory.Read(offset, text, kTextCapacity)) return std::nullopt;
    return AnsiText(text);  // the extra zero byte ends even an unterminated buffer
}

}  // namespace

std::vector<AnsiText> TabItems(HANDLE process, HWND tab) {
    std::vector<AnsiText> items;
    LRESULT count = AskOr(tab, TCM_GETITEMCOUNT, 0, 0, 0);
    using Layout = RecordWithText<TCITEMA>;
    RemoteMemory memory(process, Layout::kSize);
    if (!memory.ok()) return items;
    for (LRESULT i = 0; i < count; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = memory.at(Layout::kTextOffset);
        item.cchTextMax = static_cast<int>(kTextCapacity);
        char zeros[kTextCapacity] = {};
        if (!memory.Write(0, &item, sizeof item) || !memory.Write(Layout::kTextOffset, zeros, sizeof zeros)) break;
        if (!AskOr(tab, TCM_GETITEMA, static_cast<WPARAM>(i), memory.param(), 0)) {
            items.emplace_back("<no item>");
            continue;
        }
        // The control may answer with a pointer of its own instead of filling the buffer.
        TCITEMA answered{};
        memory.Read(0, &answered, sizeof answered);
        if (answered.pszText != item.pszText) {
            items.emplace_back("<text elsewhere>");
            continue;
        }
        items.push_back(ReadRemoteText(memory, Layout::kTextOffset).value_or(AnsiText("<unreadable>")));
    }
    return items;
}

std::optional<RECT> TabItemRect(HANDLE process, HWND tab, int item) {
    RemoteMemory memory(process, sizeof(RECT));
    RECT rect{};
    if (!memory.ok() || !AskOr(tab, TCM_GETITEMRECT, static_cast<WPARAM>(item), memory.param(), 0) ||
        !memory.Read(0, &rect, sizeof rect)) {
        return std::nullopt;
    }
    return rect;
}

int TabSelection(HWND tab) { return static_cast<int>(AskOr(tab, TCM_GETCURSEL, 0, 0, -2)); }

std::vector<ListColumn> ListColumns(HANDLE process, HWND list) {
    std::vector<ListColumn> columns;
    using Layout = RecordWithText<LVCOLUMNA>;
    RemoteMemory memory(process, Layout::kSize);
    if (!memory.ok()) return columns;
    // A report list has as many columns as its header has items.
    HWND header = reinterpret_cast<HWND>(AskOr(list, LVM_GETHEADER, 0, 0, 0));
    LRESULT count = header ? AskOr(header, HDM_GETITEMCOUNT, 0, 0, 0) : 0;
    for (LRESULT i = 0; i < count; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = memory.at(Layout::kTextOffset);
        column.cchTextMax = static_cast<int>(kTextCapacity);
        char zeros[kTextCapacity] = {};
        if (!memory.Write(0, &column, sizeof column) || !memory.Write(Layout::kTextOffset, zeros, sizeof zeros)) {
            break;
        }
        ListColumn read;
        if (AskOr(list, LVM_GETCOLUMNA, static_cast<WPARAM>(i), memory.param(), 0)) {
            LVCOLUMNA answered{};
            memory.Read(0, &answered, sizeof answered);
            read.width = answered.cx;
            read.format = answered.fmt;
            read.heading = answered.pszText == column.pszText
                               ? ReadRemoteText(memory, Layout::kTextOffset).value_or(AnsiText("<unreadable>"))
                               : AnsiText("<text elsewhere>");
        } else {
            read.heading = AnsiText("<no column>");
        }
        columns.push_back(read);
    }
    return columns;
}

int ListRowCount(HWND list) { return static_cast<int>(AskOr(list, LVM_GETITEMCOUNT, 0, 0, -1)); }

std::optional<AnsiText> ListCell(HANDLE process, HWND list, int row, int column) {
    using Layout = RecordWithText<LVITEMA>;
    RemoteMemory memory(process, Layout::kSize);
    if (!memory.ok()) return std::nullopt;
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = memory.at(Layout::kTextOffset);
    item.cchTextMax = static_cast<int>(kTextCapacity);
    char zeros[kTextCapacity] = {};
    if (!memory.Write(0, &item, sizeof item) || !memory.Write(Layout::kTextOffset, zeros, sizeof zeros)) {
        return std::nullopt;
    }
    if (AskOr(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), memory.param(), -1) < 0) return std::nullopt;
    return ReadRemoteText(memory, Layout::kTextOffset);
}

std::optional<int> ListRowIcon(HANDLE process, HWND list, int row) {
    RemoteMemory memory(process, sizeof(LVITEMA));
    if (!memory.ok()) return std::nullopt;
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    if (!memory.Write(0, &item, sizeof item) || !AskOr(list, LVM_GETITEMA, 0, memory.param(), 0)) return std::nullopt;
    LVITEMA answered{};
    if (!memory.Read(0, &answered, sizeof answered)) return std::nullopt;
    return answered.iImage;
}

}  // namespace uidriver
