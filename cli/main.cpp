// kelnor-calc: the calculator without the window, for scripts, checks and users who want a
// report from the command line.

#include <exception>
#include <iostream>
#include <new>

#include "batch.h"
#include "conditions.h"
#include "kelnor/design/book.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/standard_streams.h"
#include "kelnor/report.h"
#include "kelnor/text/text.h"
#include "options.h"

namespace {

using namespace kelnor;

int fail(const std::string& message) {
    std::cerr << "kelnor-calc: " << message << '\n';
    return 1;
}

int runSingle(const cli::Options& options) {
    const std::string report = calculateReport(options.formula, options.inputs);
    if (!options.output || *options.output == "-") {
        platform::writeStandardOutput(report);
    } else {
        platform::replaceFile(pathFromUtf8(*options.output), report);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    platform::useBinaryStandardStreams();
    const platform::ProgramArguments arguments(argc, argv);
    cli::Options options;
    try {
        options = cli::parseOptions(arguments.count(), arguments.values());
    } catch (const cli::UsageError& e) {
        std::cerr << "kelnor-calc: " << e.what() << "\nTry 'kelnor-calc --help'.\n";
        return 2;
    }
    if (options.help) {
        std::cout << cli::usage();
        return 0;
    }
    // Whatever goes wrong ends in one line and exit status 1, never in an abort.
    try {
        if (options.conditions) {
            const cli::ConditionsRequest request{
                options.book,    options.bookTemplate, options.title, options.dam,
                options.settled, design::today(),      options.code,  options.longSection};
            return cli::runOnInput(*options.conditions, [&](cli::TableIo& io) {
                return cli::runConditions(io, request);
            });
        }
        if (options.batch) {
            return cli::runOnInput(*options.batch, [&](cli::TableIo& io) {
                return cli::runBatch(io, options.output);
            });
        }
        return runSingle(options);
    } catch (const Failure& f) {
        return fail(cli::describe(f, cli::optionName));
    } catch (const platform::WriteFailure& f) {
        return fail(cli::describe(f));
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    } catch (const std::exception& e) {
        return fail(e.what());
    } catch (...) {
        return fail("unexpected failure");
    }
}
