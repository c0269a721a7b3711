// The text of every empty string in all four deliverables: one object,
// exported from here, so every library compares the same address.
namespace mu
{
extern const char __zeroBuffer[8];
const char __zeroBuffer[8] = {0, 0, 0, 0, 0, 0, 0, 0};
} // namespace mu
