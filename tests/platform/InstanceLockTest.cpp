// The single-instance lock: one holder at a time, across processes, released
// with its holder.
#include "InstanceLock.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs `body` in a child process and returns its exit status.
template <class F>
int InChild(F body)
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int TryLock(const std::string& path)
{
    CInstanceLock lock;
    return lock.AcquireFile(path) ? 0 : 1;
}

} // namespace

TEST(InstanceLockTest, SecondProcessIsRefusedWhileTheFirstHoldsTheLock)
{
    CTempDir dir;
    const std::string path = dir.File("Vor_TessaroFlash.lock");
    {
        CInstanceLock first;
        ASSERT_TRUE(first.AcquireFile(path));
        EXPECT_TRUE(first.Held());
        EXPECT_EQ(1, InChild([&] { return TryLock(path); })) << "the second copy must not get the lock";
        EXPECT_TRUE(first.Held()) << "the first copy keeps it";
    }
    EXPECT_EQ(0, InChild([&] { return TryLock(path); })) << "released when the holder goes";
}

TEST(InstanceLockTest, LockEndsWithTheProcessThatHeldIt)
{
    CTempDir dir;
    const std::string path = dir.File("x.lock");
    // A holder that ends without releasing (as a crash would) leaves no
    // stale lock behind.
    EXPECT_EQ(0, InChild([&] {
        auto* leaked = new CInstanceLock;
        return leaked->AcquireFile(path) ? 0 : 1;
    }));
    CInstanceLock lock;
    EXPECT_TRUE(lock.AcquireFile(path));
}

TEST(InstanceLockTest, UncreatableOrPlantedLockFileIsRefused)
{
    CTempDir dir;
    CInstanceLock lock;
    EXPECT_FALSE(lock.AcquireFile(dir.File("missing/x.lock")));
    const std::string target = dir.File("target");
    ASSERT_EQ(0, symlink(target.c_str(), dir.File("link.lock").c_str()));
    EXPECT_FALSE(lock.AcquireFile(dir.File("link.lock"))) << "a symbolic link is not followed";
    struct stat st {};
    EXPECT_NE(0, lstat(target.c_str(), &st)) << "nothing was created through the link";
}

TEST(InstanceLockTest, LockLivesInTheRuntimeFolderElsePerUserInTmp)
{
    CTempDir dir;
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    std::string saved = old ? old : "";
    setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    EXPECT_EQ(dir.File("Vor_TessaroFlash.lock"), CInstanceLock::LockPath("Vor_TessaroFlash"));
    {
        CInstanceLock lock;
        EXPECT_TRUE(lock.Acquire("Vor_TessaroFlash"));
        struct stat st {};
        EXPECT_EQ(0, stat(dir.File("Vor_TessaroFlash.lock").c_str(), &st));
    }
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ("/tmp/Vor_TessaroFlash-" + std::to_string(getuid()) + ".lock",
              CInstanceLock::LockPath("Vor_TessaroFlash"));
    setenv("XDG_RUNTIME_DIR", dir.File("gone").c_str(), 1);
    EXPECT_EQ("/tmp/Vor_TessaroFlash-" + std::to_string(getuid()) + ".lock",
              CInstanceLock::LockPath("Vor_TessaroFlash"))
        << "a runtime folder that does not exist is not used";
    if (old)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
}
