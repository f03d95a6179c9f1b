#include "kinetra/spatial/debug.hpp"

namespace kinetra {

namespace {

template <class Range>
DebugValue number_list(const Range& values) {
  std::vector<DebugValue> items;
  for (double x : values) items.push_back(DebugValue::number(x));
  return DebugValue::list(std::move(items));
}

}  // namespace

DebugValue debug_value(const SE3& m) {
  std::vector<DebugValue> columns;
  for (int c = 0; c < 3; ++c) columns.push_back(number_list(m.rotation.col(c)));
  return DebugValue::tuple(
      "SE3", {DebugValue::record("Isometry", {{"rotation", DebugValue::list(std::move(columns))},
                                              {"translation", number_list(m.translation)}})});
}

DebugValue debug_value(const Configuration& c) {
  return DebugValue::tuple(
      "Configuration",
      {DebugValue::record(
          "VecStorage",
          {{"data", number_list(c)},
           {"nrows", DebugValue::tuple("Dyn", {DebugValue::integer(std::size_t(c.size()))})},
           {"ncols", DebugValue::atom("Const")}})});
}

DebugValue debug_value(const Color& c) {
  return DebugValue::tuple("Color", {DebugValue::list({number_list(c)})});
}

}  // namespace kinetra
