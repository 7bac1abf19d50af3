// Named synchronisation objects as POSIX named semaphores ("/MUTEX_CMD"):
// a mutex starts at 1 (not owned), an event at 0 (not signalled). The
// library only creates and closes them; the name is removed when the last
// record in this process that holds it closes it.
#include <fcntl.h>
#include <semaphore.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/platform.h"

namespace mpdll::platform {
namespace {

constexpr std::size_t kNameSize = 64;

// Which name each open semaphore has, so close_named can remove it. The
// same name opened twice in one process gives the same semaphore, hence
// the count.
struct OpenName {
    sem_t* semaphore = nullptr;
    int opens = 0;
    std::array<char, kNameSize> name{};
};

std::mutex namesLock;
std::array<OpenName, 16> openNames;
// The error number of the last failed create on this thread.
thread_local int lastNamedError = 0;

OpenName* find(sem_t* semaphore) {
    for (OpenName& entry : openNames)
        if (entry.semaphore == semaphore) return &entry;
    return nullptr;
}

MpHandle open_named(const char* name, unsigned initialValue) {
    if (!name) {
        lastNamedError = EINVAL;
        return nullptr;
    }
    std::array<char, kNameSize> path{};
    path[0] = '/';
    const std::size_t length = strnlen(name, kNameSize - 2);
    std::memcpy(path.data() + 1, name, length);

    sem_t* semaphore = ::sem_open(path.data(), O_CREAT, 0600, initialValue);
    if (semaphore == SEM_FAILED) {
        lastNamedError = errno;
        return nullptr;
    }

    std::lock_guard lock(namesLock);
    OpenName* entry = find(semaphore);
    if (!entry) entry = find(nullptr);
    if (entry) {
        entry->semaphore = semaphore;
        entry->opens += 1;
        entry->name = path;
    }
    return semaphore;
}

}  // namespace

MpHandle create_named_mutex(const char* name) { return open_named(name, 1); }

MpHandle create_named_event(const char* name, bool) { return open_named(name, 0); }

int named_object_error() { return lastNamedError; }

void close_named(MpHandle h) {
    if (!h) return;
    sem_t* semaphore = static_cast<sem_t*>(h);
    std::array<char, kNameSize> name{};
    {
        std::lock_guard lock(namesLock);
        if (OpenName* entry = find(semaphore)) {
            if (--entry->opens == 0) {
                name = entry->name;
                *entry = OpenName{};
            }
        }
    }
    ::sem_close(semaphore);
    if (name[0]) ::sem_unlink(name.data());
}

}  // namespace mpdll::platform
