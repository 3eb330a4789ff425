#pragma once
// vlm2tool: archives, INI files and scrambled save files for content authors and modders,
// on the same code the game uses.

#include <iosfwd>
#include <string>
#include <vector>

namespace vlm::tool {

// Runs one command (the arguments after the program name). Results go to `out`, problems to
// `err`. Returns the exit status: 0 on success, 1 on a failure, 2 on a usage error.
int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vlm::tool
