#include "page_files/temporary_registry.h"

#include <set>

#include "fs/fs.h"

namespace {

std::mutex registry_lock;
std::set<std::string> &listed() {
  static std::set<std::string> names;
  return names;
}

}  // namespace

std::unique_lock<std::mutex> hold_temporary_registry() { return std::unique_lock<std::mutex>(registry_lock); }

void list_temporary(const std::string &name) { listed().insert(name); }

void forget_temporary(const std::string &name) {
  std::lock_guard<std::mutex> held(registry_lock);
  listed().erase(name);
}

void remove_listed_temporaries_for_good() {
  registry_lock.lock();   // never given back: the process ends next
  for (const std::string &name : listed()) {
    krval doomed(name.c_str());
    delete_file(doomed);
  }
  listed().clear();
}
