// The programs' outermost guard: no exception ends a program without a word. An exception that
// reaches main, or one that cannot unwind further (out of a toolkit callback), is reported on
// standard error and the program exits with status 1.
#pragma once

#include "platform/FileSystem.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

namespace pennoria::platform {

namespace detail {
inline const char*& TopLevelProgramName() {
    static const char* name = "pennoria";
    return name;
}

inline void ReportException(std::exception_ptr error) {
    const char* program = TopLevelProgramName();
    try {
        if (error)
            std::rethrow_exception(error);
        std::fprintf(stderr, "%s: stopped by an internal error\n", program);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: out of memory\n", program);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: stopped by an internal error: %s\n", program, e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: stopped by an internal error\n", program);
    }
}
} // namespace detail

// Runs body (returning the exit status); any exception it lets out is reported, giving 1. A write
// beyond the file-size limit fails and is reported instead of ending the program.
template <typename Body> int RunReportingExceptions(const char* program, Body body) {
    detail::TopLevelProgramName() = program;
    KeepRunningPastFileSizeLimit();
    std::set_terminate([] {
        detail::ReportException(std::current_exception());
        std::_Exit(1);
    });
    try {
        return body();
    } catch (...) {
        detail::ReportException(std::current_exception());
        return 1;
    }
}

} // namespace pennoria::platform
