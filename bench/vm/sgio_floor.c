/* The floor for TEST UNIT READY: N bare SG_IO ioctls on one open sg node,
 * nothing else. Also times another program, so that every figure of
 * vm_bench.sh comes from the same clock.
 *
 *   sgio_floor NODE N          prints "floor N NANOSECONDS FAILED"
 *   sgio_floor NODE N clear    the same, clearing a 256 KiB buffer before
 *                              each command (as a command path that clears
 *                              its whole data buffer does); "floor+clear"
 *   sgio_floor -t NAME CMD...  runs CMD, prints "NAME NANOSECONDS STATUS"
 */
#include <fcntl.h>
#include <scsi/sg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long long now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

static int time_command(const char* name, char** argv) {
  long long start = now_ns();
  pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[0], argv);
    perror(argv[0]);
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  printf("%s %lld %d\n", name, now_ns() - start, WIFEXITED(status) ? WEXITSTATUS(status) : 128);
  return 0;
}

int main(int argc, char** argv) {
  if (argc > 3 && strcmp(argv[1], "-t") == 0) return time_command(argv[2], argv + 3);
  int clear = argc == 4 && strcmp(argv[3], "clear") == 0;
  if (argc != 3 && !clear) {
    fprintf(stderr, "usage: sgio_floor NODE N [clear] | sgio_floor -t NAME CMD...\n");
    return 2;
  }
  long count = atol(argv[2]);
  int fd = open(argv[1], O_RDWR);
  if (fd < 0) {
    perror(argv[1]);
    return 1;
  }
  unsigned char cdb[6] = {0}, sense[32];
  struct sg_io_hdr io;
  long failed = 0;
  long long start = now_ns();
  static unsigned char data[262144];
  for (long i = 0; i < count; ++i) {
    if (clear) {
      memset(data, 0, sizeof data);
      __asm__ volatile("" : : "r"(data) : "memory"); /* keep the clear */
    }
    memset(&io, 0, sizeof io);
    io.interface_id = 'S';
    io.cmd_len = sizeof cdb;
    io.cmdp = cdb;
    io.mx_sb_len = sizeof sense;
    io.sbp = sense;
    io.dxfer_direction = SG_DXFER_NONE;
    io.timeout = 60000;
    if (ioctl(fd, SG_IO, &io) < 0 || io.masked_status != 0 || io.host_status != 0) ++failed;
  }
  printf("%s %ld %lld %ld\n", clear ? "floor+clear" : "floor", count, now_ns() - start, failed);
  close(fd);
  return failed == 0 ? 0 : 1;
}
