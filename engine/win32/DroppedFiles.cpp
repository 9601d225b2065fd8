#include "engine/win32/DroppedFiles.h"

#include <utility>

namespace solvena::engine {

std::vector<std::string> TakeDroppedFiles(HDROP drop) {
    std::vector<std::string> files;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // The length is asked first: a long path must not be cut to a fixed buffer.
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string path(length + 1, '\0');
        path.resize(DragQueryFileA(drop, i, path.data(), length + 1));
        if (!path.empty()) files.push_back(std::move(path));
    }
    DragFinish(drop);
    return files;
}

}  // namespace solvena::engine
