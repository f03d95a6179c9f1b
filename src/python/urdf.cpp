// Python function build_models_from_urdf.
#include "kinetra/urdf/urdf.hpp"
#include "python/classes.hpp"

namespace kinetra::python {
namespace {

// Lets other Python threads run while it lives; restores the thread state however its scope ends.
struct GilReleased {
  PyThreadState* state = PyEval_SaveThread();
  GilReleased() = default;
  GilReleased(const GilReleased&) = delete;
  GilReleased& operator=(const GilReleased&) = delete;
  ~GilReleased() { PyEval_RestoreThread(state); }
};

Result<std::tuple<Model, GeometryModel, GeometryModel>> read_urdf(
    const std::string& filepath, const std::optional<std::string>& package_dir) {
  // the arguments are owned copies: reading and parsing touch no Python object
  auto models = [&] {
    const GilReleased released;
    return build_models_from_urdf(filepath, package_dir);
  }();
  if (!models) return value_error(models.error().display());
  return std::tuple{std::move(models->model), std::move(models->collision),
                    std::move(models->visual)};
}

}  // namespace
}  // namespace kinetra::python

KINETRA_REGISTER_FUNCTION(
    kinetra::python::def<"build_models_from_urdf", "(filepath, package_dir=None)",
                         &kinetra::python::read_urdf>(
        "A Python wrapper for the `build_models_from_urdf` function."));
