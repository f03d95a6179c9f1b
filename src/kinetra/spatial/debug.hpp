#pragma once

#include "kinetra/spatial/configuration.hpp"
#include "kinetra/spatial/se3.hpp"
#include "kinetra/spatial/text.hpp"

namespace kinetra {

// SE3(Isometry { rotation: [columns of R], translation: [t] })
DebugValue debug_value(const SE3& m);
// Configuration(VecStorage { data: [...], nrows: Dyn(n), ncols: Const })
DebugValue debug_value(const Configuration& c);
// Color([[r, g, b, a]])
DebugValue debug_value(const Color& c);

}  // namespace kinetra
