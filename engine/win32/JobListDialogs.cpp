#include "engine/win32/JobListDialogs.h"

#include <commdlg.h>

#include <array>

namespace solvena::engine {

namespace {

// Pairs of name and pattern, the list ended by two zero bytes. The text type lists ".txt" files.
constexpr char kSaveFilter[] = "リストファイル(.list)\0*.list\0TXTファイル(.txt)\0*.txt\0";
constexpr char kLoadFilter[] = "LIST file(.list)\0*.list\0TEXT file(.txt)\0*.txt\0";
constexpr std::size_t kListPathSize = 512;

std::optional<std::string> Choose(HWND owner, const char* startFolder, const char* filter, const char* defaultExtension,
                                  DWORD flags, BOOL(WINAPI* dialog)(LPOPENFILENAMEA)) {
    std::array<char, kListPathSize> path{};
    OPENFILENAMEA record{};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.hwndOwner = owner;
    record.lpstrFilter = filter;
    record.nFilterIndex = 1;
    record.lpstrFile = path.data();
    record.nMaxFile = static_cast<DWORD>(path.size());
    record.lpstrInitialDir = startFolder;
    record.lpstrDefExt = defaultExtension;
    record.Flags = flags | OFN_LONGNAMES;
    if (!dialog(&record)) return std::nullopt;
    return std::string(path.data());
}

}  // namespace

std::optional<std::string> ChooseJobListToSave(HWND owner, const char* startFolder) {
    return Choose(owner, startFolder, kSaveFilter, "list", OFN_OVERWRITEPROMPT, GetSaveFileNameA);
}

std::optional<std::string> ChooseJobListToLoad(HWND owner, const char* startFolder) {
    return Choose(owner, startFolder, kLoadFilter, nullptr, OFN_FILEMUSTEXIST, GetOpenFileNameA);
}

}  // namespace solvena::engine
