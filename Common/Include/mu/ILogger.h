#pragma once
// The application-level logger. No object of this library implements it: the
// application supplies one through its settings.
#include <td/String.h>

namespace mu
{
class ILogger
{
public:
    // type: 0 information, 1 warning, 2 error.
    virtual void show(int type, const td::String& title, const td::String& message) = 0;

    void showInfo(const td::String& title, const td::String& message) { show(0, title, message); }
    void showWarning(const td::String& title, const td::String& message) { show(1, title, message); }
    void showError(const td::String& title, const td::String& message) { show(2, title, message); }

protected:
    // Never deleted through the interface: the application owns its logger.
    ~ILogger() = default;
};
} // namespace mu
