// GoogleTest's one use of std::mutex and std::condition_variable is its Notification
// class, which Debian's MinGW (win32 thread model) cannot compile. This supplies the same
// class over a Win32 event; the build force-includes it and tells GoogleTest it exists.
#pragma once

#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() {
        if (event_ != nullptr) CloseHandle(event_);
    }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing
