#pragma once
#include <map>
#include <utility>

// Objects that the seam hands out by number (file handles, open registry
// keys, device information sets): numbers from a first one on, a step
// apart, never 0 and never used twice within a run.
namespace sim {

template <typename Handle, typename Object>
class HandleTable {
 public:
  HandleTable(Handle first, Handle step) : first_(first), step_(step), next_(first) {}

  Handle Add(Object object) {
    const Handle handle = next_;
    next_ += step_;
    objects_.insert_or_assign(handle, std::move(object));
    return handle;
  }
  Object* Find(Handle handle) {
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : &it->second;
  }
  bool Remove(Handle handle) { return objects_.erase(handle) != 0; }
  // For a new machine: nothing open, numbering from the start.
  void Clear() {
    objects_.clear();
    next_ = first_;
  }
  const std::map<Handle, Object>& Open() const { return objects_; }

 private:
  Handle first_;
  Handle step_;
  Handle next_;
  std::map<Handle, Object> objects_;
};

}  // namespace sim
