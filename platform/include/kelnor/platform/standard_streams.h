#pragma once

// A command-line program's edge: how its arguments arrive and how its standard streams pass
// bytes.

#include <string>
#include <string_view>
#include <vector>

namespace kelnor::platform {

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

// The program's standard output, writing all of `bytes`; raises WriteFailure naming
// "standard output" with the system's reason.
void writeStandardOutput(std::string_view bytes);

#ifdef _WIN32
// One argument on a Windows command line, quoted so that the started program's C runtime
// splits it back unchanged: backslashes double only where a quote follows them.
std::wstring quoteArgument(const std::wstring& arg);
#endif

}  // namespace kelnor::platform
