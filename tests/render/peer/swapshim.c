// LD_PRELOAD library for the side-by-side frame benchmark (peer_bench.py): stamps every presented
// frame and can lift a program's own frame cap.
//   SHIM_OUT=FILE   one line per buffer swap, CLOCK_MONOTONIC nanoseconds (flushed every 64 swaps, at exit)
//   SHIM_NODELAY=1  SDL_Delay() called by the program returns at once (the peer sleeps after each frame)
// Hooks SDL_GL_SwapWindow and glXSwapBuffers.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static int out_fd = -1;
static char buf[64 * 24];
static size_t used = 0;
static int nodelay = 0;

static long long now_ns(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

static void flush_out(void) {
  if (out_fd >= 0 && used) {
    ssize_t w = write(out_fd, buf, used);
    (void)w;
  }
  used = 0;
}

__attribute__((constructor)) static void shim_init(void) {
  const char* o = getenv("SHIM_OUT");
  if (o && *o) out_fd = open(o, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const char* d = getenv("SHIM_NODELAY");
  nodelay = d && *d == '1';
}

__attribute__((destructor)) static void shim_fini(void) { flush_out(); }

static void stamp(void) {
  if (out_fd < 0) return;
  used += (size_t)snprintf(buf + used, sizeof buf - used, "%lld\n", now_ns());
  if (used > sizeof buf - 24) flush_out();
}

void SDL_GL_SwapWindow(void* window) {
  static void (*real)(void*) = NULL;
  if (!real) real = (void (*)(void*))dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
  real(window);
  stamp();
}

void glXSwapBuffers(void* dpy, unsigned long drawable) {
  static void (*real)(void*, unsigned long) = NULL;
  if (!real) real = (void (*)(void*, unsigned long))dlsym(RTLD_NEXT, "glXSwapBuffers");
  real(dpy, drawable);
  stamp();
}

void SDL_Delay(uint32_t ms) {
  static void (*real)(uint32_t) = NULL;
  if (nodelay) return;
  if (!real) real = (void (*)(uint32_t))dlsym(RTLD_NEXT, "SDL_Delay");
  real(ms);
}
