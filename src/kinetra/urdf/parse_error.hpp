#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "kinetra/export.hpp"
#include "kinetra/model/model_error.hpp"

namespace kinetra {

// Why a URDF description could not be turned into models. Owns everything it names.
struct KINETRA_API ParseError {
  enum class Kind : std::uint8_t {
    IoError,
    XmlError,
    NoRobotTag,
    VisualWithoutGeometry,
    GeometryWithoutShape,
    MissingParameter,
    InvalidParameter,
    MissingName,
    MaterialWithoutColor,
    UnknownJointType,
    UnknownTag,
    ModelFailure,
    UnknownLinkName,
    InvalidFilePath,
    MissingInertiaData,
    MissingMassData,
    UnknownParentFrame,
    MultipleParentJoints,
    UnreachableLink,
    DuplicateLink,
    InvalidMimic,
  };

  Kind kind;
  // The file path, name, type text, path detail or element rendering the message is about;
  // for XmlError the XML reader's message.
  std::string subject;
  // IoError only: the operating system's error text.
  std::string reason;
  // ModelFailure only.
  std::optional<ModelError> model_error;

  static ParseError io_error(std::string path, std::string reason) {
    return {Kind::IoError, std::move(path), std::move(reason), std::nullopt};
  }
  static ParseError model_failure(ModelError error) {
    return {Kind::ModelFailure, {}, {}, std::move(error)};
  }
  static ParseError of(Kind kind, std::string subject = {}) {
    return {kind, std::move(subject), {}, std::nullopt};
  }

  // The message a user sees, e.g. "Missing required parameter: limit".
  std::string display() const;
};

}  // namespace kinetra
