// KPages: the parameter-list decoder of the standard log pages (any page code
// but the event log's, 07h; which pages a script may load here is the
// script's log page table), shared by the script
// statements and the facade's TapeAlert reading. It depends on nothing of
// the script engine: it keeps a copy of the page as the drive sent it and
// answers fetches from that copy, checking every length against the bytes
// that actually arrived.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Result codes of the decoder (the script error catalogue holds their texts).
enum KPagesResult : int32_t {
  K_KPAGES_OK = 0,
  K_KPAGES_ILLEGAL_LOGPAGE_ID = -371,
  K_KPAGES_FETCH_VALUE_BYTE_TYPE_ERROR = -374,
  K_KPAGES_FETCH_VALUE_WORD_TYPE_ERROR = -375,
  K_KPAGES_FETCH_VALUE_LONG_TYPE_ERROR = -376,
  K_KPAGES_FETCH_VALUE_DBL_TYPE_ERROR = -377,
  K_KPAGES_FETCH_VALUE_LENGTH_ERROR = -378,
  K_KPAGES_INVALID_ENTRY_ID_SPECIFIED = -380,
  K_KPAGES_FETCH_FIELD_ILLEGAL_FIELD = -381,
  K_KPAGES_GET_PAGE_AT_INDEX_RANGE_ERROR = -382,
};

// Control-flag fields of a parameter header, as numbered by FetchField.
enum class KPageField : int { LP = 0, LBIN = 1, TMC = 2, ETC = 3, TSD = 4, DS = 5, DU = 6 };

class KPages {
 public:
  // Decodes a LOG SENSE reply declared as page `pageCode`: the reply's own
  // page code (its DS bit aside) must be that code and not the event
  // log's, else K_KPAGES_ILLEGAL_LOGPAGE_ID and the decoder holds nothing.
  // `data` is what arrived, nothing more: a page length beyond it (an
  // allocation length or the transport cut the reply) decodes the whole
  // parameters that did arrive, and Complete() is false.
  int32_t Load(int pageCode, std::span<const uint8_t> data);
  void Clear();

  // By parameter code. The value's own length decides; a parameter that is
  // absent gives K_KPAGES_INVALID_ENTRY_ID_SPECIFIED.
  int32_t FetchValue(uint16_t code, uint8_t& value) const;   // length 1
  int32_t FetchValue(uint16_t code, uint16_t& value) const;  // length 2
  int32_t FetchValue(uint16_t code, uint32_t& value) const;  // length 4, or 3 (24-bit counter)
  int32_t FetchValue(uint16_t code, double& value) const;    // length 8
  // Succeeds only when the parameter is exactly `length` bytes long.
  int32_t FetchValue(uint16_t code, size_t length, std::span<const uint8_t>& value) const;
  // The page's own (big-endian) bytes from where the parameter's value
  // starts to the end of the page as it arrived.
  int32_t FetchBuffer(uint16_t code, std::span<const uint8_t>& bytes) const;
  // One control flag of the parameter (see KPageField).
  int32_t FetchField(uint16_t code, int field, uint8_t& value) const;
  // Page 0 only: the page code listed at index i.
  int32_t PageAtIndex(size_t i, uint8_t& pageCode) const;

  // The decoded page as display lines (no line ends): the header line, then
  // the supported-page list (page 0) or one line per parameter.
  std::vector<std::string> DisplayLines() const;

  // Page 0 counts as loaded when it holds data, other pages when at least
  // one parameter was decoded.
  bool IsLoaded() const;
  int PageCode() const { return page_code_; }
  // The page length field as the drive gave it.
  uint16_t PageLength() const { return page_length_; }
  // The loaded page arrived whole: its header and every byte its page
  // length announces.
  bool Complete() const { return page_code_ >= 0 && bytes_.size() >= 4u + page_length_; }
  // Parameters decoded (page 0: page codes listed).
  size_t ParameterCount() const { return count_; }
  // The bytes kept from the last load (the page as it arrived, header included).
  std::span<const uint8_t> Bytes() const { return bytes_; }

 private:
  struct Param {
    uint16_t code;
    uint8_t control;
    size_t value_at;  // offset of the value in bytes_
    size_t length;
  };
  const Param* Find(uint16_t code) const;

  std::vector<uint8_t> bytes_;
  std::vector<Param> params_;
  int page_code_ = -1;
  uint16_t page_length_ = 0;
  size_t end_ = 0;  // end of the decoded area: header + page length, within bytes_
  size_t count_ = 0;
};
