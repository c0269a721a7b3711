#pragma once
// A text output file: the application's tracer (log file) is one over an
// std::ofstream.
namespace mu
{
template <class STREAM>
class TxtOutFile : public STREAM
{
public:
    using STREAM::STREAM;
};
} // namespace mu
