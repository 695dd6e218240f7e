#pragma once
// The commands of quendale-host; each raises HostError or UsageError.
#include <string>
#include <vector>

namespace quendale {

using Arguments = std::vector<std::string>;

// init [--sample-hotel] [--force]
void RunInit(const Arguments& args);
// reg set KEY NAME TYPE VALUE | reg get KEY NAME | reg delete KEY NAME
void RunReg(const Arguments& args);
// retrieve [--messages] | avail YYYY-MM-DD YYYY-MM-DD | dialog, through the library at libraryPath.
void RunRetrieve(const Arguments& args, const std::string& libraryPath);
void RunAvail(const Arguments& args, const std::string& libraryPath);
void RunDialog(const Arguments& args, const std::string& libraryPath);

}  // namespace quendale
