#pragma once
// One task at a time on a thread of its own, behind the thread that posts
// it: the poster goes on with other work and later waits for the task's
// result. The thread starts with the object and ends with it.
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace math
{
class BackgroundTask
{
public:
    BackgroundTask();
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;
    // Waits for a posted task first, dropping what it threw.
    ~BackgroundTask();

    // Runs task on the thread; the task posted before must have been waited for.
    void post(std::function<bool()> task);
    // Waits for the posted task and returns its result (throws what it
    // threw); true when none is pending.
    bool wait();
    bool pending() const { return _pending; }

private:
    void run();

    std::mutex _mutex;
    std::condition_variable _changed;
    std::function<bool()> _task; // set while posted and not yet taken
    bool _pending = false;       // posted and not yet waited for (the poster's alone)
    bool _done = false;
    bool _result = true;
    std::exception_ptr _thrown;
    bool _stopping = false;
    std::thread _thread;
};
} // namespace math
