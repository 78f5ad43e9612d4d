#include "facade/k_pages.h"

#include <algorithm>
#include <cstdio>

#include "base/byte_order.h"

namespace {

// Page codes are six bits; the script table says which of them a script may load here.
constexpr int kHighestPageCode = 0x3F;
constexpr int kEventLogPage = 0x07;  // text packets, not parameters: its own decoder
constexpr uint8_t kDsBit = 0x80;  // byte 0: parameters not savable; not part of the code
constexpr size_t kHeader = 4;

// Bit position and width of each control-flag field, by KPageField.
struct FieldBits {
  uint8_t shift;
  uint8_t mask;
};
constexpr FieldBits kFields[] = {
    {0, 0x1},  // LP
    {1, 0x1},  // LBIN
    {2, 0x3},  // TMC
    {4, 0x1},  // ETC
    {5, 0x1},  // TSD
    {6, 0x1},  // DS
    {7, 0x1},  // DU
};

uint8_t Flag(uint8_t control, KPageField f) {
  const FieldBits& b = kFields[static_cast<int>(f)];
  return static_cast<uint8_t>((control >> b.shift) & b.mask);
}

// Appends one constant format of ours.
template <typename... Args>
void Append(std::string& out, const char* format, Args... args) {
  char text[160];
  const int n = std::snprintf(text, sizeof text, format, args...);
  if (n > 0) out.append(text, std::min(static_cast<size_t>(n), sizeof text - 1));
}

}  // namespace

void KPages::Clear() {
  bytes_.clear();
  params_.clear();
  page_code_ = -1;
  page_length_ = 0;
  end_ = 0;
  count_ = 0;
}

int32_t KPages::Load(int pageCode, std::span<const uint8_t> data) {
  Clear();
  if (data.size() < kHeader || pageCode < 0 || pageCode > kHighestPageCode || pageCode == kEventLogPage)
    return K_KPAGES_ILLEGAL_LOGPAGE_ID;
  const int sent = data[0] & ~kDsBit;
  if (sent != pageCode) return K_KPAGES_ILLEGAL_LOGPAGE_ID;

  bytes_.assign(data.begin(), data.end());
  page_code_ = pageCode;
  page_length_ = be::Read16(&bytes_[2]);
  end_ = std::min(bytes_.size(), kHeader + page_length_);
  if (page_code_ == 0) {
    count_ = end_ - kHeader;  // one byte per supported page code
    return K_KPAGES_OK;
  }
  // Whole parameters only: one whose value runs past the end is not kept.
  for (size_t at = kHeader; at + kHeader <= end_;) {
    const size_t length = bytes_[at + 3];
    if (length > end_ - at - kHeader) break;
    params_.push_back({be::Read16(&bytes_[at]), bytes_[at + 2], at + kHeader, length});
    at += kHeader + length;
  }
  count_ = params_.size();
  return K_KPAGES_OK;
}

bool KPages::IsLoaded() const { return page_code_ == 0 ? count_ > 0 : !params_.empty(); }

const KPages::Param* KPages::Find(uint16_t code) const {
  for (const Param& p : params_) {
    if (p.code == code) return &p;
  }
  return nullptr;
}

int32_t KPages::FetchValue(uint16_t code, uint8_t& value) const {
  const Param* p = Find(code);
  if (p == nullptr) return K_KPAGES_INVALID_ENTRY_ID_SPECIFIED;
  if (p->length != 1) return K_KPAGES_FETCH_VALUE_BYTE_TYPE_ERROR;
  value = bytes_[p->value_at];
  return K_KPAGES_OK;
}

int32_t KPages::FetchValue(uint16_t code, uint16_t& value) const {
  const Param* p = Find(code);
  if (p == nullptr) return K_KPAGES_INVALID_ENTRY_ID_SPECIFIED;
  if (p->length != 2) return K_KPAGES_FETCH_VALUE_WORD_TYPE_ERROR;
  value = be::Read16(&bytes_[p->value_at]);
  return K_KPAGES_OK;
}

int32_t KPages::FetchValue(uint16_t code, uint32_t& value) const {
  const Param* p = Find(code);
  if (p == nullptr) return K_KPAGES_INVALID_ENTRY_ID_SPECIFIED;
  if (p->length != 4 && p->length != 3) return K_KPAGES_FETCH_VALUE_LONG_TYPE_ERROR;
  value = static_cast<uint32_t>(be::Read(&bytes_[p->value_at], p->length));
  return K_KPAGES_OK;
}

int32_t KPages::FetchValue(uint16_t code, double& value) const {
  const Param* p = Find(code);
  if (p == nullptr) return K_KPAGES_INVALID_ENTRY_ID_SPECIFIED;
  if (p->length != 8) return K_KPAGES_FETCH_VALUE_DBL_TYPE_ERROR;
  value = static_cast<double>(be::Read64(&bytes_[p->value_at]));
  return K_KPAGES_OK;
}

int32_t KPages::FetchValue(uint16_t code, size_t length, std::span<const uint8_t>& value) const {
  const Param* p = Find(code);
  if (p == nullptr) return K_KPAGES_INVALID_ENTRY_ID_SPECIFIED;
  if (p->length != length) return K_KPAGES_FETCH_VALUE_LENGTH_ERROR;
  value = std::span<const uint8_t>(bytes_).subspan(p->value_at, p->length);
  return K_KPAGES_OK;
}

int32_t KPages::FetchBuffer(uint16_t code, std::span<const uint8_t>& bytes) const {
  const Param* p = Find(code);
  if (p == nullptr) return K_KPAGES_INVALID_ENTRY_ID_SPECIFIED;
  bytes = std::span<const uint8_t>(bytes_).subspan(p->value_at, end_ - p->value_at);
  return K_KPAGES_OK;
}

int32_t KPages::FetchField(uint16_t code, int field, uint8_t& value) const {
  const Param* p = Find(code);
  if (p == nullptr) return K_KPAGES_INVALID_ENTRY_ID_SPECIFIED;
  if (field < 0 || field >= static_cast<int>(std::size(kFields))) return K_KPAGES_FETCH_FIELD_ILLEGAL_FIELD;
  value = Flag(p->control, static_cast<KPageField>(field));
  return K_KPAGES_OK;
}

int32_t KPages::PageAtIndex(size_t i, uint8_t& pageCode) const {
  if (page_code_ != 0 || i >= count_) return K_KPAGES_GET_PAGE_AT_INDEX_RANGE_ERROR;
  pageCode = bytes_[kHeader + i];
  return K_KPAGES_OK;
}

std::vector<std::string> KPages::DisplayLines() const {
  std::vector<std::string> lines;
  if (page_code_ < 0) return lines;
  std::string head;
  Append(head, "Page Code: %02XH\tLength: %04XH / %d", page_code_, page_length_, page_length_);
  lines.push_back(std::move(head));
  if (!Complete()) {
    std::string cut;
    Append(cut, "Incomplete page: %zu of %zu bytes arrived", bytes_.size(), kHeader + page_length_);
    lines.push_back(std::move(cut));
  }
  if (page_code_ == 0) {
    std::string list = "Pages:  ";
    for (size_t i = 0; i < count_; ++i) Append(list, "%02XH   ", bytes_[kHeader + i]);
    lines.push_back(std::move(list));
    return lines;
  }
  for (const Param& p : params_) {
    std::string line;
    Append(line, "  Code : %04XH", p.code);
    Append(line, "\tLP: %d  TMC: %d  ETC: %d  TSD: %d  DS: %d  DU: %d", Flag(p.control, KPageField::LP),
           Flag(p.control, KPageField::TMC), Flag(p.control, KPageField::ETC), Flag(p.control, KPageField::TSD),
           Flag(p.control, KPageField::DS), Flag(p.control, KPageField::DU));
    const uint8_t* v = &bytes_[p.value_at];
    switch (p.length) {
      case 1:
        Append(line, "\tValue:  %02XH", v[0]);
        break;
      case 2:
        Append(line, "\tValue:  %04XH", be::Read16(v));
        break;
      case 4:
        Append(line, "\tValue:  %08XH", be::Read32(v));
        break;
      case 8:
        Append(line, "\tValue:  %0E", static_cast<double>(be::Read64(v)));
        break;
      case 12:
        Append(line, "\tValue:  %02X  %02X  %02X  %02X   %02X  %02X  %02X  %02X   %02X  %02X  %02X  %02X", v[0], v[1],
               v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]);
        break;
      default:
        break;  // other widths show their code and flags only
    }
    lines.push_back(std::move(line));
  }
  return lines;
}
