#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

std::string ParseError::display() const {
  switch (kind) {
    case Kind::IoError:
      return "IO error: " + reason + " (file: " + subject + ")";
    case Kind::XmlError:
      return "XML parsing error: " + subject;
    case Kind::NoRobotTag:
      return "No <robot> tag found in URDF.";
    case Kind::VisualWithoutGeometry:
      return "the <visual> tag named '" + subject +
             "' does not have a corresponding <geometry> tag.";
    case Kind::GeometryWithoutShape:
      return "the <geometry> tag named '" + subject + "' does not have a corresponding shape tag.";
    case Kind::MissingParameter:
      return "Missing required parameter: " + subject;
    case Kind::InvalidParameter:
      return "Invalid value for parameter: " + subject;
    case Kind::MissingName:
      return "Missing name attribute for " + subject + ".";
    case Kind::MaterialWithoutColor:
      return "the <material> tag named '" + subject +
             "' does not have a corresponding <color> tag.";
    case Kind::UnknownJointType:
      return "unknown joint type (" + subject + ").";
    case Kind::UnknownTag:
      return "Unknown tag encountered: " + subject;
    case Kind::ModelFailure:
      return "Model error: " + (model_error ? model_error->display() : std::string());
    case Kind::UnknownLinkName:
      return "Unknown link name: " + subject;
    case Kind::InvalidFilePath:
      return "Invalid file path: " + subject;
    case Kind::MissingInertiaData:
      return "<inertial> tag in link '" + subject + "' missing inertia data.";
    case Kind::MissingMassData:
      return "<inertial> tag in link '" + subject + "' missing mass data.";
    case Kind::UnknownParentFrame:
      return "Frame references unknown parent: " + subject;
    case Kind::MultipleParentJoints:
      return "Link '" + subject + "' has more than one parent joint.";
    case Kind::UnreachableLink:
      return "Link '" + subject + "' cannot be reached from any root link.";
    case Kind::DuplicateLink:
      return "Link '" + subject + "' is defined more than once.";
    case Kind::InvalidMimic:
      return "Invalid mimic: " + subject;
  }
  return {};
}

}  // namespace kinetra
