#include "app/run_mode.h"

run_mode decide_run_mode(const krval &module_path) {
  krval name(module_path);
  name.lower_case();
  int32_t slash = name.find_last(krval("\\"));
  if (slash >= 0) name.remove_front(slash + 1);
  if (name.compare(krval("setup.exe")) == 0) return run_mode::setup;
  if (name.compare(krval("kwop.exe")) == 0) return run_mode::normal;
  return run_mode::none;
}
