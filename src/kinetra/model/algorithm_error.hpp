#pragma once

#include <cstddef>
#include <expected>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <variant>

#include "kinetra/export.hpp"
#include "kinetra/joint/joint_error.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/spatial/configuration.hpp"

namespace kinetra {

class Model;
struct Data;

// A Data that was not made from the model it is used with: the joint counts differ, or
// (equal counts) joint `joint` has data of another kind.
struct KINETRA_API DataMismatchError {
  std::size_t expected_joints;
  std::size_t actual_joints;
  std::size_t joint = 0;
  JointType model_type = JointType::Fixed;
  JointType data_type = JointType::Fixed;

  // Data does not match the model: expected 3 joint data, got 2
  // Data does not match the model: joint 2 is Revolute but its data is Prismatic
  std::string display() const;
};

// A frame id not below the model's frame count.
struct KINETRA_API FrameIdError {
  std::size_t frame_id;
  std::size_t nframes;

  // frame id 12 is out of range for a model with 11 frames
  std::string display() const;
};

// A centre of mass asked of a model whose bodies weigh nothing.
struct NoMassError {
  std::string display() const { return "the model has no mass"; }
};

// A batch call stopped on its caller's request.
struct InterruptedError {
  std::string display() const { return "interrupted"; }
};

// Failure of an algorithm; texts are plain (callers add their own prefix).
struct KINETRA_API AlgorithmError {
  std::variant<ConfigurationError, JointError, DataMismatchError, FrameIdError, NoMassError,
               InterruptedError>
      error;
  // where in a batch it arose ("row 700", "row 3, step 12"), or empty
  std::string location;

  AlgorithmError(ConfigurationError e) : error(std::move(e)) {}
  AlgorithmError(JointError e) : error(std::move(e)) {}
  AlgorithmError(DataMismatchError e) : error(e) {}
  AlgorithmError(FrameIdError e) : error(e) {}
  AlgorithmError(NoMassError e) : error(e) {}
  AlgorithmError(InterruptedError e) : error(e) {}

  // The error with `where` before its location: "row 3" + "step 12" is "row 3, step 12".
  AlgorithmError located(const std::string& where) &&;

  // "row 700: joint 'root_joint' has a quaternion of norm 0"
  std::string display() const;
  // the display text, except a JointError's debug text
  std::string debug() const;
};

// Refuses a Data whose joint data count or kinds differ from the model's joints, and sizes
// its workspace for the model.
KINETRA_API std::expected<void, AlgorithmError> check_data(const Model& model, Data& data);

// An algorithm argument and the name its size errors use ("v", "a", "tau").
struct NamedVector {
  const char* name;
  const ConfigurationRef& values;
};

// Checks that q holds exactly nq values and each of `velocity_sized` exactly nv, in order, and
// that every quaternion and planar (cos, sin) pair in q has a finite non-zero norm.
std::expected<void, AlgorithmError> check_configuration(
    const Model& model, const ConfigurationRef& q,
    std::initializer_list<NamedVector> velocity_sized = {});

// check_configuration, then check_data.
std::expected<void, AlgorithmError> check_arguments(
    const Model& model, Data& data, const ConfigurationRef& q,
    std::initializer_list<NamedVector> velocity_sized = {});

// The result of `compute()` once check_arguments passes, else its error.
template <class F>
auto checked(const Model& model, Data& data, const ConfigurationRef& q,
             std::initializer_list<NamedVector> velocity_sized, F&& compute)
    -> std::expected<std::invoke_result_t<F>, AlgorithmError> {
  if (auto ok = check_arguments(model, data, q, velocity_sized); !ok) {
    return std::unexpected(std::move(ok.error()));
  }
  if constexpr (std::is_void_v<std::invoke_result_t<F>>) {
    compute();
    return {};
  } else {
    return compute();
  }
}

}  // namespace kinetra
