// The named declarations of a script (tables, files, CSV files, test-time
// tables): records in declaration order that keep their addresses, found by
// their exact name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// T has the fields name, fileId and line.
template <class T>
class NamedList {
 public:
  // The new record, or null when the name is taken already.
  T* Add(std::string_view name, int32_t fileId, int32_t line) {
    if (Find(name) != nullptr) return nullptr;
    auto record = std::make_unique<T>();
    record->name = std::string(name);
    record->fileId = fileId;
    record->line = line;
    T* added = record.get();
    byName_.emplace(added->name, added);
    records_.push_back(std::move(record));
    return added;
  }
  T* Find(std::string_view name) {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
  }
  const T* Find(std::string_view name) const {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
  }
  size_t Count() const { return records_.size(); }
  void Clear() {
    byName_.clear();
    records_.clear();
  }

 private:
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  std::vector<std::unique_ptr<T>> records_;
  std::unordered_map<std::string, T*, NameHash, std::equal_to<>> byName_;
};
