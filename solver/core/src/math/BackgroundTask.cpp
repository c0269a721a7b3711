#include <math/BackgroundTask.h>
#include <mu/Assert.h>

#include <utility>

namespace math
{
BackgroundTask::BackgroundTask()
    : _thread([this] { run(); })
{
}

BackgroundTask::~BackgroundTask()
{
    // What a task threw has no one left to go to here.
    try
    {
        wait();
    }
    catch (...)
    {
    }
    {
        std::lock_guard lock(_mutex);
        _stopping = true;
    }
    _changed.notify_all();
    _thread.join();
}

void BackgroundTask::post(std::function<bool()> task)
{
    MU_ASSERT_MSG(!_pending, "!_pending");
    {
        std::lock_guard lock(_mutex);
        _task = std::move(task);
        _done = false;
    }
    _pending = true;
    _changed.notify_all();
}

bool BackgroundTask::wait()
{
    if (!_pending)
        return true;
    std::unique_lock lock(_mutex);
    _changed.wait(lock, [this] { return _done; });
    _pending = false;
    if (_thrown)
        std::rethrow_exception(std::exchange(_thrown, nullptr));
    return _result;
}

void BackgroundTask::run()
{
    std::unique_lock lock(_mutex);
    for (;;)
    {
        _changed.wait(lock, [this] { return _stopping || _task; });
        if (!_task)
            return;
        std::function<bool()> task = std::move(_task);
        _task = nullptr;
        lock.unlock();
        bool result = false;
        std::exception_ptr thrown;
        try
        {
            result = task();
        }
        catch (...)
        {
            thrown = std::current_exception();
        }
        lock.lock();
        _result = result;
        _thrown = thrown;
        _done = true;
        _changed.notify_all();
    }
}
} // namespace math
