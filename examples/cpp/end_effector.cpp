// Reads a URDF, then prints the last frame's world pose and the gravity torques at q = 0.
#include <cstdio>
#include <filesystem>
#include <kinetra/model/algorithms.hpp>
#include <kinetra/urdf/urdf.hpp>

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: %s robot.urdf\n", argv[0]), 2;
  // mesh names resolve against the file's folder
  const std::string folder = std::filesystem::path(argv[1]).parent_path().string();
  auto robot = kinetra::build_models_from_urdf(argv[1], folder);
  if (!robot) return std::fprintf(stderr, "%s\n", robot.error().display().c_str()), 1;
  const kinetra::Model& model = robot->model;
  kinetra::Data data = model.create_data();
  const kinetra::Configuration q = *kinetra::neutral(model);

  (void)kinetra::forward_kinematics(model, data, q);
  const kinetra::SE3 pose = *kinetra::frame_placement(model, data, model.nframes() - 1);
  const kinetra::Vector3D& p = pose.translation;
  std::printf("%s: %s at (%.4f, %.4f, %.4f) m\n", model.name().c_str(),
              model.frames().back().name.c_str(), p.x(), p.y(), p.z());
  for (int r = 0; r < 3; ++r) {
    const auto row = pose.rotation.row(r);
    std::printf("  [% .4f % .4f % .4f]\n", row.x(), row.y(), row.z());
  }

  const kinetra::Configuration tau = *kinetra::generalized_gravity(model, data, q);
  for (Eigen::Index i = 0; i < tau.size(); ++i) std::printf("tau[%td] = %.4f\n", i, tau[i]);
}
