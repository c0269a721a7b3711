#pragma once
// One step of a spin-wait: tells the core that the thread is waiting, so
// that it saves power and leaves the pipeline to a sibling thread.
namespace plat
{
inline void spinPause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}
} // namespace plat
