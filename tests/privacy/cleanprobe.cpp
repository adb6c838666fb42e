// A small program the cleaner's safety tests start from folders of their own:
//   cleanprobe clean       runs "Kasuj pliki tymczasowe" as the program does, with this
//                          process's environment, from wherever this executable was copied to
//   cleanprobe map FILE    maps FILE into memory, closes it, says "ready" and waits to be ended
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "privacy/privacyctl.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc == 2 && std::strcmp(argv[1], "clean") == 0) {
    privacy::PrivacyCtl privacy([] {});
    privacy.CleanTempFiles();
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "map") == 0) {
    const int fd = ::open(argv[2], O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size == 0) return 2;
    void* mapped = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED) return 3;
    std::puts("ready");
    std::fflush(stdout);
    ::pause();
    return 0;
  }
  std::fputs("usage: cleanprobe clean | cleanprobe map FILE\n", stderr);
  return 1;
}
