#include <math/WorkerPool.h>
#include <mu/Assert.h>
#include <plat/SpinPause.h>

#include <algorithm>
#include <chrono>
#include <sched.h>

namespace math
{
namespace
{
// How long an idle worker spins before it blocks: longer than the gaps
// between the passes of one Newton iteration (shared values, residuals,
// Jacobian), shorter than the refactorisation between iterations. Spinning
// through that too (a few milliseconds on a large grid) was faster on idle
// cores but twice as slow on cores shared with other processes: the
// spinning workers took turns from the thread that factorises.
constexpr auto spinTime = std::chrono::microseconds(200);

std::uint32_t generationOf(std::uint64_t ticket) { return std::uint32_t(ticket >> 32); }
unsigned partsOf(std::uint64_t ticket) { return unsigned(ticket >> 16) & WorkerPool::maxParts; }
unsigned nextOf(std::uint64_t ticket) { return unsigned(ticket) & WorkerPool::maxParts; }
} // namespace

WorkerPool::WorkerPool(unsigned nThreads)
{
    _workers.reserve(std::max(nThreads, 1u) - 1);
    for (unsigned t = 1; t < nThreads; ++t)
        _workers.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool()
{
    _stopping.store(true);
    _ticket.store(std::uint64_t(generationOf(_ticket.load()) + 1) << 32);
    {
        std::lock_guard lock(_mutex);
    }
    _wake.notify_all();
    for (std::thread& w : _workers)
        w.join();
}

unsigned WorkerPool::availableCores()
{
    // The cores this process may run on: under taskset or a container's
    // CPU set, fewer than the machine has, and more threads than cores
    // only take turns.
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(unsigned(CPU_COUNT(&set)), 1u);
    return std::max(std::thread::hardware_concurrency(), 1u);
}

unsigned WorkerPool::defaultSize() { return std::min(availableCores(), 4u); }

void WorkerPool::run(Task task, void* context, unsigned nParts)
{
    MU_ASSERT_MSG(nParts <= maxParts, "nParts <= maxParts");
    if (_workers.empty())
    {
        for (unsigned p = 0; p < nParts; ++p)
            task(context, p);
        return;
    }
    _task = task;
    _context = context;
    _finished.store(0, std::memory_order_relaxed);
    const std::uint32_t g = generationOf(_ticket.load(std::memory_order_relaxed)) + 1;
    // Sequentially consistent with the sleepers' count: a worker that is
    // not counted yet sees the new ticket before it blocks.
    _ticket.store(std::uint64_t(g) << 32 | std::uint64_t(nParts) << 16);
    if (_sleepers.load() > 0)
    {
        // Taken so that no worker is between its check and its wait.
        {
            std::lock_guard lock(_mutex);
        }
        _wake.notify_all();
    }
    takeParts(g);
    while (_finished.load(std::memory_order_acquire) != nParts)
        plat::spinPause();
}

void WorkerPool::takeParts(std::uint32_t g)
{
    std::uint64_t t = _ticket.load(std::memory_order_acquire);
    while (generationOf(t) == g && nextOf(t) < partsOf(t))
    {
        if (!_ticket.compare_exchange_weak(t, t + 1, std::memory_order_acq_rel))
            continue;
        _task(_context, nextOf(t));
        _finished.fetch_add(1, std::memory_order_release);
        t = _ticket.load(std::memory_order_acquire);
    }
}

bool WorkerPool::awaitTask(std::uint32_t& seen)
{
    const auto until = std::chrono::steady_clock::now() + spinTime;
    for (unsigned spins = 0; generationOf(_ticket.load(std::memory_order_acquire)) == seen; ++spins)
    {
        plat::spinPause();
        if (spins % 256 == 255 && std::chrono::steady_clock::now() > until)
        {
            std::unique_lock lock(_mutex);
            _sleepers.fetch_add(1);
            _wake.wait(lock, [&] { return generationOf(_ticket.load()) != seen; });
            _sleepers.fetch_sub(1);
            break;
        }
    }
    seen = generationOf(_ticket.load(std::memory_order_acquire));
    return !_stopping.load(std::memory_order_relaxed);
}

void WorkerPool::work()
{
    std::uint32_t seen = 0;
    while (awaitTask(seen))
        takeParts(seen);
}
} // namespace math
