#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "kinetra/export.hpp"
#include "kinetra/spatial/configuration.hpp"
#include "kinetra/spatial/se3.hpp"
#include "kinetra/spatial/symmetric3.hpp"

// A versioned little-endian binary form of kinetra values: the magic "KNTR", a u32 version,
// the kind of value as a string, then the value's fields. Strings and vectors carry their
// length as a u64; floating-point values are stored bit for bit.
namespace kinetra {

// 2: meshes carry their scale; geometry models their collision pairs and kinematic tree
inline constexpr std::uint32_t binary_format_version = 2;

// Why a payload could not be read.
struct DecodeError {
  std::string message;
};

class KINETRA_API BinaryWriter {
 public:
  // Starts a payload holding a value of `kind`.
  explicit BinaryWriter(std::string_view kind);

  void u8(std::uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
  void u64(std::uint64_t value);
  void f32(float value);
  void f64(double value);
  void string(std::string_view text);
  void vector(const Configuration& values);
  template <class Derived>
  void fixed(const Eigen::DenseBase<Derived>& values) {
    for (Eigen::Index i = 0; i < values.size(); ++i) f64(values.derived().data()[i]);
  }
  void se3(const SE3& placement);
  void symmetric3(const Symmetric3& matrix);

  std::string take() && { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Reads fields in the order they were written. The first failure sticks: later reads return
// zeros, and finish() reports it.
class KINETRA_API BinaryReader {
 public:
  // Checks the magic and the version.
  static std::expected<BinaryReader, DecodeError> open(std::string_view bytes);

  // The kind of value the payload holds.
  const std::string& kind() const { return kind_; }
  // The format version it was written in.
  std::uint32_t version() const { return version_; }
  bool ok() const { return !error_; }
  // Marks the payload corrupt with `reason`, unless it already failed.
  void fail(const std::string& reason);
  // Bytes not read yet (an optional trailing section is read only when they can hold it).
  std::size_t remaining() const { return bytes_.size() - offset_; }
  // The first failure, or a complaint about bytes left over.
  std::expected<void, DecodeError> finish() const;

  std::uint8_t u8();
  std::uint64_t u64();
  float f32();
  double f64();
  // A u64 count of items of at least `item_bytes` bytes each that the payload can still hold.
  std::size_t count(std::size_t item_bytes);
  // valid UTF-8, else a failure
  std::string string();
  Configuration vector();
  template <class Fixed>
  Fixed fixed() {
    Fixed values;
    for (Eigen::Index i = 0; i < values.size(); ++i) values.data()[i] = f64();
    return values;
  }
  // an orthonormal rotation, else a failure
  SE3 se3();
  Symmetric3 symmetric3();

 private:
  explicit BinaryReader(std::string_view bytes) : bytes_(bytes) {}
  // the next n bytes, or nullptr past the end
  const char* take(std::size_t n);

  std::string_view bytes_;
  std::size_t offset_ = 0;
  std::string kind_;
  std::uint32_t version_ = binary_format_version;
  std::optional<DecodeError> error_;
};

// The binary form of one kind of value: specialised with
//   static constexpr const char* kind;
//   static void write(BinaryWriter&, const T&);
//   static std::optional<T> read(BinaryReader&);  // nullopt only after a failure
template <class T>
struct BinaryForm;

template <class T>
std::string to_bytes(const T& value) {
  BinaryWriter writer(BinaryForm<T>::kind);
  BinaryForm<T>::write(writer, value);
  return std::move(writer).take();
}

template <class T>
std::expected<T, DecodeError> from_bytes(std::string_view bytes) {
  auto reader = BinaryReader::open(bytes);
  if (!reader) return std::unexpected(reader.error());
  if (reader->kind() != BinaryForm<T>::kind) {
    return std::unexpected(
        DecodeError{"the payload holds a " + reader->kind() + ", not a " + BinaryForm<T>::kind});
  }
  std::optional<T> value = BinaryForm<T>::read(*reader);
  if (auto done = reader->finish(); !done) return std::unexpected(done.error());
  return std::move(*value);
}

template <>
struct BinaryForm<SE3> {
  static constexpr const char* kind = "SE3";
  static void write(BinaryWriter& w, const SE3& value) { w.se3(value); }
  static std::optional<SE3> read(BinaryReader& r) { return r.se3(); }
};

template <>
struct BinaryForm<Symmetric3> {
  static constexpr const char* kind = "Symmetric3";
  static void write(BinaryWriter& w, const Symmetric3& value) { w.symmetric3(value); }
  static std::optional<Symmetric3> read(BinaryReader& r) { return r.symmetric3(); }
};

template <>
struct BinaryForm<Vector3D> {
  static constexpr const char* kind = "Vector3D";
  static void write(BinaryWriter& w, const Vector3D& value) { w.fixed(value); }
  static std::optional<Vector3D> read(BinaryReader& r) { return r.fixed<Vector3D>(); }
};

template <>
struct BinaryForm<Vector6D> {
  static constexpr const char* kind = "Vector6D";
  static void write(BinaryWriter& w, const Vector6D& value) { w.fixed(value); }
  static std::optional<Vector6D> read(BinaryReader& r) { return r.fixed<Vector6D>(); }
};

template <>
struct BinaryForm<Configuration> {
  static constexpr const char* kind = "Configuration";
  static void write(BinaryWriter& w, const Configuration& value) { w.vector(value); }
  static std::optional<Configuration> read(BinaryReader& r) { return r.vector(); }
};

}  // namespace kinetra
