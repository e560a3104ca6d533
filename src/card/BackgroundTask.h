// One job at a time on a thread of its own, so that the calling thread can
// prepare the next one (or look at the last one's result) meanwhile: the
// card test writes and reads the card there while it makes and checks its
// patterns. Where the system gives no thread, a job runs when started.
#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CBackgroundTask {
public:
    CBackgroundTask();
    // Waits for the job under way.
    ~CBackgroundTask();
    CBackgroundTask(const CBackgroundTask&) = delete;
    CBackgroundTask& operator=(const CBackgroundTask&) = delete;

    // Runs `job`; the one before must have been waited for.
    void Start(std::function<void()> job);
    // Returns once the job started last has ended.
    void Wait();

private:
    void Loop();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    bool busy_ = false;
    bool quit_ = false;
    std::thread thread_;
};
