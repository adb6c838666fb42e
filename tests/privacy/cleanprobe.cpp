// A small program the cleaner's safety tests start from folders of their own:
//   cleanprobe clean             runs "Kasuj pliki tymczasowe" as the program does, with this
//                                process's environment, from wherever this executable was copied to
//   cleanprobe map FILE          maps FILE into memory, closes it, says "ready" and waits to be ended
//   cleanprobe wait [ARG...]     says "ready" and waits: its command line and environment name files
//   cleanprobe thread-open FILE  a thread with a file table of its own opens FILE; the first thread
//                                ends, the process goes on
//   cleanprobe serve SOCKET      serves a socket file (started in a network namespace of its own)
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "privacy/privacyctl.h"

namespace {

[[noreturn]] void readyThenWait() {
  std::puts("ready");
  std::fflush(stdout);
  for (;;) ::pause();
}

int mapAndWait(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size == 0) return 2;
  void* mapped = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
  ::close(fd);
  if (mapped == MAP_FAILED) return 3;
  readyThenWait();
}

void* openInOwnTable(void* path) {
  if (::unshare(CLONE_FILES) != 0 || ::open(static_cast<const char*>(path), O_RDWR | O_CLOEXEC) < 0) std::_Exit(4);
  readyThenWait();
}

int serve(const char* path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (fd < 0 || std::strlen(path) >= sizeof address.sun_path) return 5;
  std::strcpy(address.sun_path, path);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0) return 6;
  readyThenWait();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "clean") == 0) {
    QCoreApplication application(argc, argv);
    privacy::PrivacyCtl privacy([] {});
    privacy.CleanTempFiles();
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "map") == 0) return mapAndWait(argv[2]);
  if (argc >= 2 && std::strcmp(argv[1], "wait") == 0) readyThenWait();
  if (argc == 3 && std::strcmp(argv[1], "serve") == 0) return serve(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "thread-open") == 0) {
    pthread_t thread;
    if (::pthread_create(&thread, nullptr, openInOwnTable, argv[2]) != 0) return 7;
    ::pthread_exit(nullptr);
  }
  std::fputs("usage: cleanprobe clean | map FILE | wait [ARG...] | thread-open FILE | serve SOCKET\n", stderr);
  return 1;
}
