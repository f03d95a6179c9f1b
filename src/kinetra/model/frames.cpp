#include "kinetra/model/frames.hpp"

#include <cassert>

namespace kinetra {

std::expected<void, AlgorithmError> check_frame_id(const Model& model, std::size_t frame_id) {
  if (frame_id >= model.nframes()) return std::unexpected(FrameIdError{frame_id, model.nframes()});
  return {};
}

std::expected<SE3, AlgorithmError> frame_placement(const Model& model, Data& data,
                                                   std::size_t frame_id) {
  if (auto ok = check_frame_id(model, frame_id); !ok) return std::unexpected(ok.error());
  if (auto ok = check_data(model, data); !ok) return std::unexpected(ok.error());
  return world_from_frame(model, data, frame_id);
}

std::expected<void, AlgorithmError> frame_placements(const Model& model, Data& data,
                                                     std::span<SE3> out) {
  assert(out.size() == model.nframes());
  if (auto ok = check_data(model, data); !ok) return ok;
  for (std::size_t f = 0; f < out.size(); ++f) out[f] = world_from_frame(model, data, f);
  return {};
}

std::expected<std::vector<SE3>, AlgorithmError> frame_placements(const Model& model, Data& data) {
  std::vector<SE3> out(model.nframes());
  if (auto ok = frame_placements(model, data, out); !ok) return std::unexpected(ok.error());
  return out;
}

}  // namespace kinetra
