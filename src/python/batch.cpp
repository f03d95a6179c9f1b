// The submodule kinetra.batch: the algorithms over a leading axis of states, computed on the
// shared thread pool with the GIL released.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "kinetra/batch/batched_algorithms.hpp"
#include "kinetra/batch/batched_collisions.hpp"
#include "kinetra/batch/batched_derivatives.hpp"
#include "kinetra/batch/interruption.hpp"
#include "kinetra/batch/rollout.hpp"
#include "kinetra/batch/thread_pool.hpp"
#include "python/batch_threads.hpp"
#include "python/classes.hpp"
#include "python/families.hpp"
#include "python/frame_arguments.hpp"

#define PY_ARRAY_UNIQUE_SYMBOL kinetra_ARRAY_API
#define NO_IMPORT_ARRAY
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <numpy/arrayobject.h>

namespace kinetra::python {
namespace {

using Shape = std::vector<Py_ssize_t>;

PyArrayObject* as_array(PyObject* obj) { return reinterpret_cast<PyArrayObject*>(obj); }

std::span<const Py_ssize_t> shape_of(PyObject* array) {
  static_assert(sizeof(npy_intp) == sizeof(Py_ssize_t));
  return {reinterpret_cast<const Py_ssize_t*>(PyArray_DIMS(as_array(array))),
          static_cast<std::size_t>(PyArray_NDIM(as_array(array)))};
}

// "100, 6"; -1 stands for any length T
std::string dims_text(std::span<const Py_ssize_t> shape) {
  std::string text;
  for (std::size_t k = 0; k < shape.size(); ++k) {
    if (k > 0) text += ", ";
    text += shape[k] < 0 ? "T" : std::to_string(shape[k]);
  }
  return text;
}

// "(100, 6)", "(6,)"
std::string shape_text(std::span<const Py_ssize_t> shape) {
  std::string text(1, '(');
  text += dims_text(shape);
  text += shape.size() == 1 ? ",)" : ")";
  return text;
}

// The states of one argument as a C-contiguous float64 array of shape (N, *state).
struct States {
  const char* name;
  Ref array;
  Py_ssize_t count = 0;

  const double* data() const {
    return static_cast<const double*>(PyArray_DATA(as_array(array.get())));
  }
};

// Checks `shape` against (N, *state), where -1 in `state` matches any length; a shape of just
// `state` is one state when that cannot be read otherwise (one axis longer than one). Sets the
// number of states, or raises ValueError.
bool count_states(const char* name, std::span<const Py_ssize_t> shape, const Shape& state,
                  Py_ssize_t& count) {
  const bool single = state.size() == 1 && state[0] > 1 && shape.size() == 1;
  const std::span<const Py_ssize_t> inner = single ? shape : shape.subspan(shape.empty() ? 0 : 1);
  if (!single && shape.size() != state.size() + 1) {
    raise(PyExc_ValueError, std::string(name) + " must be an array of shape (N, " +
                                dims_text(state) + "), got " + shape_text(shape));
    return false;
  }
  if (inner.back() != state.back()) {
    raise(PyExc_ValueError,
          ConfigurationError::invalid_size(name, static_cast<std::size_t>(state.back()),
                                           static_cast<std::size_t>(inner.back()))
              .display());
    return false;
  }
  count = single ? 1 : shape[0];
  return true;
}

// Converts `obj` to float64 (refusing lossy casts) after checking an ndarray's shape, so that a
// wrong array is never copied.
bool load_states(PyObject* obj, const char* name, const Shape& state, States& out) {
  out.name = name;
  if (PyArray_Check(obj) && !count_states(name, shape_of(obj), state, out.count)) return false;
  out.array = Ref(PyArray_FromAny(obj, PyArray_DescrFromType(NPY_DOUBLE), 0, 0,
                                  NPY_ARRAY_C_CONTIGUOUS | NPY_ARRAY_ALIGNED, nullptr));
  if (!out.array) return prefix_argument_error(name), false;
  return count_states(name, shape_of(out.array.get()), state, out.count);
}

// Every argument holds as many states as the first one.
bool same_count(std::span<const States> inputs) {
  for (const States& s : inputs) {
    if (s.count != inputs[0].count) {
      raise(PyExc_ValueError, std::string(inputs[0].name) + " has " +
                                  std::to_string(inputs[0].count) + " state" +
                                  (inputs[0].count == 1 ? "" : "s") + " but " + s.name + " has " +
                                  std::to_string(s.count));
      return false;
    }
  }
  return true;
}

bool overlaps(PyObject* a, PyObject* b) {
  const auto* a_begin = static_cast<const char*>(PyArray_DATA(as_array(a)));
  const auto* b_begin = static_cast<const char*>(PyArray_DATA(as_array(b)));
  return a_begin < b_begin + PyArray_NBYTES(as_array(b)) &&
         b_begin < a_begin + PyArray_NBYTES(as_array(a));
}

// The result array: `out` checked against `shape`, or a new one. Inputs sharing memory with
// `out` other than row for row are copied first, so that writing a row never changes one not
// yet read.
bool load_out(PyObject* obj, const Shape& shape, std::span<States> inputs, Ref& result,
              int type = NPY_DOUBLE) {
  if (!obj || obj == Py_None) {
    static_assert(sizeof(npy_intp) == sizeof(Py_ssize_t));
    result = Ref(PyArray_SimpleNew(static_cast<int>(shape.size()),
                                   reinterpret_cast<const npy_intp*>(shape.data()), type));
    return static_cast<bool>(result);
  }
  if (!PyArray_Check(obj)) {
    raise(PyExc_TypeError, "out must be a numpy.ndarray, got " + type_name(obj));
    return false;
  }
  PyArrayObject* out = as_array(obj);
  if (PyArray_DESCR(out)->type_num != type || !PyArray_ISNOTSWAPPED(out)) {
    Ref dtype(PyObject_Str(reinterpret_cast<PyObject*>(PyArray_DESCR(out))));
    const char* text = dtype ? PyUnicode_AsUTF8(dtype.get()) : nullptr;
    raise(PyExc_TypeError, std::string("out must have dtype ") +
                               (type == NPY_BOOL ? "bool" : "float64") + ", got " +
                               (text ? text : "?"));
    return false;
  }
  const auto actual = shape_of(obj);
  if (!std::equal(actual.begin(), actual.end(), shape.begin(), shape.end())) {
    raise(PyExc_ValueError,
          "out must have shape " + shape_text(shape) + ", got " + shape_text(actual));
    return false;
  }
  if (!PyArray_IS_C_CONTIGUOUS(out) || !PyArray_ISALIGNED(out) || !PyArray_ISWRITEABLE(out)) {
    raise(PyExc_ValueError, "out must be a C-contiguous, aligned and writeable array");
    return false;
  }
  for (States& input : inputs) {
    if (!overlaps(obj, input.array.get())) continue;
    const bool row_for_row = PyArray_DATA(out) == PyArray_DATA(as_array(input.array.get())) &&
                             PyArray_NBYTES(out) == PyArray_NBYTES(as_array(input.array.get()));
    if (row_for_row) continue;
    input.array = Ref(PyArray_NewCopy(as_array(input.array.get()), NPY_CORDER));
    if (!input.array) return false;
  }
  result = Ref(Py_NewRef(obj));
  return true;
}

double* out_data(const Ref& result) {
  return static_cast<double*>(PyArray_DATA(as_array(result.get())));
}

// A new C-contiguous float64 array of the shape of `array`.
Ref new_like(const Ref& array) {
  PyArrayObject* a = as_array(array.get());
  return Ref(PyArray_SimpleNew(PyArray_NDIM(a), PyArray_DIMS(a), NPY_DOUBLE));
}

// The values of `from` into `to`, two C-contiguous float64 arrays of one shape.
void copy_values(const Ref& from, const Ref& to) {
  std::memcpy(out_data(to), out_data(from),
              static_cast<std::size_t>(PyArray_NBYTES(as_array(from.get()))));
}

// Whether a signal handler raised (KeyboardInterrupt for Ctrl-C); takes the GIL for the check,
// leaving the exception set for the call to report.
bool signal_raised() {
  const PyGILState_STATE state = PyGILState_Ensure();
  const bool raised = PyErr_CheckSignals() != 0;
  PyGILState_Release(state);
  return raised;
}

bool interrupted(const AlgorithmError& error) {
  return std::holds_alternative<InterruptedError>(error.error);
}
bool interrupted(const CollisionQueryError& error) { return error.interrupted; }

PyObject* raise_error(const AlgorithmError& error) { return raise(python_error(error, "")); }
PyObject* raise_error(const CollisionQueryError& error) {
  return raise(PyExc_ValueError, error.message);
}

// Runs `compute` with the GIL released, stopping between chunks of rows when a signal handler
// raises; returns the result array or raises.
template <class Compute>
PyObject* run_released(Ref result, Compute&& compute) {
  std::invoke_result_t<Compute&> done;
  try {
    const batch::InterruptScope interruptible(&signal_raised);
    WithoutGil released;
    done = compute();
  } catch (...) {
    return raise_current_exception();
  }
  if (!done) {
    if (!interrupted(done.error())) return raise_error(done.error());
    if (!PyErr_Occurred()) PyErr_SetNone(PyExc_KeyboardInterrupt);
    return nullptr;
  }
  return result.release();
}

bool holds_no_values(const Ref& array) { return PyArray_SIZE(as_array(array.get())) == 0; }

// The shared tail of the functions with one result: `out` checked (or a new array of `shape`
// made), then compute(values) without the GIL unless the result holds no values.
template <class Compute>
PyObject* compute_into(PyObject* out, const Shape& shape, std::span<States> inputs,
                       Compute&& compute) {
  Ref result;
  if (!load_out(out, shape, inputs, result)) return nullptr;
  if (holds_no_values(result)) return result.release();
  double* const values = out_data(result);
  return run_released(std::move(result), [&] { return compute(values); });
}

// Binds a call's arguments to the parameters of the text signature `Text` in `objects`.
template <FixedString Name, FixedString Text>
bool bind(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
          PyObject* (&objects)[TextSignature<Text>::size]) {
  using S = TextSignature<Text>;
  static constexpr Parameters parameters{Name.c_str(), S::parameter_names.data(), S::size,
                                         S::required};
  return bind_arguments(parameters, args, nargs, kwnames, objects);
}

// A module function taking METH_FASTCALL | METH_KEYWORDS arguments.
PyMethodDef method(const char* name,
                   PyObject* (*f)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*),
                   const char* text_signature, const char* doc) {
  return {name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f)),
          METH_FASTCALL | METH_KEYWORDS, make_doc(name, text_signature, doc)};
}

// ---- the functions of one shape: (model, inputs..., out=None, threads=None)

enum class Width { Nq, Nv };

struct Input {
  const char* name;
  Width width;
};

using Core = std::expected<void, AlgorithmError> (*)(const Model&, std::size_t n,
                                                     const double* const* inputs, double* out,
                                                     std::size_t threads, batch::RowPath path);

struct Function {
  const char* name;
  const char* signature;
  const char* doc;
  std::array<Input, 3> inputs;
  std::size_t input_count;
  Shape (*state_result)(const Model&);  // the result's shape for one state
  Core core;
  bool lanes = false;  // takes exact=True after threads: False computes the rows in vector lanes
};

// The model argument; a model with mimic joints is refused (its reduced coordinates are not
// batched yet).
bool load_model(SharedArg<Model>& model, PyObject* obj) {
  if (!model.load(obj, "model")) return false;
  if (model.get().reduced_coordinates().empty()) return true;
  raise(PyExc_ValueError, "batch functions do not take models with mimic joints");
  return false;
}

Py_ssize_t nq(const Model& m) { return static_cast<Py_ssize_t>(m.nq()); }
Py_ssize_t nv(const Model& m) { return static_cast<Py_ssize_t>(m.nv()); }

Shape efforts(const Model& m) { return {nv(m)}; }
Shape mass_matrix(const Model& m) { return {nv(m), nv(m)}; }
Shape scalar(const Model&) { return {}; }
Shape point(const Model&) { return {3}; }
Shape configuration(const Model& m) { return {nq(m)}; }
Shape joint_placements(const Model& m) { return {static_cast<Py_ssize_t>(m.njoints()), 4, 4}; }

constexpr Input q_input{"q", Width::Nq};
constexpr Input v_input{"v", Width::Nv};

const Function functions[] = {
    {"forward_kinematics",
     "(model, q, out=None, threads=None)",
     "World placements of every joint as homogeneous matrices, (N, njoints, 4, 4).",
     {q_input},
     1,
     &joint_placements,
     [](const Model& m, std::size_t n, const double* const* in, double* out, std::size_t t,
        batch::RowPath) { return batch::forward_kinematics(m, n, in[0], out, t); }},
    {"rnea",
     "(model, q, v, a, out=None, threads=None, exact=True)",
     "Joint efforts by recursive Newton-Euler for each state, (N, nv); exact=False computes "
     "several states per instruction, each row within rounding of the single-state one.",
     {q_input, v_input, {"a", Width::Nv}},
     3,
     &efforts,
     [](const Model& m, std::size_t n, const double* const* in, double* out, std::size_t t,
        batch::RowPath path) { return batch::rnea(m, n, in[0], in[1], in[2], out, t, path); },
     true},
    {"aba",
     "(model, q, v, tau, out=None, threads=None, exact=True)",
     "Joint accelerations by the articulated-body algorithm for each state, (N, nv); exact=False "
     "computes several states per instruction, each row within rounding of the single-state "
     "one.",
     {q_input, v_input, {"tau", Width::Nv}},
     3,
     &efforts,
     [](const Model& m, std::size_t n, const double* const* in, double* out, std::size_t t,
        batch::RowPath path) { return batch::aba(m, n, in[0], in[1], in[2], out, t, path); },
     true},
    {"crba",
     "(model, q, out=None, threads=None)",
     "Joint-space inertia matrices for each state, (N, nv, nv).",
     {q_input},
     1,
     &mass_matrix,
     [](const Model& m, std::size_t n, const double* const* in, double* out, std::size_t t,
        batch::RowPath) { return batch::crba(m, n, in[0], out, t); }},
    {"nonlinear_effects",
     "(model, q, v, out=None, threads=None, exact=True)",
     "Coriolis, centrifugal and gravity efforts for each state, (N, nv).",
     {q_input, v_input},
     2,
     &efforts,
     [](const Model& m, std::size_t n, const double* const* in, double* out, std::size_t t,
        batch::RowPath path) { return batch::nonlinear_effects(m, n, in[0], in[1], out, t, path); },
     true},
    {"generalized_gravity",
     "(model, q, out=None, threads=None, exact=True)",
     "Gravity efforts for each state, (N, nv).",
     {q_input},
     1,
     &efforts,
     [](const Model& m, std::size_t n, const double* const* in, double* out, std::size_t t,
        batch::RowPath path) { return batch::generalized_gravity(m, n, in[0], out, t, path); },
     true},
    {"kinetic_energy",
     "(model, q, v, out=None, threads=None)",
     "Kinetic energy of every body for each state, (N,).",
     {q_input, v_input},
     2,
     &scalar,
     [](const Model& m, std::size_t n, const double* const* in, double* out, std::size_t t,
        batch::RowPath) { return batch::kinetic_energy(m, n, in[0], in[1], out, t); }},
    {"potential_energy",
     "(model, q, out=None, threads=None)",
     "Gravitational potential energy of every body for each state, (N,).",
     {q_input},
     1,
     &scalar,
     [](const Model& m, std::size_t n, const double* const* in, double* out, std::size_t t,
        batch::RowPath) { return batch::potential_energy(m, n, in[0], out, t); }},
    {"center_of_mass",
     "(model, q, out=None, threads=None)",
     "World centre of mass of every body for each state, (N, 3).",
     {q_input},
     1,
     &point,
     [](const Model& m, std::size_t n, const double* const* in, double* out, std::size_t t,
        batch::RowPath) { return batch::center_of_mass(m, n, in[0], out, t); }},
    {"integrate",
     "(model, q, v, out=None, threads=None)",
     "Each configuration moved by its velocity for unit time, (N, nq).",
     {q_input, v_input},
     2,
     &configuration,
     [](const Model& m, std::size_t n, const double* const* in, double* out, std::size_t t,
        batch::RowPath) { return batch::integrate(m, n, in[0], in[1], out, t); }},
};

PyObject* call(const Function& f, const Parameters& parameters, PyObject* const* args,
               Py_ssize_t nargs, PyObject* kwnames) {
  PyObject* objects[7] = {};
  if (!bind_arguments(parameters, args, nargs, kwnames, objects)) return nullptr;
  SharedArg<Model> model;
  if (!load_model(model, objects[0])) return nullptr;
  std::array<States, 3> inputs;
  for (std::size_t k = 0; k < f.input_count; ++k) {
    const Input& input = f.inputs[k];
    const Py_ssize_t width = input.width == Width::Nq ? nq(model.get()) : nv(model.get());
    if (!load_states(objects[1 + k], input.name, {width}, inputs[k])) return nullptr;
  }
  const std::span<States> loaded(inputs.data(), f.input_count);
  if (!same_count(loaded)) return nullptr;
  PyObject* const out = objects[1 + f.input_count];
  std::size_t threads = 1;
  if (!load_threads(objects[2 + f.input_count], threads)) return nullptr;
  Arg<bool> exact;
  PyObject* const exact_object = f.lanes ? objects[3 + f.input_count] : nullptr;
  if (exact_object && !exact.load(exact_object, "exact")) return nullptr;
  const batch::RowPath path =
      exact_object && !exact.get() ? batch::RowPath::lanes : batch::RowPath::exact;

  const Py_ssize_t n = inputs[0].count;
  Shape shape = f.state_result(model.get());
  shape.insert(shape.begin(), n);
  return compute_into(out, shape, loaded, [&](double* values) {
    // read after `out` is settled: an input overlapping it may have been copied
    std::array<const double*, 3> data = {};
    for (std::size_t k = 0; k < f.input_count; ++k) data[k] = inputs[k].data();
    return f.core(model.get(), static_cast<std::size_t>(n), data.data(), values, threads, path);
  });
}

template <std::size_t I>
PyObject* fastcall_function(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr const Function& f = functions[I];
  static const std::array<const char*, 7> names = [] {
    std::array<const char*, 7> out = {"model"};
    for (std::size_t k = 0; k < f.input_count; ++k) out[1 + k] = f.inputs[k].name;
    out[1 + f.input_count] = "out";
    out[2 + f.input_count] = "threads";
    if (f.lanes) out[3 + f.input_count] = "exact";
    return out;
  }();
  static const Parameters parameters{f.name, names.data(), f.input_count + (f.lanes ? 4 : 3),
                                     f.input_count + 1};
  return call(f, parameters, args, nargs, kwnames);
}

template <std::size_t I>
PyMethodDef method_def() {
  const Function& f = functions[I];
  return method(f.name, &fastcall_function<I>, f.signature, f.doc);
}

template <std::size_t... I>
std::array<PyMethodDef, sizeof...(I)> method_defs(std::index_sequence<I...>) {
  return {method_def<I>()...};
}

// ---- frame_placements and frame_jacobian

// The frame ids of a sequence of ints, every frame when None.
bool load_frame_ids(const Model& model, PyObject* obj, std::vector<std::size_t>& ids) {
  if (!obj || obj == Py_None) {
    ids.resize(model.nframes());
    for (std::size_t k = 0; k < ids.size(); ++k) ids[k] = k;
    return true;
  }
  Ref items(PySequence_Fast(obj, "argument 'frame_ids': expected a sequence of frame ids"));
  if (!items) return false;
  ids.resize(static_cast<std::size_t>(PySequence_Fast_GET_SIZE(items.get())));
  for (std::size_t k = 0; k < ids.size(); ++k) {
    PyObject* item = PySequence_Fast_GET_ITEM(items.get(), static_cast<Py_ssize_t>(k));
    if (!load_frame_id(model, item, ids[k])) return false;
  }
  return true;
}

constexpr FixedString frame_placements_signature =
    "(model, q, frame_ids=None, out=None, threads=None)";

PyObject* frame_placements_binding(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                   PyObject* kwnames) {
  PyObject* objects[TextSignature<frame_placements_signature>::size] = {};
  if (!bind<"frame_placements", frame_placements_signature>(args, nargs, kwnames, objects))
    return nullptr;
  SharedArg<Model> model;
  States q;
  std::vector<std::size_t> ids;
  std::size_t threads = 1;
  if (!load_model(model, objects[0]) || !load_states(objects[1], "q", {nq(model.get())}, q) ||
      !load_frame_ids(model.get(), objects[2], ids) || !load_threads(objects[4], threads)) {
    return nullptr;
  }
  const Shape shape = {q.count, static_cast<Py_ssize_t>(ids.size()), 4, 4};
  return compute_into(objects[3], shape, {&q, 1}, [&](double* values) {
    return batch::frame_placements(model.get(), static_cast<std::size_t>(q.count), q.data(), ids,
                                   values, threads);
  });
}

constexpr FixedString frame_jacobian_signature =
    "(model, q, frame_id, kind=\"geometric\", out=None, threads=None)";

PyObject* frame_jacobian_binding(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                 PyObject* kwnames) {
  PyObject* objects[TextSignature<frame_jacobian_signature>::size] = {};
  if (!bind<"frame_jacobian", frame_jacobian_signature>(args, nargs, kwnames, objects))
    return nullptr;
  SharedArg<Model> model;
  States q;
  std::size_t frame_id = 0, threads = 1;
  Arg<std::optional<std::string>> kind_text;
  JacobianKind kind;
  if (!load_model(model, objects[0]) || !load_states(objects[1], "q", {nq(model.get())}, q) ||
      !load_frame_id(model.get(), objects[2], frame_id) || !kind_text.load(objects[3], "kind") ||
      !load_kind(kind_text.get(), kind) || !load_threads(objects[5], threads)) {
    return nullptr;
  }
  const Shape shape = {q.count, 6, nv(model.get())};
  return compute_into(objects[4], shape, {&q, 1}, [&](double* values) {
    return batch::frame_jacobian(model.get(), static_cast<std::size_t>(q.count), q.data(), frame_id,
                                 kind, values, threads);
  });
}

// ---- rollout(model, q0, v0, tau, dt, integrator="rk4", out=None, threads=None)

constexpr FixedString rollout_signature =
    "(model, q0, v0, tau, dt, integrator=\"rk4\", out=None, threads=None)";

bool load_step(PyObject* obj, double& dt) {
  Arg<double> value;
  if (!value.load(obj, "dt")) return false;
  dt = value.get();
  if (!(std::isfinite(dt) && dt > 0.0)) {
    Ref text(PyObject_Repr(obj));
    raise(PyExc_ValueError, std::string("dt must be a positive finite number, got ") +
                                (text ? PyUnicode_AsUTF8(text.get()) : "?"));
    return false;
  }
  return true;
}

bool load_integrator(PyObject* obj, Integrator& integrator) {
  integrator = Integrator::RungeKutta4;
  if (!obj) return true;
  Arg<std::string> name;
  if (!name.load(obj, "integrator")) return false;
  if (name.get() == "rk4") return true;
  if (name.get() == "semi_implicit_euler") {
    integrator = Integrator::SemiImplicitEuler;
    return true;
  }
  raise(PyExc_ValueError,
        "integrator must be 'rk4' or 'semi_implicit_euler', got '" + name.get() + "'");
  return false;
}

// `out`: None, or a pair of arrays for q and v.
bool load_rollout_out(PyObject* obj, const Shape& q_shape, const Shape& v_shape,
                      std::span<States> inputs, Ref& q_out, Ref& v_out) {
  PyObject* parts[2] = {nullptr, nullptr};
  if (obj && obj != Py_None) {
    if (!PyTuple_Check(obj) || PyTuple_GET_SIZE(obj) != 2) {
      raise(PyExc_TypeError, "out must be a pair of arrays (q, v), got " + type_name(obj));
      return false;
    }
    parts[0] = PyTuple_GET_ITEM(obj, 0);
    parts[1] = PyTuple_GET_ITEM(obj, 1);
  }
  if (!load_out(parts[0], q_shape, inputs, q_out) || !load_out(parts[1], v_shape, inputs, v_out)) {
    return false;
  }
  if (PyArray_NBYTES(as_array(q_out.get())) > 0 && overlaps(q_out.get(), v_out.get())) {
    raise(PyExc_ValueError, "the arrays of out must not share memory");
    return false;
  }
  return true;
}

PyObject* rollout_binding(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  PyObject* objects[TextSignature<rollout_signature>::size] = {};
  if (!bind<"rollout", rollout_signature>(args, nargs, kwnames, objects)) return nullptr;
  SharedArg<Model> model;
  if (!load_model(model, objects[0])) return nullptr;
  const Py_ssize_t model_nq = nq(model.get()), model_nv = nv(model.get());
  std::array<States, 3> inputs;
  if (!load_states(objects[1], "q0", {model_nq}, inputs[0]) ||
      !load_states(objects[2], "v0", {model_nv}, inputs[1]) ||
      !load_states(objects[3], "tau", {-1, model_nv}, inputs[2]) || !same_count(inputs)) {
    return nullptr;
  }
  const Py_ssize_t steps = shape_of(inputs[2].array.get())[1];
  if (steps == 0) return raise(PyExc_ValueError, "tau must hold at least one step, got 0");
  double dt = 0;
  Integrator integrator;
  std::size_t threads = 1;
  if (!load_step(objects[4], dt) || !load_integrator(objects[5], integrator) ||
      !load_threads(objects[7], threads)) {
    return nullptr;
  }
  const Py_ssize_t n = inputs[0].count;
  Ref q_out, v_out;
  if (!load_rollout_out(objects[6], {n, steps + 1, model_nq}, {n, steps + 1, model_nv}, inputs,
                        q_out, v_out)) {
    return nullptr;
  }
  Ref result(PyTuple_Pack(2, q_out.get(), v_out.get()));
  if (!result || (holds_no_values(q_out) && holds_no_values(v_out))) return result.release();
  // a trajectory may fail part way: given arrays get the trajectories once every one succeeded
  const bool given = objects[6] && objects[6] != Py_None;
  Ref q_work = given ? new_like(q_out) : q_out, v_work = given ? new_like(v_out) : v_out;
  if (!q_work || !v_work) return nullptr;
  return run_released(std::move(result), [&]() -> std::expected<void, AlgorithmError> {
    auto done =
        batch::rollout(model.get(), static_cast<std::size_t>(n), static_cast<std::size_t>(steps),
                       inputs[0].data(), inputs[1].data(), inputs[2].data(), dt, integrator,
                       out_data(q_work), out_data(v_work), threads);
    if (done && given) {
      copy_values(q_work, q_out);
      copy_values(v_work, v_out);
    }
    return done;
  });
}

// ---- the derivatives: (model, q, v, x[, dt], out=None, threads=None), results as tuples

// `out`: None, or a tuple of one array per result, none sharing memory with another.
template <std::size_t K>
bool load_tuple_out(PyObject* obj, const std::array<Shape, K>& shapes, std::span<States> inputs,
                    std::array<Ref, K>& results) {
  std::array<PyObject*, K> parts = {};
  if (obj && obj != Py_None) {
    if (!PyTuple_Check(obj) || PyTuple_GET_SIZE(obj) != static_cast<Py_ssize_t>(K)) {
      raise(PyExc_TypeError,
            "out must be a tuple of " + std::to_string(K) + " arrays, got " + type_name(obj));
      return false;
    }
    for (std::size_t k = 0; k < K; ++k) {
      parts[k] = PyTuple_GET_ITEM(obj, static_cast<Py_ssize_t>(k));
    }
  }
  for (std::size_t k = 0; k < K; ++k) {
    if (!load_out(parts[k], shapes[k], inputs, results[k])) return false;
  }
  for (std::size_t k = 0; k < K; ++k) {
    for (std::size_t l = k + 1; l < K; ++l) {
      if (PyArray_NBYTES(as_array(results[k].get())) > 0 &&
          overlaps(results[k].get(), results[l].get())) {
        raise(PyExc_ValueError, "the arrays of out must not share memory");
        return false;
      }
    }
  }
  return true;
}

// Loads the model and the three state arguments named `names` (q, then two of width nv).
bool load_model_and_states(PyObject* const* objects, const std::array<const char*, 3>& names,
                           SharedArg<Model>& model, std::array<States, 3>& inputs) {
  if (!model.load(objects[0], "model")) return false;
  for (std::size_t k = 0; k < 3; ++k) {
    const Py_ssize_t width = k == 0 ? nq(model.get()) : nv(model.get());
    if (!load_states(objects[1 + k], names[k], {width}, inputs[k])) return false;
  }
  return same_count(inputs);
}

// The tuple of the results, computed by compute(values) without the GIL unless there are no
// states.
template <std::size_t K, class Compute>
PyObject* compute_tuple(PyObject* out, const std::array<Shape, K>& shapes, std::span<States> inputs,
                        Compute&& compute) {
  std::array<Ref, K> results;
  if (!load_tuple_out(out, shapes, inputs, results)) return nullptr;
  std::array<double*, K> values;
  Ref tuple(PyTuple_New(K));
  if (!tuple) return nullptr;
  for (std::size_t k = 0; k < K; ++k) {
    values[k] = out_data(results[k]);
    PyTuple_SET_ITEM(tuple.get(), static_cast<Py_ssize_t>(k), results[k].release());
  }
  // no numbers to compute (no states, or a model without degrees of freedom)
  if (std::ranges::all_of(shapes, [](const Shape& shape) {
        return std::ranges::find(shape, Py_ssize_t{0}) != shape.end();
      })) {
    return tuple.release();
  }
  return run_released(std::move(tuple), [&] { return compute(values); });
}

using DerivativeCore = std::expected<void, AlgorithmError> (*)(const Model&, std::size_t,
                                                               const double*, const double*,
                                                               const double*, double*, double*,
                                                               double*, std::size_t);

template <FixedString Name, FixedString Text>
PyObject* dynamics_derivatives(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                               const std::array<const char*, 3>& names, DerivativeCore core) {
  PyObject* objects[TextSignature<Text>::size] = {};
  if (!bind<Name, Text>(args, nargs, kwnames, objects)) return nullptr;
  SharedArg<Model> model;
  std::array<States, 3> inputs;
  std::size_t threads = 1;
  if (!load_model_and_states(objects, names, model, inputs) || !load_threads(objects[5], threads)) {
    return nullptr;
  }
  const Py_ssize_t n = inputs[0].count, width = nv(model.get());
  const Shape shape = {n, width, width};
  return compute_tuple<3>(objects[4], {shape, shape, shape}, inputs, [&](const auto& values) {
    return core(model.get(), static_cast<std::size_t>(n), inputs[0].data(), inputs[1].data(),
                inputs[2].data(), values[0], values[1], values[2], threads);
  });
}

constexpr FixedString rnea_derivatives_signature = "(model, q, v, a, out=None, threads=None)";
constexpr FixedString aba_derivatives_signature = "(model, q, v, tau, out=None, threads=None)";

PyObject* rnea_derivatives_binding(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                   PyObject* kwnames) {
  return dynamics_derivatives<"rnea_derivatives", rnea_derivatives_signature>(
      args, nargs, kwnames, {"q", "v", "a"}, &batch::rnea_derivatives);
}

PyObject* aba_derivatives_binding(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                  PyObject* kwnames) {
  return dynamics_derivatives<"aba_derivatives", aba_derivatives_signature>(
      args, nargs, kwnames, {"q", "v", "tau"}, &batch::aba_derivatives);
}

constexpr FixedString step_derivatives_signature = "(model, q, v, tau, dt, out=None, threads=None)";

PyObject* step_derivatives_binding(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                   PyObject* kwnames) {
  PyObject* objects[TextSignature<step_derivatives_signature>::size] = {};
  if (!bind<"step_derivatives", step_derivatives_signature>(args, nargs, kwnames, objects)) {
    return nullptr;
  }
  SharedArg<Model> model;
  std::array<States, 3> inputs;
  double dt = 0;
  std::size_t threads = 1;
  if (!load_model_and_states(objects, {"q", "v", "tau"}, model, inputs) ||
      !load_step(objects[4], dt) || !load_threads(objects[6], threads)) {
    return nullptr;
  }
  const Py_ssize_t n = inputs[0].count, width = nv(model.get());
  const std::array<Shape, 2> shapes = {Shape{n, 2 * width, 2 * width}, Shape{n, 2 * width, width}};
  return compute_tuple<2>(objects[5], shapes, inputs, [&](const auto& values) {
    return batch::step_derivatives(model.get(), static_cast<std::size_t>(n), inputs[0].data(),
                                   inputs[1].data(), inputs[2].data(), dt, values[0], values[1],
                                   threads);
  });
}

// ---- compute_collisions and compute_distances(model, geometry_model, q, out=None, threads=None)

constexpr FixedString collisions_signature = "(model, geometry_model, q, out=None, threads=None)";

template <FixedString Name, bool Distances>
PyObject* collision_queries_binding(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                    PyObject* kwnames) {
  PyObject* objects[TextSignature<collisions_signature>::size] = {};
  if (!bind<Name, collisions_signature>(args, nargs, kwnames, objects)) return nullptr;
  SharedArg<Model> model;
  SharedArg<GeometryModel> geometry;
  States q;
  std::size_t threads = 1;
  if (!model.load(objects[0], "model") || !geometry.load(objects[1], "geometry_model") ||
      !load_states(objects[2], "q", {nq(model.get())}, q) || !load_threads(objects[4], threads)) {
    return nullptr;
  }
  const Shape shape = {q.count, static_cast<Py_ssize_t>(geometry.get().collision_pairs.size())};
  Ref result;
  if (!load_out(objects[3], shape, {&q, 1}, result, Distances ? NPY_DOUBLE : NPY_BOOL)) {
    return nullptr;
  }
  if (holds_no_values(result)) return result.release();
  void* const values = PyArray_DATA(as_array(result.get()));
  const auto n = static_cast<std::size_t>(q.count);
  return run_released(std::move(result), [&]() -> std::expected<void, CollisionQueryError> {
    if constexpr (Distances) {
      return batch::compute_distances(model.get(), geometry.get(), n, q.data(),
                                      static_cast<double*>(values), threads);
    } else {
      return batch::compute_collisions(model.get(), geometry.get(), n, q.data(),
                                       static_cast<std::uint8_t*>(values), threads);
    }
  });
}

}  // namespace
}  // namespace kinetra::python

// The submodule, its functions in the order of its __all__.
bool kinetra::python::init_batch(ModuleBuilder& parent) {
  static std::array<PyMethodDef, std::size(functions)> defs =
      method_defs(std::make_index_sequence<std::size(functions)>());
  Ref module(PyModule_New("kinetra.batch"));
  if (!module) return false;
  ModuleBuilder m(module.get());
  static PyMethodDef defs_with_options[] = {
      method("frame_placements", &frame_placements_binding, frame_placements_signature.c_str(),
             "World placements of the frames (every frame when frame_ids is None) as homogeneous "
             "matrices for each state, (N, len(frame_ids), 4, 4)."),
      method("frame_jacobian", &frame_jacobian_binding, frame_jacobian_signature.c_str(),
             "The frame Jacobian of `kind` (\"geometric\", \"body\" or \"spatial\") for each "
             "state, (N, 6, nv)."),
      method("rollout", &rollout_binding, rollout_signature.c_str(),
             "Trajectories of T steps of length dt from the states (q0, v0) under the efforts "
             "tau (N, T, nv), tau[:, k] acting during step k, by aba and the configuration-space "
             "integration: (q, v) of shapes (N, T + 1, nq) and (N, T + 1, nv), starting with q0 "
             "and v0. integrator: \"rk4\" or \"semi_implicit_euler\"; out: None or a pair of "
             "arrays."),
      method("rnea_derivatives", &rnea_derivatives_binding, rnea_derivatives_signature.c_str(),
             "(dtau_dq, dtau_dv, dtau_da) of rnea for each state, each (N, nv, nv); dq in the "
             "tangent space; out: None or a tuple of three arrays."),
      method("aba_derivatives", &aba_derivatives_binding, aba_derivatives_signature.c_str(),
             "(dqdd_dq, dqdd_dv, dqdd_dtau) of aba for each state, each (N, nv, nv); dq in the "
             "tangent space; out: None or a tuple of three arrays."),
      method("step_derivatives", &step_derivatives_binding, step_derivatives_signature.c_str(),
             "(A, B) of one semi-implicit Euler step of length dt for each state, (N, 2nv, 2nv) "
             "and (N, 2nv, nv); out: None or a pair of arrays.")};
  static PyMethodDef collision_defs[] = {
      method("compute_collisions", &collision_queries_binding<"compute_collisions", false>,
             collisions_signature.c_str(),
             "Whether each collision pair of geometry_model overlaps, for each configuration, "
             "(N, P) bool; each row equals the single-state compute_collisions."),
      method("compute_distances", &collision_queries_binding<"compute_distances", true>,
             collisions_signature.c_str(),
             "The signed distance of each collision pair of geometry_model, for each "
             "configuration, (N, P); each row equals the distances of the single-state "
             "compute_distances.")};
  return m.add_functions(defs) && m.add_functions(defs_with_options) &&
         m.add_functions(collision_defs) && add_batch_inverse_kinematics(m) &&
         parent.add_submodule("batch", module.release());
}
