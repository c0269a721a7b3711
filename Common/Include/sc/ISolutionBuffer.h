#pragma once
namespace sc
{
// Receives the points of a solve or a time run; the consumer reads the
// values through the solver. Borrowed, never owned by a solver.
class ISolutionBuffer
{
public:
    // Ends of a run reported to end().
    static constexpr int Failed = 0;
    static constexpr int Solved = 2;
    static constexpr int Finished = 3;

    virtual void put() = 0;
    virtual void end(int code) = 0;

protected:
    ~ISolutionBuffer() = default;
};
} // namespace sc
