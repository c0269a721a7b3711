#pragma once
// The user's entry in the password database.
#include <td/String.h>

namespace mu::priv
{
struct PasswordEntry
{
    td::String home;  // empty when there is no entry
    td::String login; // empty when there is no entry
};

PasswordEntry readPasswordEntry();
} // namespace mu::priv
