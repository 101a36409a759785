#pragma once

// What differs between systems at the edge of kelnor-calc: how its arguments arrive, how its
// standard streams pass bytes, and how it opens and checks the files it is named.

#include <string>
#include <system_error>
#include <vector>

namespace kelnor::cli {

// The command line as UTF-8. Windows hands it over as UTF-16 and it is converted here, so a
// Chinese or full-width text typed at the console arrives whole whatever the code page.
class ProgramArguments {
  public:
    ProgramArguments(int argc, char** argv);
    int count() const { return static_cast<int>(pointers_.size()); }
    const char* const* values() const { return pointers_.data(); }

  private:
    std::vector<std::string> texts_;
    std::vector<const char*> pointers_;
};

// Standard input, output and error pass bytes unchanged: the report's CR LF stays CR LF.
void useBinaryStandardStreams();

// Opens the file named in UTF-8 for reading; -1 with errno set when it cannot.
int openForReading(const std::string& path);

// Why reports cannot go into the folder named in UTF-8, or nothing when it is a folder.
std::error_code folderProblem(const std::string& path);

}  // namespace kelnor::cli
