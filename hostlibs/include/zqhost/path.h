// The search path and file names, as the host's path manager keeps them.
#pragma once

#include <string>
#include <vector>

namespace zqhost {

// The directories of ZQPATH (colon-separated), in order.
std::vector<std::string> searchPathDirectories();
// name made absolute against the current directory, without "." parts.
std::string absolutePath(const std::string &name);
// The directory above the one holding the zq program (its installation prefix).
std::string installationPrefix();

}  // namespace zqhost
