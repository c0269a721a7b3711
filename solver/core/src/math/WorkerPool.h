#pragma once
// Threads that share the parts of one task: the calling thread and the
// pool's workers take parts one by one until none is left, so a thread
// that the system holds back (another process on its core) delays a part,
// not a share of the whole. Between tasks a worker spins for a bounded time
// on the task counter, so that the passes of one solve (a few hundred
// microseconds apart) start without waking a sleeping thread; after that
// it blocks, and costs nothing while no solve runs.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <sparse/IParallel.h>
#include <thread>
#include <vector>

namespace math
{
// Lent to the sparse factorisation as its threads too.
class WorkerPool final : public sparse::IParallel
{
public:
    static constexpr unsigned maxParts = 0xFFFF;

    // nThreads >= 1 (1: no workers, every task runs on the calling thread).
    explicit WorkerPool(unsigned nThreads);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    ~WorkerPool();

    unsigned size() const override { return unsigned(_workers.size()) + 1; }
    // Runs every part and returns when all have finished. One caller at a
    // time; allocates nothing. nParts <= maxParts.
    // task(context, part) for part 0 .. nParts - 1, each once.
    void run(Task task, void* context, unsigned nParts) override;

    // The threads a pool gets unless told otherwise: the cores this process
    // may run on, at most 4.
    static unsigned defaultSize();
    static unsigned availableCores();

private:
    void work();
    // Waits for a task other than the one of generation seen; false when
    // the pool stops.
    bool awaitTask(std::uint32_t& seen);
    // Takes and runs parts of the task of generation g while any is left.
    void takeParts(std::uint32_t g);

    std::vector<std::thread> _workers;
    // Written before a task's ticket, read by a thread once it holds a part
    // of that task: stable until every part has finished.
    Task _task = nullptr;
    void* _context = nullptr;
    std::atomic<bool> _stopping {false};
    // The task's generation (high 32 bits), its parts (16) and the next
    // part to take (16): a thread takes a part of the task it woke for or
    // none.
    alignas(64) std::atomic<std::uint64_t> _ticket {0};
    alignas(64) std::atomic<unsigned> _finished {0};
    alignas(64) std::atomic<unsigned> _sleepers {0};
    std::mutex _mutex;
    std::condition_variable _wake;
};
} // namespace math
