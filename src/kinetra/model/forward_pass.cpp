#include "kinetra/model/forward_pass.hpp"

#include "kinetra/model/world_pass_kernel.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

KINETRA_AVX2_CLONES KINETRA_FLATTEN void world_forward_pass(const Model& model, Workspace& ws,
                                                            const ConfigurationRef& q,
                                                            const ConfigurationRef* v) {
  kernel::world_forward_pass(model.compiled(), ws.world, q.data(), v ? v->data() : nullptr);
}

}  // namespace kinetra
