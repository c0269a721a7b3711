#pragma once
// Threads a factorisation may share its work with, lent by the caller (the
// solver's evaluation pool). run(task, context, nParts) calls
// task(context, part) once for every part 0 .. nParts - 1, the calling
// thread taking part, and returns when all have finished.
namespace sparse
{
class IParallel
{
public:
    using Task = void (*)(void* context, unsigned part);

    // The threads that run the parts, the caller's included.
    virtual unsigned size() const = 0;
    virtual void run(Task task, void* context, unsigned nParts) = 0;

protected:
    ~IParallel() = default;
};
} // namespace sparse
