// Counts the X round trips of one process: every wait for a reply of libxcb (which Xlib uses too).
// LD_PRELOAD it with XROUNDTRIPS=FILE; the count is written to FILE.<pid> whenever it changes, and
// XROUNDTRIPS_TRACE=1 also prints a backtrace of each wait to stderr.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <execinfo.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static atomic_ulong count;
static int trace;

static void* writer(void* arg) {
  const char* path = arg;
  unsigned long written = (unsigned long)-1;
  for (;;) {
    const unsigned long now = atomic_load(&count);
    if (now != written) {
      char tmp[4096];
      snprintf(tmp, sizeof tmp, "%s.tmp", path);
      FILE* f = fopen(tmp, "w");
      if (f) {
        fprintf(f, "%lu\n", now);
        fclose(f);
        rename(tmp, path);
      }
      written = now;
    }
    usleep(20000);
  }
  return NULL;
}

__attribute__((constructor)) static void start(void) {
  const char* base = getenv("XROUNDTRIPS");
  if (!base) return;
  trace = getenv("XROUNDTRIPS_TRACE") != NULL;
  static char path[4096];
  snprintf(path, sizeof path, "%s.%d", base, (int)getpid());
  pthread_t t;
  pthread_create(&t, NULL, writer, path);
  pthread_detach(t);
}

static void noteWait(void) {
  atomic_fetch_add(&count, 1);
  if (trace) {
    void* frames[24];
    const int n = backtrace(frames, 24);
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    fprintf(stderr, "xroundtrip %lu at %ld.%09ld\n", atomic_load(&count), (long)now.tv_sec, now.tv_nsec);
    backtrace_symbols_fd(frames, n, 2);
  }
}

void* xcb_wait_for_reply(void* c, unsigned int request, void** e) {
  static void* (*real)(void*, unsigned int, void**);
  if (!real) real = dlsym(RTLD_NEXT, "xcb_wait_for_reply");
  noteWait();
  return real(c, request, e);
}

void* xcb_wait_for_reply64(void* c, uint64_t request, void** e) {
  static void* (*real)(void*, uint64_t, void**);
  if (!real) real = dlsym(RTLD_NEXT, "xcb_wait_for_reply64");
  noteWait();
  return real(c, request, e);
}
