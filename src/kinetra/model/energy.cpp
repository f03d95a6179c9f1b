#include "kinetra/model/energy.hpp"

#include "kinetra/inertia/origin_inertia.hpp"
#include "kinetra/model/forward_pass.hpp"

namespace kinetra {

std::expected<double, AlgorithmError> kinetic_energy(const Model& model, Data& data,
                                                     const ConfigurationRef& q,
                                                     const ConfigurationRef& v) {
  return checked(model, data, q, {{"v", v}}, [&] {
    Workspace& ws = data.workspace;
    world_forward_pass(model, ws, q, &v);
    double energy = 0.0;
    for (std::size_t i = 1; i < model.njoints(); ++i) {
      // the body's velocity in its own frame, where its inertia is given
      const SpatialMotion vi = ws.world.world_from_joint[i].se3().act_motion_inverse(ws.world.velocity[i]);
      energy += 0.5 * vi.dot(model.inertias()[i] * vi);
    }
    return energy;
  });
}

std::expected<double, AlgorithmError> potential_energy(const Model& model, Data& data,
                                                       const ConfigurationRef& q) {
  return checked(model, data, q, {}, [&] {
    Workspace& ws = data.workspace;
    world_forward_pass(model, ws, q, nullptr);
    double energy = 0.0;
    for (std::size_t i = 1; i < model.njoints(); ++i) {
      const Inertia& inertia = model.inertias()[i];
      energy -= inertia.mass * model.gravity().dot(ws.world.world_from_joint[i].se3().act_point(inertia.com));
    }
    return energy;
  });
}

std::expected<Vector6D, AlgorithmError> centroidal_momentum(const Model& model, Data& data,
                                                            const ConfigurationRef& q,
                                                            const ConfigurationRef& v) {
  return checked(model, data, q, {{"v", v}}, [&] {
    Workspace& ws = data.workspace;
    world_forward_pass(model, ws, q, &v);
    // momentum about the world origin, then its moment moved to the centre of mass
    OriginInertia total;
    SpatialForce momentum = SpatialForce::Zero();
    for (std::size_t i = 1; i < model.njoints(); ++i) {
      const OriginInertia body(model.inertias()[i].act(ws.world.world_from_joint[i].se3()));
      momentum += body * ws.world.velocity[i];
      total += body;
    }
    const Vector3D com =
        total.mass > 0.0 ? Vector3D(total.first_moment / total.mass) : Vector3D::Zero();
    const Vector3D linear = momentum.tail<3>();
    momentum.head<3>() -= com.cross(linear);
    return Vector6D(momentum);
  });
}

}  // namespace kinetra
