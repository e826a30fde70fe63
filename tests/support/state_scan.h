// Finds the variables of C++ sources that live longer than a call: namespace-scope
// variables (globals, file-local and inline ones) and function-static ones. Constants
// (const, constexpr) are not state and are left out.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

struct ScannedVariable {
    std::string file;
    int line = 0;
    std::string name;          // as declared; "Class::member" for a static member's definition
    bool functionStatic = false;
};

// The variables of one source text.
std::vector<ScannedVariable> scanStateVariables(std::string_view source, const std::string& file);
// The variables of every .h and .cpp file below a folder, the folders named in skip left out.
std::vector<ScannedVariable> scanStateVariablesIn(const std::filesystem::path& folder,
                                                  const std::vector<std::string>& skip);

} // namespace testsupport
