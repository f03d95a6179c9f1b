#pragma once

// The binding families: each adds its classes and functions to the module, in its own order.
#include "python/kit/module.hpp"

namespace kinetra::python {

bool init_configuration(ModuleBuilder& m);   // Configuration
bool init_model(ModuleBuilder& m);           // Model, Data, Frame, FrameType
bool init_joint_model(ModuleBuilder& m);     // JointModel
bool init_geometry(ModuleBuilder& m);        // GeometryModel, GeometryData, GeometryObject
bool init_configurations(ModuleBuilder& m);  // neutral, random_configuration
bool init_urdf(ModuleBuilder& m);            // build_models_from_urdf
bool init_inertia(ModuleBuilder& m);         // Inertia
bool init_joint_types(ModuleBuilder& m);     // JointType, JointModelRX, JointModelRY, JointModelRZ
bool init_se3(ModuleBuilder& m);             // SE3
bool init_spatial(ModuleBuilder& m);         // Vector3D, Vector6D, Symmetric3
bool init_dynamics(ModuleBuilder& m);        // forward_kinematics, forward_dynamics, ..., rnea
bool init_vortan(ModuleBuilder& m);          // the submodule vortan
bool init_dynamics_terms(ModuleBuilder& m);  // crba, mass_matrix, ..., potential_energy
bool init_urdf_text(ModuleBuilder& m);       // build_models_from_urdf_string
bool init_frames(ModuleBuilder& m);          // frame_placement, ..., center_of_mass, total_mass
bool init_configuration_space(ModuleBuilder& m);  // JointModelFloating, ..., centroidal_momentum
bool init_batch(ModuleBuilder& m);                // the submodule batch
bool init_derivatives(ModuleBuilder& m);          // rnea_derivatives, ..., step_derivatives

// kinetra.viewer, importable but not in __all__: loads the Python viewer on first use
bool add_viewer(PyObject* module);
bool init_collision(ModuleBuilder& m);            // compute_distances, compute_collisions
bool add_vortan_distance(ModuleBuilder& m);       // vortan.distance
bool init_rigid_motions(ModuleBuilder& m);        // exp3, log3, ..., matrix_to_quaternion
bool init_inverse_kinematics(ModuleBuilder& m);   // inverse_kinematics, IKResult
// kinetra.batch.inverse_kinematics, added to the submodule batch
bool add_batch_inverse_kinematics(ModuleBuilder& batch);

}  // namespace kinetra::python
