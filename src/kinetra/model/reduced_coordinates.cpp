#include "kinetra/model/reduced_coordinates.hpp"

#include <cmath>

#include "kinetra/model/model.hpp"

namespace kinetra {

namespace {

bool takes_part(const JointModel& joint) {
  return joint.type() == JointType::Revolute || joint.type() == JointType::Prismatic;
}

std::unexpected<MimicError> refuse(MimicError::Kind kind, const Model& model, std::size_t joint,
                                   std::string other = {}) {
  return std::unexpected(MimicError{kind, model.joint_names()[joint], std::move(other)});
}

}  // namespace

std::string MimicError::display() const {
  const std::string subject = "joint '" + joint + "'";
  switch (kind) {
    case Kind::UnknownJoint:
      return subject + " mimics unknown joint '" + other + "'";
    case Kind::Loop:
      return subject + " is in a loop of mimic joints";
    case Kind::UnsupportedKind:
      return subject + " cannot take part in a mimic: joint '" + other +
             "' is neither revolute nor prismatic";
    case Kind::TwoReferences:
      return subject + " mimics more than one joint";
    case Kind::NotFinite:
      return subject + " has a non-finite mimic multiplier or offset";
  }
  return {};
}

std::expected<ReducedCoordinates, MimicError> ReducedCoordinates::make(
    const Model& model, std::vector<MimicJoint> mimics) {
  const std::size_t n = model.njoints();
  // the mimic of each joint, or none
  constexpr std::size_t none = static_cast<std::size_t>(-1);
  std::vector<std::size_t> mimic_of(n, none);
  for (std::size_t k = 0; k < mimics.size(); ++k) {
    const MimicJoint& m = mimics[k];
    if (m.joint == 0 || m.joint >= n) {
      return std::unexpected(MimicError{MimicError::Kind::UnknownJoint, std::to_string(m.joint),
                                        std::to_string(m.reference)});
    }
    if (m.reference == 0 || m.reference >= n) {
      return refuse(MimicError::Kind::UnknownJoint, model, m.joint, std::to_string(m.reference));
    }
    if (!std::isfinite(m.multiplier) || !std::isfinite(m.offset)) {
      return refuse(MimicError::Kind::NotFinite, model, m.joint);
    }
    for (const std::size_t joint : {m.joint, m.reference}) {
      if (!takes_part(model.joint_models()[joint])) {
        return refuse(MimicError::Kind::UnsupportedKind, model, m.joint,
                      model.joint_names()[joint]);
      }
    }
    if (mimic_of[m.joint] != none) return refuse(MimicError::Kind::TwoReferences, model, m.joint);
    mimic_of[m.joint] = k;
  }

  ReducedCoordinates out;
  for (std::size_t joint = 0; joint < n; ++joint) {
    if (mimic_of[joint] == none) continue;
    // follow the chain to a joint that mimics nothing: q = multiplier * q_end + offset
    double multiplier = 1.0, offset = 0.0;
    std::size_t end = joint;
    for (std::size_t steps = 0; mimic_of[end] != none; ++steps) {
      if (steps == mimics.size()) return refuse(MimicError::Kind::Loop, model, joint);
      const MimicJoint& m = mimics[mimic_of[end]];
      offset += multiplier * m.offset;
      multiplier *= m.multiplier;
      end = m.reference;
    }
    out.followers_.push_back({model.idx_q(joint), model.idx_v(joint), model.idx_q(end),
                              model.idx_v(end), multiplier, offset});
  }
  // the sources as reduced indices: full ones less the followers before them
  for (Follower& f : out.followers_) {
    std::size_t before = 0;
    for (const Follower& g : out.followers_) before += g.q < f.source_q ? 1 : 0;
    f.source_q -= before;
    f.source_v -= before;
  }
  out.mimics_ = std::move(mimics);
  return out;
}

std::size_t ReducedCoordinates::nq(const Model& model) const {
  return model.nq() - followers_.size();
}
std::size_t ReducedCoordinates::nv(const Model& model) const {
  return model.nv() - followers_.size();
}

void ReducedCoordinates::expand_configuration(const ConfigurationRef& q_r,
                                              Eigen::Ref<Configuration> q) const {
  auto f = followers_.begin();
  Eigen::Index r = 0;
  for (Eigen::Index i = 0; i < q.size(); ++i) {
    if (f != followers_.end() && f->q == static_cast<std::size_t>(i)) {
      q[i] = f->multiplier * q_r[static_cast<Eigen::Index>(f->source_q)] + f->offset;
      ++f;
    } else {
      q[i] = q_r[r++];
    }
  }
}

void ReducedCoordinates::expand_velocity(const ConfigurationRef& v_r,
                                         Eigen::Ref<Configuration> v) const {
  auto f = followers_.begin();
  Eigen::Index r = 0;
  for (Eigen::Index i = 0; i < v.size(); ++i) {
    if (f != followers_.end() && f->v == static_cast<std::size_t>(i)) {
      v[i] = f->multiplier * v_r[static_cast<Eigen::Index>(f->source_v)];
      ++f;
    } else {
      v[i] = v_r[r++];
    }
  }
}

Configuration ReducedCoordinates::expand_configuration(const Model& model,
                                                       const ConfigurationRef& q_r) const {
  Configuration q(static_cast<Eigen::Index>(model.nq()));
  expand_configuration(q_r, q);
  return q;
}

Configuration ReducedCoordinates::expand_velocity(const Model& model,
                                                  const ConfigurationRef& v_r) const {
  Configuration v(static_cast<Eigen::Index>(model.nv()));
  expand_velocity(v_r, v);
  return v;
}

Configuration ReducedCoordinates::keep_configuration(const ConfigurationRef& q) const {
  return keep(q, &Follower::q);
}
Configuration ReducedCoordinates::keep_velocity(const ConfigurationRef& v) const {
  return keep(v, &Follower::v);
}
void ReducedCoordinates::place_kept_configuration(const ConfigurationRef& q_r,
                                                  Eigen::Ref<Configuration> q) const {
  place_kept(q_r, q, &Follower::q);
}
void ReducedCoordinates::place_kept_velocity(const ConfigurationRef& v_r,
                                             Eigen::Ref<Configuration> v) const {
  place_kept(v_r, v, &Follower::v);
}

Configuration ReducedCoordinates::keep(const ConfigurationRef& full,
                                       std::size_t Follower::*index) const {
  Configuration kept(full.size() - static_cast<Eigen::Index>(followers_.size()));
  auto f = followers_.begin();
  Eigen::Index r = 0;
  for (Eigen::Index i = 0; i < full.size(); ++i) {
    if (f != followers_.end() && (*f).*index == static_cast<std::size_t>(i)) {
      ++f;
    } else {
      kept[r++] = full[i];
    }
  }
  return kept;
}

void ReducedCoordinates::place_kept(const ConfigurationRef& kept, Eigen::Ref<Configuration> full,
                                    std::size_t Follower::*index) const {
  auto f = followers_.begin();
  Eigen::Index r = 0;
  for (Eigen::Index i = 0; i < full.size(); ++i) {
    if (f != followers_.end() && (*f).*index == static_cast<std::size_t>(i)) {
      ++f;
    } else {
      full[i] = kept[r++];
    }
  }
}

Eigen::MatrixXd ReducedCoordinates::project_columns(
    const Eigen::Ref<const Eigen::MatrixXd>& columns) const {
  const Eigen::Index nv_r = columns.cols() - static_cast<Eigen::Index>(followers_.size());
  Eigen::MatrixXd out(columns.rows(), nv_r);
  auto f = followers_.begin();
  Eigen::Index r = 0;
  for (Eigen::Index i = 0; i < columns.cols(); ++i) {
    if (f != followers_.end() && f->v == static_cast<std::size_t>(i)) {
      ++f;
    } else {
      out.col(r++) = columns.col(i);
    }
  }
  // a follower's column enters its source's, scaled: (J G)_s = J_s + m J_f
  for (const Follower& g : followers_) {
    out.col(static_cast<Eigen::Index>(g.source_v)) +=
        g.multiplier * columns.col(static_cast<Eigen::Index>(g.v));
  }
  return out;
}

Configuration ReducedCoordinates::project_effort(const ConfigurationRef& tau) const {
  return project_columns(tau.transpose()).transpose();
}

Eigen::MatrixXd ReducedCoordinates::project_mass_matrix(
    const Eigen::Ref<const Eigen::MatrixXd>& mass) const {
  // G^T M G = ((M G)^T G)^T
  return project_columns(project_columns(mass).transpose()).transpose();
}

std::expected<void, MimicError> Model::set_mimic_joints(std::vector<MimicJoint> mimics) {
  auto reduced = ReducedCoordinates::make(*this, std::move(mimics));
  if (!reduced) return std::unexpected(std::move(reduced.error()));
  for (const MimicJoint& m : reduced->mimic_joints()) {
    JointLimits& limits = joint_models_[m.joint].limits();
    limits = JointLimits::unbounded(limits.min_configuration.size(), limits.max_velocity.size());
  }
  reduced_ = std::move(*reduced);
  return {};
}

}  // namespace kinetra
