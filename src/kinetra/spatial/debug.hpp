#pragma once

#include "kinetra/export.hpp"
#include "kinetra/spatial/configuration.hpp"
#include "kinetra/spatial/se3.hpp"
#include "kinetra/spatial/text.hpp"

namespace kinetra {

// SE3(Isometry { rotation: [columns of R], translation: [t] })
KINETRA_API DebugValue debug_value(const SE3& m);
// Configuration(VecStorage { data: [...], nrows: Dyn(n), ncols: Const })
KINETRA_API DebugValue debug_value(const Configuration& c);
// Color([[r, g, b, a]])
KINETRA_API DebugValue debug_value(const Color& c);

}  // namespace kinetra
