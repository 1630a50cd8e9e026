#pragma once
// The jobs qarn-cli runs on the embedded simulated CAD.
#include <optional>
#include <string>
#include <vector>

namespace qarn::cad::sim {
class SimCad;
}

namespace qarn::cli {

// Each job returns the process exit code; reasons for failure go to standard error.
int runDemo(const std::vector<std::string>& args);
int runSearch(const std::vector<std::string>& args);
int runEnclosure(const std::vector<std::string>& args, const char* argv0);
int runFrame(const std::vector<std::string>& args, const char* argv0);
int runPanel(const std::vector<std::string>& args, const char* argv0);
int runThumbnail(const std::vector<std::string>& args);
int runBom(const std::vector<std::string>& args);
int runLayout(const std::vector<std::string>& args, const char* argv0);
int runResave(const std::vector<std::string>& args);
int runPlot(const std::vector<std::string>& args);

// Opens a drawing file in the simulated CAD for a job: the reason it could not, or nothing.
std::optional<std::string> openForJob(cad::sim::SimCad& sim, const std::string& file);

}  // namespace qarn::cli
