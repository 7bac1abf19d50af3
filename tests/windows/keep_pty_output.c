/* Preloaded into wine's processes for the Windows end-to-end run, so that a
 * COM port backed by a pseudo-terminal keeps what was written to it, as a
 * real port does.
 *
 * Wine carries out PurgeComm's output purge as tcflush(TCOFLUSH). The library
 * purges the output queue after each WriteFile. On a real port a synchronous
 * WriteFile has handed every byte to the UART before it returns, so that
 * purge takes nothing. On a pseudo-terminal the line waits in the kernel
 * until the board simulator reads it, and the flush takes it back: lines go
 * missing at random. Here an output flush (TCOFLUSH, or the output half of
 * TCIOFLUSH) on the terminal side of a pseudo-terminal does nothing; the
 * input half and every other descriptor go to the C library unchanged.
 * (Wine flushes through tcflush, never through the TCFLSH ioctl.) */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

/* The terminal sides of Unix 98 pseudo-terminals (/dev/pts/N) have the
 * major device numbers 136 to 143. */
static int is_pty_terminal_side(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
    const unsigned int number = major(st.st_rdev);
    return number >= 136 && number <= 143;
}

static int (*c_library_tcflush)(int, int);

/* Resolved once, when the library is loaded, before wine starts a thread. */
__attribute__((constructor)) static void find_c_library_tcflush(void) {
    c_library_tcflush = (int (*)(int, int))dlsym(RTLD_NEXT, "tcflush");
}

int tcflush(int fd, int queue) {
    if (!c_library_tcflush) {
        errno = ENOSYS;
        return -1;
    }
    if ((queue == TCOFLUSH || queue == TCIOFLUSH) && is_pty_terminal_side(fd)) {
        if (queue == TCOFLUSH) return 0;
        queue = TCIFLUSH;
    }
    return c_library_tcflush(fd, queue);
}
