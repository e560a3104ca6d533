#include "TempDir.h"

#include <cstdlib>
#include <filesystem>

CTempDir::CTempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && base[0] ? base : "/tmp") + "/tessaro-test-XXXXXX";
    if (char* made = mkdtemp(tmpl.data()))
        path_ = made;
}

CTempDir::~CTempDir()
{
    std::error_code ec;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ec);
}

CFileSizeLimit::CFileSizeLimit(unsigned long long bytes)
{
    // The signal a growing write would raise ends the process by default.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &oldAction_);
    getrlimit(RLIMIT_FSIZE, &old_);
    struct rlimit limit = old_;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

CFileSizeLimit::~CFileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &old_);
    sigaction(SIGXFSZ, &oldAction_, nullptr);
}
