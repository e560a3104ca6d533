#include "BackgroundTask.h"

#include <system_error>

CBackgroundTask::CBackgroundTask()
{
    try {
        thread_ = std::thread([this] { Loop(); });
    } catch (const std::system_error&) {
        // No thread: Start runs each job itself.
    }
}

CBackgroundTask::~CBackgroundTask()
{
    if (!thread_.joinable())
        return;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !busy_; });
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void CBackgroundTask::Start(std::function<void()> job)
{
    if (!thread_.joinable()) {
        job();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = std::move(job);
        busy_ = true;
    }
    changed_.notify_all();
}

void CBackgroundTask::Wait()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
}

void CBackgroundTask::Loop()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || quit_; });
        if (quit_)
            return;
        std::function<void()> job = std::move(job_);
        lock.unlock();
        job();
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}
