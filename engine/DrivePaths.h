// One file or one volume has several names on Windows: a drive letter made by subst stands for a
// folder, a mapped network drive for a share. The run compares files and drives by what the
// names stand for.
#pragma once

#include <string>
#include <string_view>

namespace solvena {

// The full path `path` ("X:\rest") with its drive letter replaced by what the system maps the
// letter to (`target`, as QueryDosDevice answers for "X:"): a subst folder ("\??\C:\dir" gives
// "C:\dir\rest"), a subst folder on a share ("\??\UNC\server\share\dir" gives
// "\\server\share\dir\rest") or a network share ("\Device\LanmanRedirector\;X:0000\server\share"
// or "\Device\Mup\;LanmanRedirector\;X:0000\server\share" give "\\server\share\rest").
// Anything else (a volume, a path without a drive letter) leaves the path as it is.
std::string PathThroughDrive(std::string_view path, std::string_view target);

// Where the last separator ('\' or '/') of a code page 932 path is, found by characters; npos
// without one.
std::size_t LastSeparator(std::string_view path);

}  // namespace solvena
