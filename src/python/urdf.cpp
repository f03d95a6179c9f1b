// Python function build_models_from_urdf.
#include "kinetra/urdf/urdf.hpp"
#include "python/classes.hpp"
#include "python/families.hpp"

namespace kinetra::python {
namespace {

Result<std::tuple<Model, GeometryModel, GeometryModel>> read_urdf(
    const std::string& filepath, const std::optional<std::string>& package_dir) {
  auto models = build_models_from_urdf(filepath, package_dir);
  if (!models) return value_error(models.error().display());
  return std::tuple{std::move(models->model), std::move(models->collision),
                    std::move(models->visual)};
}

}  // namespace
}  // namespace kinetra::python

bool kinetra::python::init_urdf(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"build_models_from_urdf", "(filepath, package_dir=None)", &read_urdf, release_gil>(
          "A Python wrapper for the `build_models_from_urdf` function.")};
  return m.add_functions(functions);
}
