#pragma once

// The binary forms of inertias, joint models, frames and models.
#include "kinetra/export.hpp"
#include "kinetra/inertia/inertia.hpp"
#include "kinetra/joint/joint_model.hpp"
#include "kinetra/model/frame.hpp"
#include "kinetra/model/model.hpp"
#include "kinetra/spatial/binary_format.hpp"

namespace kinetra {

template <>
struct KINETRA_API BinaryForm<Inertia> {
  static constexpr const char* kind = "Inertia";
  static void write(BinaryWriter& w, const Inertia& value);
  static std::optional<Inertia> read(BinaryReader& r);
};

// The kind's name and own fields, then the limits, each vector with its length.
template <>
struct KINETRA_API BinaryForm<JointModel> {
  static constexpr const char* kind = "JointModel";
  static void write(BinaryWriter& w, const JointModel& value);
  static std::optional<JointModel> read(BinaryReader& r);
};

template <>
struct KINETRA_API BinaryForm<Frame> {
  static constexpr const char* kind = "Frame";
  static void write(BinaryWriter& w, const Frame& value);
  static std::optional<Frame> read(BinaryReader& r);
};

// Rebuilt joint by joint and frame by frame, so a payload can only give a model that the
// model's own checks accept.
template <>
struct KINETRA_API BinaryForm<Model> {
  static constexpr const char* kind = "Model";
  static void write(BinaryWriter& w, const Model& value);
  static std::optional<Model> read(BinaryReader& r);
};

}  // namespace kinetra
