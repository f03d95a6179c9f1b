#include "kinetra/model/algorithm_error.hpp"

#include "kinetra/model/model.hpp"

namespace kinetra {

std::string DataMismatchError::display() const {
  const std::string prefix = "Data does not match the model: ";
  if (expected_joints != actual_joints) {
    return prefix + "expected " + std::to_string(expected_joints) + " joint data, got " +
           std::to_string(actual_joints);
  }
  return prefix + "joint " + std::to_string(joint) + " is " + to_string(model_type) +
         " but its data is " + to_string(data_type);
}

std::string FrameIdError::display() const {
  return "frame id " + std::to_string(frame_id) + " is out of range for a model with " +
         std::to_string(nframes) + " frames";
}

AlgorithmError AlgorithmError::located(const std::string& where) && {
  location = location.empty() ? where : where + ", " + location;
  return std::move(*this);
}

std::string AlgorithmError::display() const {
  const std::string text = std::visit([](const auto& e) { return e.display(); }, error);
  return location.empty() ? text : location + ": " + text;
}

std::string AlgorithmError::debug() const {
  if (const auto* joint = std::get_if<JointError>(&error)) {
    return location.empty() ? joint->debug() : location + ": " + joint->debug();
  }
  return display();
}

std::expected<void, AlgorithmError> check_data(const Model& model, Data& data) {
  const std::size_t n = model.njoints();
  if (data.joint_data.size() != n) {
    return std::unexpected(DataMismatchError{n, data.joint_data.size()});
  }
  for (std::size_t i = 0; i < n; ++i) {
    const JointType expected = model.joint_models()[i].type();
    const JointType actual = data.joint_data[i].type();
    if (expected != actual) return std::unexpected(DataMismatchError{n, n, i, expected, actual});
  }
  data.resize(n, model.nv());
  return {};
}

std::expected<void, AlgorithmError> check_configuration(
    const Model& model, const ConfigurationRef& q,
    std::initializer_list<NamedVector> velocity_sized) {
  if (auto ok = check_size("q", model.nq(), q.size()); !ok) return std::unexpected(ok.error());
  for (const auto& [name, values] : velocity_sized) {
    if (auto ok = check_size(name, model.nv(), values.size()); !ok) {
      return std::unexpected(ok.error());
    }
  }
  for (std::size_t i : model.quaternion_joints()) {
    const auto norm = model.joint_models()[i].invalid_quaternion_norm(q.data() + model.idx_q(i));
    if (norm) return std::unexpected(JointError::invalid_quaternion(model.joint_names()[i], *norm));
  }
  for (std::size_t i : model.cos_sin_joints()) {
    const auto norm = model.joint_models()[i].invalid_cos_sin_norm(q.data() + model.idx_q(i));
    if (norm) return std::unexpected(JointError::invalid_cos_sin(model.joint_names()[i], *norm));
  }
  return {};
}

std::expected<void, AlgorithmError> check_arguments(
    const Model& model, Data& data, const ConfigurationRef& q,
    std::initializer_list<NamedVector> velocity_sized) {
  if (auto ok = check_configuration(model, q, velocity_sized); !ok) return ok;
  return check_data(model, data);
}

}  // namespace kinetra
