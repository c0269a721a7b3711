#pragma once
// An application-level logger that keeps what it is shown.
#include <string>
#include <vector>

#include <mu/ILogger.h>

namespace test
{
class CollectingLogger : public mu::ILogger
{
public:
    struct Entry
    {
        int type;
        std::string title;
        std::string message;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> entries;

    void show(int type, const td::String& title, const td::String& message) override
    {
        entries.push_back({type, title.c_str(), message.c_str()});
    }
};
} // namespace test
