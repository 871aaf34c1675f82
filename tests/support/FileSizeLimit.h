#pragma once

#include <csignal>

#include <sys/resource.h>

// A disk that fills up, for as long as the holder lives: no file this process writes may grow
// past the limit, and a write past it fails (EFBIG) instead of ending the process.
class TFileSizeLimit final
{
public:
    explicit TFileSizeLimit(rlim_t bytes) : FHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &FPrevious);
        rlimit small = FPrevious;
        small.rlim_cur = bytes;
        FSet = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &FPrevious);
        std::signal(SIGXFSZ, FHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

    bool Set() const { return FSet; }

private:
    void (*FHandler)(int);
    rlimit FPrevious{};
    bool FSet = false;
};
