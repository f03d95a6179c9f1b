#include "python/kit/registry.hpp"

#include <deque>
#include <map>
#include <string>

namespace kinetra::python {

namespace {

struct Entries {
  std::map<std::string, TypeGetter, std::less<>> classes;
  std::deque<PyMethodDef> functions;  // stable addresses
  std::map<std::string, PyMethodDef*, std::less<>> functions_by_name;
  std::map<std::string, ModuleMaker, std::less<>> submodules;
};

Entries& entries() {
  static Entries e;
  return e;
}

}  // namespace

bool register_class(const char* name, TypeGetter type) {
  entries().classes[name] = type;
  return true;
}

bool register_function(PyMethodDef def) {
  auto& e = entries();
  e.functions.push_back(def);
  e.functions_by_name[def.ml_name] = &e.functions.back();
  return true;
}

bool register_submodule(const char* name, ModuleMaker make) {
  entries().submodules[name] = make;
  return true;
}

TypeGetter find_class(std::string_view name) {
  auto it = entries().classes.find(name);
  return it == entries().classes.end() ? nullptr : it->second;
}

PyMethodDef* find_function(std::string_view name) {
  auto it = entries().functions_by_name.find(name);
  return it == entries().functions_by_name.end() ? nullptr : it->second;
}

ModuleMaker find_submodule(std::string_view name) {
  auto it = entries().submodules.find(name);
  return it == entries().submodules.end() ? nullptr : it->second;
}

}  // namespace kinetra::python
