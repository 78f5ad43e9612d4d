#include "sg_fixture.h"

#include <fcntl.h>
#include <sys/ioctl.h>

#include <cerrno>

#include <gtest/gtest.h>

int SgResult::Kcq() const {
  if (sense.size() < 4) return -1;
  if ((sense[0] & 0x7F) == 0x72 || (sense[0] & 0x7F) == 0x73) {
    return (sense[1] & 0x0F) << 16 | sense[2] << 8 | sense[3];
  }
  if (sense.size() < 14) return -1;
  return (sense[2] & 0x0F) << 16 | sense[12] << 8 | sense[13];
}

SgResult SendCdb(SimSystem& sim, int fd, const std::vector<uint8_t>& cdb, int direction, std::vector<uint8_t> buffer,
                 unsigned char mx_sb_len) {
  SgResult r;
  std::vector<uint8_t> cmd = cdb;
  uint8_t sense[255] = {};
  r.hdr.interface_id = 'S';
  r.hdr.dxfer_direction = direction;
  r.hdr.cmd_len = static_cast<unsigned char>(cmd.size());
  r.hdr.cmdp = cmd.data();
  r.hdr.mx_sb_len = mx_sb_len;
  r.hdr.sbp = sense;
  r.hdr.dxfer_len = static_cast<unsigned>(buffer.size());
  r.hdr.dxferp = buffer.empty() ? nullptr : buffer.data();
  r.hdr.timeout = 60000;
  errno = 0;
  r.rc = sim.Ioctl(fd, SG_IO, &r.hdr);
  r.error = errno;
  if (r.rc == 0) {
    if (direction == SG_DXFER_FROM_DEV) {
      buffer.resize(buffer.size() - static_cast<size_t>(r.hdr.resid));
      r.data = buffer;
    }
    r.sense.assign(sense, sense + r.hdr.sb_len_wr);
  }
  r.hdr.cmdp = nullptr;
  r.hdr.sbp = nullptr;
  r.hdr.dxferp = nullptr;
  return r;
}

SgResult SendIn(SimSystem& sim, int fd, std::initializer_list<uint8_t> cdb, unsigned in_length,
                unsigned char mx_sb_len) {
  return SendCdb(sim, fd, cdb, in_length ? SG_DXFER_FROM_DEV : SG_DXFER_NONE, std::vector<uint8_t>(in_length, 0),
                 mx_sb_len);
}

SgResult SendOut(SimSystem& sim, int fd, std::initializer_list<uint8_t> cdb, const std::vector<uint8_t>& out) {
  return SendCdb(sim, fd, cdb, out.empty() ? SG_DXFER_NONE : SG_DXFER_TO_DEV, out);
}

std::unique_ptr<SimSystem> QuietBench() {
  auto sim = std::make_unique<SimSystem>();
  sim->AddDefaultBench();
  for (const char* node : {"/dev/sg0", "/dev/sg1", "/dev/sg2", "/dev/sg3", "/dev/sg4"}) {
    int fd = sim->Open(node, O_RDWR);
    SendIn(*sim, fd, {0x00, 0, 0, 0, 0, 0}, 0);
    sim->Close(fd);
  }
  sim->ClearCommands();
  return sim;
}

int OpenNode(SimSystem& sim, const std::string& node) {
  int fd = sim.Open(node.c_str(), O_RDWR | O_NONBLOCK);
  EXPECT_GT(fd, 0) << node << " errno " << errno;
  return fd;
}

int OpenQuiet(SimSystem& sim, const std::string& node) {
  const int fd = OpenNode(sim, node);
  SendIn(sim, fd, {0x00, 0, 0, 0, 0, 0}, 0);
  return fd;
}

std::unique_ptr<SimSystem> ParsedBench(const std::string& text) {
  auto sim = std::make_unique<SimSystem>();
  std::string why;
  EXPECT_TRUE(sim->ParseBench(text, &why)) << why;
  return sim;
}
