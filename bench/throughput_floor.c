/* The floor for data transfers: N 256 KiB WRITE(10) and then N READ(10)
 * commands as bare SG_IO ioctls on one open sg node, nothing else.
 *
 *   throughput_floor NODE N          prints "floor N WRITE_NS READ_NS FAILED"
 *   throughput_floor NODE N reserve  the same with the node's reserved buffer
 *                                    raised to one transfer first, as sg_dd
 *                                    does; "floor+reserve"
 */
#include <fcntl.h>
#include <scsi/sg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#define TRANSFER 262144
#define BLOCKS (TRANSFER / 512)
#define CHUNKS 32

static long long now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

static long run(int fd, unsigned char opcode, int direction, long count, unsigned char* data) {
  unsigned char cdb[10], sense[32];
  struct sg_io_hdr io;
  long failed = 0;
  for (long i = 0; i < count; ++i) {
    unsigned lba = (unsigned)(i % CHUNKS) * BLOCKS;
    memset(cdb, 0, sizeof cdb);
    cdb[0] = opcode;
    cdb[2] = lba >> 24, cdb[3] = lba >> 16, cdb[4] = lba >> 8, cdb[5] = lba;
    cdb[7] = BLOCKS >> 8, cdb[8] = BLOCKS & 0xFF;
    memset(&io, 0, sizeof io);
    io.interface_id = 'S';
    io.cmd_len = sizeof cdb;
    io.cmdp = cdb;
    io.mx_sb_len = sizeof sense;
    io.sbp = sense;
    io.dxfer_direction = direction;
    io.dxfer_len = TRANSFER;
    io.dxferp = data;
    io.timeout = 60000;
    if (ioctl(fd, SG_IO, &io) < 0 || io.masked_status != 0 || io.host_status != 0 || io.resid != 0) ++failed;
  }
  return failed;
}

int main(int argc, char** argv) {
  int reserve = argc == 4 && strcmp(argv[3], "reserve") == 0;
  if (argc != 3 && !reserve) {
    fprintf(stderr, "usage: throughput_floor NODE N [reserve]\n");
    return 2;
  }
  long count = atol(argv[2]);
  int fd = open(argv[1], O_RDWR);
  if (fd < 0) {
    perror(argv[1]);
    return 1;
  }
  if (reserve) {
    int size = TRANSFER;
    if (ioctl(fd, SG_SET_RESERVED_SIZE, &size) < 0) perror("SG_SET_RESERVED_SIZE");
  }
  static unsigned char data[TRANSFER];
  memset(data, 0x5A, sizeof data);
  long long t0 = now_ns();
  long failed = run(fd, 0x2A, SG_DXFER_TO_DEV, count, data);
  long long t1 = now_ns();
  failed += run(fd, 0x28, SG_DXFER_FROM_DEV, count, data);
  long long t2 = now_ns();
  printf("%s %ld %lld %lld %ld\n", reserve ? "floor+reserve" : "floor", count, t1 - t0, t2 - t1, failed);
  close(fd);
  return failed == 0 ? 0 : 1;
}
