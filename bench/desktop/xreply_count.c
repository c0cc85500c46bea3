/* LD_PRELOAD counter of the synchronous X round trips of one process: every Xlib call that waits
 * for the server's answer ends in _XReply. The count lives in the 8-byte file BENCH_XREPLY_FILE, so
 * the benchmark reads it while the process runs. The preload is taken out of the environment at
 * once, so the processes this one starts are not counted. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

typedef struct _XDisplay Display;
typedef int (*ReplyFn)(Display*, void*, int, int);

static volatile uint64_t* counter;
static ReplyFn next_reply;

__attribute__((constructor)) static void start(void) {
  unsetenv("LD_PRELOAD");
  const char* path = getenv("BENCH_XREPLY_FILE");
  if (path == NULL) return;
  int fd = open(path, O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  if (ftruncate(fd, sizeof(uint64_t)) == 0) {
    void* map = mmap(NULL, sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map != MAP_FAILED) counter = map;
  }
  close(fd);
}

int _XReply(Display* display, void* reply, int extra, int discard) {
  if (next_reply == NULL) next_reply = (ReplyFn)dlsym(RTLD_NEXT, "_XReply");
  if (counter != NULL) __atomic_add_fetch(counter, 1, __ATOMIC_RELAXED);
  return next_reply(display, reply, extra, discard);
}
