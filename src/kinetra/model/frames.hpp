#pragma once

#include <cstddef>
#include <expected>
#include <span>
#include <vector>

#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// Refuses a frame id not below the model's frame count.
KINETRA_API std::expected<void, AlgorithmError> check_frame_id(const Model& model,
                                                               std::size_t frame_id);

// World placement of a checked frame from the joint placements in `data`:
// oMf = oMi[parent joint] * placement of the frame in that joint.
inline SE3 world_from_frame(const Model& model, const Data& data, std::size_t frame_id) {
  const Frame& frame = model.frames()[frame_id];
  return data.joint_placements[frame.parent_joint] * frame.placement;
}

// World placement of a frame from the joint placements of the last forward kinematics.
KINETRA_API std::expected<SE3, AlgorithmError> frame_placement(const Model& model, Data& data,
                                                               std::size_t frame_id);

// World placements of every frame, into `out` of nframes entries.
KINETRA_API std::expected<void, AlgorithmError> frame_placements(const Model& model, Data& data,
                                                                 std::span<SE3> out);
KINETRA_API std::expected<std::vector<SE3>, AlgorithmError> frame_placements(const Model& model,
                                                                             Data& data);

}  // namespace kinetra
