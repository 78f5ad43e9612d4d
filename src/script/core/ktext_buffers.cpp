// Registry of in-memory text buffers and its line reader.
#include <algorithm>
#include <cstring>

#include "script/core/ktext.h"

KText::TextBufferLink* KText::FindTextBuffer(const void* buffer) {
  for (TextBufferLink& link : textBuffers_)
    if (link.buffer == buffer) return &link;
  return nullptr;
}

const KText::TextBufferLink* KText::FindTextBuffer(const void* buffer) const {
  for (const TextBufferLink& link : textBuffers_)
    if (link.buffer == buffer) return &link;
  return nullptr;
}

int KText::SetTextBuffer(const void* buffer, int32_t length) {
  if (buffer == nullptr) return -1;
  if (length < 1) return -2;
  const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
  for (int32_t i = 0; i < length && bytes[i] != 0; ++i)
    if (bytes[i] < 9 || bytes[i] > 127) return -3;
  if (TextBufferLink* link = FindTextBuffer(buffer)) {
    link->length = length;
    link->cursor = 0;
    return 0;
  }
  textBuffers_.push_back(TextBufferLink{bytes, length, 0});
  return 0;
}

int KText::GetStringFromTextBuffer(const void* buffer, size_t size, char* line) {
  TextBufferLink* link = FindTextBuffer(buffer);
  if (link == nullptr) return -2;
  if (size < 1) return -3;
  if (line == nullptr) return -4;
  line[0] = '\0';
  const uint8_t* bytes = link->buffer;
  int32_t pos = link->cursor;
  if (pos >= link->length || bytes[pos] == 0) return -1;
  size_t len = 0;
  bool tooLong = false;
  for (; pos < link->length && bytes[pos] != 0 && bytes[pos] != '\n'; ++pos) {
    if (bytes[pos] == '\r') continue;
    if (len + 1 < size) {
      line[len++] = static_cast<char>(bytes[pos]);
    } else {
      tooLong = true;
    }
  }
  if (pos < link->length && bytes[pos] == '\n') ++pos;
  line[len] = '\0';
  link->cursor = pos;
  return tooLong ? -5 : static_cast<int>(len);
}

int KText::GetStringFromTextBuffer(const void* buffer, std::string& line, size_t maxLength) {
  std::vector<char> out(maxLength + 1);
  int rc = GetStringFromTextBuffer(buffer, out.size(), out.data());
  line.assign(out.data());
  return rc;
}

int32_t KText::GetTextBufferPosition(const void* buffer) const {
  if (textBuffers_.empty()) return -1;
  const TextBufferLink* link = FindTextBuffer(buffer);
  return link == nullptr ? -2 : link->cursor;
}

int KText::KillATextBufferLink(const void* buffer) {
  auto it = std::find_if(textBuffers_.begin(), textBuffers_.end(),
                         [buffer](const TextBufferLink& link) { return link.buffer == buffer; });
  if (it == textBuffers_.end()) return -1;
  textBuffers_.erase(it);
  return 0;
}

void KText::DestroyTheTextBufferLinks() { textBuffers_.clear(); }
