// Sending CDBs to the virtual drives the way the device layer does.
#pragma once

#include <scsi/sg.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "sim/sim.h"

struct SgResult {
  int rc = 0;     // ioctl result
  int error = 0;  // errno when rc is -1
  sg_io_hdr_t hdr{};
  std::vector<uint8_t> data;   // data-in bytes actually moved
  std::vector<uint8_t> sense;  // sb_len_wr bytes

  bool Good() const { return rc == 0 && hdr.masked_status == 0 && hdr.host_status == 0; }
  bool Check() const { return rc == 0 && hdr.masked_status == 1; }
  // Key/ASC/ASCQ of fixed or descriptor sense as one number, 0xKKAAQQ.
  int Kcq() const;
};

// Data in of `in_length` bytes (0: no data) or data out of `out`.
SgResult SendIn(SimSystem& sim, int fd, std::initializer_list<uint8_t> cdb, unsigned in_length,
                unsigned char mx_sb_len = 255);
SgResult SendOut(SimSystem& sim, int fd, std::initializer_list<uint8_t> cdb, const std::vector<uint8_t>& out);
SgResult SendCdb(SimSystem& sim, int fd, const std::vector<uint8_t>& cdb, int direction, std::vector<uint8_t> buffer,
                 unsigned char mx_sb_len = 255);

// A default bench with every device's power-on attention already taken.
std::unique_ptr<SimSystem> QuietBench();
// Opens a node and fails the test when it cannot.
int OpenNode(SimSystem& sim, const std::string& node);
// Opens a node and takes the device's power-on attention.
int OpenQuiet(SimSystem& sim, const std::string& node);
// A bench of bench-file lines; fails the test on a bad line.
std::unique_ptr<SimSystem> ParsedBench(const std::string& text);
