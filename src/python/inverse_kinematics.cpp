// Python inverse kinematics: the function, its result class IKResult and the batched form.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kinetra/batch/batched_inverse_kinematics.hpp"
#include "kinetra/spatial/text.hpp"
#include "python/batch_threads.hpp"
#include "python/classes.hpp"
#include "python/conversions.hpp"
#include "python/families.hpp"
#include "python/frame_arguments.hpp"
#include "python/pickling.hpp"
#include "python/rigid_motion_arguments.hpp"
#include "python/seed.hpp"

#define PY_ARRAY_UNIQUE_SYMBOL kinetra_ARRAY_API
#define NO_IMPORT_ARRAY
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <numpy/arrayobject.h>

KINETRA_DECLARE_CLASS(kinetra::InverseKinematicsResult, "IKResult");

namespace kinetra::python {
namespace {

constexpr const char* prefix = "Error in inverse kinematics: ";

// ---- IKResult

std::string result_repr(const InverseKinematicsResult& r) {
  return std::string("IKResult(success=") + (r.success ? "True" : "False") +
         ", iterations=" + std::to_string(r.iterations) +
         ", error_norm=" + debug_number(r.error.norm()) + ")";
}

ClassSpec result_spec() {
  using R = InverseKinematicsResult;
  return {
      .name = "IKResult",
      .doc = "The answer of inverse_kinematics: q, success, error and iterations.",
      .methods = with_copies<R, false>(),
      .properties = {property("q", &getter<&R::q>, nullptr, "The configuration found, (nq,)."),
                     property("success", &getter<&R::success>, nullptr,
                              "True when |error| <= tolerance."),
                     property("error", &getter<&R::error>, nullptr,
                              "log6(oMf^-1 target) in frame axes, (6,); target - position in "
                              "world axes, (3,), for position_only."),
                     property("iterations", &getter<&R::iterations>, nullptr,
                              "The iterations of every run together.")},
      .slots = {{Py_tp_repr, slot<&unary<&result_repr>>()}},
  };
}

// ---- arguments shared by both forms

// The keyword-only parameters, after the four (model, frame_id, target(s), q0).
struct Keywords {
  InverseKinematicsOptions options;
  std::optional<std::uint64_t> seed;
};

template <class T>
bool load_optional(PyObject* obj, const char* name, T& out) {
  if (!obj) return true;
  Arg<T> value;
  if (!value.load(obj, name)) return false;
  out = value.get();
  return true;
}

// objects[0..5]: position_only, tolerance, max_iterations, damping, restarts, seed
bool load_keywords(PyObject* const* objects, Keywords& out) {
  InverseKinematicsOptions& o = out.options;
  if (!load_optional(objects[0], "position_only", o.position_only) ||
      !load_optional(objects[1], "tolerance", o.tolerance) ||
      !load_optional(objects[2], "max_iterations", o.max_iterations) ||
      !load_optional(objects[3], "damping", o.damping) ||
      !load_optional(objects[4], "restarts", o.restarts)) {
    return false;
  }
  auto seed = seed_value(objects[5]);
  if (!seed) return raise(seed.error()), false;
  out.seed = *seed;
  return true;
}

PyError solver_error(const InverseKinematicsError& error) {
  if (const auto* e = std::get_if<AlgorithmError>(&error)) return python_error(*e, prefix);
  return {PyExc_ValueError, std::get<InverseKinematicsArgumentError>(error).display()};
}

// The target of one solve: an SE3, a (4, 4) homogeneous matrix or, for position_only, a (3,)
// position.
Result<SE3> load_target(PyObject* obj, bool position_only) {
  if (position_only && Py_TYPE(obj) != PyClass<SE3>::type()) {
    ArrayArg array;
    if (!ArrayArg::from_object(obj, -1, "target", array)) return pending_error();
    if (array.ndim() == 1) {
      auto position = finite_vector(array, "target", 3);
      if (!position) return std::unexpected(position.error());
      return SE3{SpatialRotation::Identity(), *position};
    }
  }
  return rigid_motion_from_object(obj, "target");
}

// ---- inverse_kinematics

constexpr FixedString single_signature =
    "(model, frame_id, target, q0=None, *, position_only=False, tolerance=1e-06, "
    "max_iterations=200, damping=1e-06, restarts=0, seed=None)";

Result<InverseKinematicsResult> inverse_kinematics_binding(
    const Model& model, PyObject* frame_id, PyObject* target, PyObject* q0, PyObject* position_only,
    PyObject* tolerance, PyObject* max_iterations, PyObject* damping, PyObject* restarts,
    PyObject* seed) {
  std::size_t id = 0;
  if (!load_frame_id(model, frame_id, id)) return pending_error();
  Keywords keywords;
  PyObject* const keyword_objects[] = {position_only, tolerance, max_iterations,
                                       damping,       restarts,  seed};
  if (!load_keywords(keyword_objects, keywords)) return pending_error();
  auto goal = load_target(target, keywords.options.position_only);
  if (!goal) return std::unexpected(goal.error());
  Configuration start;
  if (q0 && q0 != Py_None) {
    Array<-1> values;
    if (!ArrayArg::from_object(q0, -1, "q0", values)) return pending_error();
    std::array<FlatValues, 1> x;
    if (auto read = read_vectors(model, prefix, {"q0"}, {&values}, x); !read) {
      return std::unexpected(read.error());
    }
    start = x[0].map();
  } else {
    start = inverse_kinematics_start(model);
  }
  Data data = model.create_data();
  std::optional<Rng> seeded;
  if (keywords.seed) seeded.emplace(*keywords.seed);
  std::expected<InverseKinematicsResult, InverseKinematicsError> result;
  {
    WithoutGil released;
    result = inverse_kinematics(model, data, id, *goal, start, keywords.options,
                                seeded ? *seeded : thread_rng());
  }
  if (!result) return std::unexpected(solver_error(result.error()));
  return std::move(*result);
}

// ---- batch.inverse_kinematics

constexpr FixedString batch_signature =
    "(model, frame_id, targets, q0=None, *, position_only=False, tolerance=1e-06, "
    "max_iterations=200, damping=1e-06, restarts=0, seed=None, threads=None)";

// (N, 4, 4) homogeneous matrices or, for position_only, (N, 3) positions.
bool load_targets(PyObject* obj, bool position_only, std::vector<SE3>& targets) {
  ArrayArg array;
  if (!ArrayArg::from_object(obj, -1, "targets", array)) return false;
  const bool positions = position_only && array.ndim() == 2 && array.dim(1) == 3;
  if (!positions && (array.ndim() != 3 || array.dim(1) != 4 || array.dim(2) != 4)) {
    raise(PyExc_ValueError, std::string("targets must have shape (N, 4, 4)") +
                                (position_only ? " or (N, 3)" : "") + ", got " + shape_of(array));
    return false;
  }
  auto values = array.values();
  if (!values) return raise(values.error()), false;
  const Eigen::VectorXd flat = values->flatten();
  targets.resize(static_cast<std::size_t>(array.dim(0)));
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const std::string name = "targets[" + std::to_string(i) + "]";
    if (positions) {
      const Vector3D p = flat.segment<3>(static_cast<Eigen::Index>(3 * i));
      if (!p.allFinite()) return raise(PyExc_ValueError, name + " must be finite"), false;
      targets[i] = SE3{SpatialRotation::Identity(), p};
      continue;
    }
    const Eigen::Matrix4d m =
        Eigen::Map<const Eigen::Matrix<double, 4, 4, Eigen::RowMajor>>(flat.data() + 16 * i);
    auto target = rigid_motion_from_matrix(m, name.c_str());
    if (!target) return raise(target.error()), false;
    targets[i] = *target;
  }
  return true;
}

// None: inverse_kinematics_start for every row; (nq,) for every row; (N, nq) one a row.
bool load_starts(const Model& model, PyObject* obj, std::size_t n, Eigen::VectorXd& starts,
                 bool& shared) {
  shared = true;
  if (!obj || obj == Py_None) {
    starts = inverse_kinematics_start(model);
    return true;
  }
  ArrayArg array;
  if (!ArrayArg::from_object(obj, -1, "q0", array)) return false;
  const auto nq = static_cast<Py_ssize_t>(model.nq());
  shared = array.ndim() == 1;
  if (!(shared && array.dim(0) == nq) &&
      !(array.ndim() == 2 && array.dim(0) == static_cast<Py_ssize_t>(n) && array.dim(1) == nq)) {
    raise(PyExc_ValueError, "q0 must have shape (" + std::to_string(nq) + ",) or (" +
                                std::to_string(n) + ", " + std::to_string(nq) + "), got " +
                                shape_of(array));
    return false;
  }
  auto values = array.values();
  if (!values) return raise(values.error()), false;
  starts = values->flatten();
  return true;
}

Ref new_array_of(std::initializer_list<Py_ssize_t> shape, int type) {
  static_assert(sizeof(npy_intp) == sizeof(Py_ssize_t));
  return Ref(PyArray_SimpleNew(static_cast<int>(shape.size()),
                               reinterpret_cast<const npy_intp*>(shape.begin()), type));
}

template <class T>
T* data_of(const Ref& array) {
  return static_cast<T*>(PyArray_DATA(reinterpret_cast<PyArrayObject*>(array.get())));
}

PyObject* batch_inverse_kinematics(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                   PyObject* kwnames) {
  using S = TextSignature<batch_signature>;
  static constexpr Parameters parameters{"inverse_kinematics", S::parameter_names.data(), S::size,
                                         S::required, S::positional};
  PyObject* objects[S::size] = {};
  if (!bind_arguments(parameters, args, nargs, kwnames, objects)) return nullptr;
  SharedArg<Model> model_arg;
  if (!model_arg.load(objects[0], "model")) return nullptr;
  const Model& model = model_arg.get();
  std::size_t id = 0, threads = 1;
  Keywords keywords;
  std::vector<SE3> targets;
  if (!load_frame_id(model, objects[1], id) || !load_keywords(objects + 4, keywords) ||
      !load_threads(objects[10], threads) ||
      !load_targets(objects[2], keywords.options.position_only, targets)) {
    return nullptr;
  }
  Eigen::VectorXd starts;
  bool shared = true;
  if (!load_starts(model, objects[3], targets.size(), starts, shared)) return nullptr;

  const auto n = static_cast<Py_ssize_t>(targets.size());
  const Py_ssize_t m = keywords.options.position_only ? 3 : 6;
  Ref q = new_array_of({n, static_cast<Py_ssize_t>(model.nq())}, NPY_DOUBLE);
  Ref success = new_array_of({n}, NPY_BOOL);
  Ref error = new_array_of({n, m}, NPY_DOUBLE);
  Ref iterations = new_array_of({n}, NPY_INT64);
  if (!q || !success || !error || !iterations) return nullptr;
  const batch::InverseKinematicsOutput out{data_of<double>(q), data_of<std::uint8_t>(success),
                                           data_of<double>(error),
                                           data_of<std::int64_t>(iterations)};
  const std::uint64_t seed = keywords.seed ? *keywords.seed : thread_rng()();
  std::expected<void, InverseKinematicsError> done;
  try {
    WithoutGil released;
    done = batch::inverse_kinematics(model, id, targets, starts.data(), shared, keywords.options,
                                     seed, out, threads);
  } catch (...) {
    return raise_current_exception();
  }
  if (!done) return raise(solver_error(done.error()));
  return PyTuple_Pack(4, q.get(), success.get(), error.get(), iterations.get());
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::InverseKinematicsResult, kinetra::python::result_spec)

bool kinetra::python::init_inverse_kinematics(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"inverse_kinematics", single_signature, &inverse_kinematics_binding>(
          "A configuration placing frame `frame_id` at `target` (an SE3 or a (4, 4) homogeneous "
          "matrix; with position_only, also a (3,) position whose frame orientation is free), as "
          "an IKResult. Damped least squares (Levenberg-Marquardt) in the tangent space from q0 "
          "(when None, the neutral configuration with every angle or position bounded on both "
          "sides at the middle of its range), every step moved through integrate and kept "
          "within the position limits; a run that stalls or ends unreached is followed, up to "
          "`restarts` times, by one from a random configuration (drawn from `seed`). Success "
          "when |error| <= tolerance; otherwise q is the best configuration found, and error "
          "what remains. max_iterations bounds each run.")};
  return m.add_functions(functions) && m.add_classes<InverseKinematicsResult>();
}

bool kinetra::python::add_batch_inverse_kinematics(ModuleBuilder& batch) {
  static PyMethodDef functions[] = {
      {"inverse_kinematics",
       reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&batch_inverse_kinematics)),
       METH_FASTCALL | METH_KEYWORDS,
       make_doc("inverse_kinematics", batch_signature.c_str(),
                "inverse_kinematics for each of N targets, (N, 4, 4) homogeneous matrices or, "
                "with position_only, (N, 3) positions, on `threads` threads: the tuple (q (N, "
                "nq), success (N,), error (N, 6) or (N, 3), iterations (N,)). q0: None (the start "
                "of the single call), one configuration (nq,) for all, or (N, nq). Row i restarts "
                "from the generator "
                "of seed + i (seed drawn when None), so it equals the single call with that "
                "seed.")}};
  return batch.add_functions(functions);
}
