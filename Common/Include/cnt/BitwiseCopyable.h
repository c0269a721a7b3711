#pragma once
// Which element types the containers may copy bit by bit and keep in raw,
// never-constructed slots.
#include <td/StringBase.h>

#include <type_traits>

namespace cnt
{

template <typename T>
inline constexpr bool isBitwiseCopyable = std::is_trivially_copyable_v<T>;

// A pool string is one pointer into a string pool that owns its text: the
// pointer is the whole copy, and nothing is released one by one.
template <typename T_CHAR, td::_StringEncoding Encoding, int SPACE_FOR_SIZE>
inline constexpr bool isBitwiseCopyable<td::StringBase<T_CHAR, Encoding, SPACE_FOR_SIZE, true>> = true;

} // namespace cnt
