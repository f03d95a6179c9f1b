#pragma once

#include "kinetra/export.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// Frames used by the sweeps. Every joint's motion subspace S is constant in its child frame,
// so a joint adds no velocity-dependent term of its own.
// - forward_kinematics: oMi = oMi[parent] * rest placement * transform(q_i).
// - rnea (Newton-Euler): velocities, accelerations and forces in each joint's own frame; forces
//   go to the parent through parent_from_joint; tau = S^T f with S in the joint frame.
// - crba, aba, energies, centroidal momentum: world axes at the world origin. Each dof's S is
//   turned into the world once (dof_motion), a body's inertia is moved into the world once,
//   and composite or articulated inertias then pass to the parent as they are. c = v x (S qd)
//   is the rate of S qd as the body turns.
// - gravity enters as a base acceleration of -g.

// Outward from the world into ws.world: world_from_joint (oMi) and dof_motion (S per dof, world)
// for q; with v also velocity (world) and bias_acceleration (c = v x S qd, world).
KINETRA_API void world_forward_pass(const Model& model, Workspace& ws, const ConfigurationRef& q,
                        const ConfigurationRef* v);

}  // namespace kinetra
