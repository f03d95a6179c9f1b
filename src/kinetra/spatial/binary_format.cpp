#include "kinetra/spatial/binary_format.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "kinetra/spatial/utf8.hpp"

namespace kinetra {

namespace {

constexpr std::string_view magic = "KNTR";

std::string corrupt(const std::string& reason) { return "corrupt kinetra payload: " + reason; }

}  // namespace

BinaryWriter::BinaryWriter(std::string_view kind) : bytes_(magic) {
  const std::uint32_t version = binary_format_version;
  for (int shift = 0; shift < 32; shift += 8) u8(static_cast<std::uint8_t>(version >> shift));
  string(kind);
}

void BinaryWriter::u64(std::uint64_t value) {
  for (int shift = 0; shift < 64; shift += 8) u8(static_cast<std::uint8_t>(value >> shift));
}

void BinaryWriter::f32(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) u8(static_cast<std::uint8_t>(bits >> shift));
}

void BinaryWriter::f64(double value) { u64(std::bit_cast<std::uint64_t>(value)); }

void BinaryWriter::string(std::string_view text) {
  u64(text.size());
  bytes_.append(text);
}

void BinaryWriter::vector(const Configuration& values) {
  u64(static_cast<std::uint64_t>(values.size()));
  for (double x : values) f64(x);
}

void BinaryWriter::se3(const SE3& placement) {
  fixed(placement.rotation);
  fixed(placement.translation);
}

void BinaryWriter::symmetric3(const Symmetric3& matrix) {
  for (double x : matrix.data) f64(x);
}

std::expected<BinaryReader, DecodeError> BinaryReader::open(std::string_view bytes) {
  if (!bytes.starts_with(magic)) return std::unexpected(DecodeError{"not a kinetra payload"});
  BinaryReader reader(bytes);
  reader.offset_ = magic.size();
  std::uint32_t version = 0;
  for (int shift = 0; shift < 32; shift += 8) version |= std::uint32_t{reader.u8()} << shift;
  if (!reader.ok() || version == 0) return std::unexpected(DecodeError{corrupt("no version")});
  if (version > binary_format_version) {
    return std::unexpected(DecodeError{"unsupported kinetra payload version " +
                                       std::to_string(version) + " (this build reads version " +
                                       std::to_string(binary_format_version) + ")"});
  }
  reader.version_ = version;
  reader.kind_ = reader.string();
  if (!reader.ok()) return std::unexpected(*reader.error_);
  return reader;
}

void BinaryReader::fail(const std::string& reason) {
  if (!error_) error_ = DecodeError{corrupt(reason)};
}

std::expected<void, DecodeError> BinaryReader::finish() const {
  if (error_) return std::unexpected(*error_);
  if (offset_ != bytes_.size()) {
    return std::unexpected(DecodeError{
        corrupt(std::to_string(bytes_.size() - offset_) + " bytes after the " + kind_)});
  }
  return {};
}

const char* BinaryReader::take(std::size_t n) {
  if (error_) return nullptr;
  if (bytes_.size() - offset_ < n) {
    fail("truncated");
    return nullptr;
  }
  const char* p = bytes_.data() + offset_;
  offset_ += n;
  return p;
}

std::uint8_t BinaryReader::u8() {
  const char* p = take(1);
  return p ? static_cast<std::uint8_t>(*p) : 0;
}

std::uint64_t BinaryReader::u64() {
  const char* p = take(8);
  if (!p) return 0;
  std::uint64_t value = 0;
  for (int k = 0; k < 8; ++k) value |= std::uint64_t{static_cast<std::uint8_t>(p[k])} << (8 * k);
  return value;
}

float BinaryReader::f32() {
  const char* p = take(4);
  if (!p) return 0;
  std::uint32_t bits = 0;
  for (int k = 0; k < 4; ++k) bits |= std::uint32_t{static_cast<std::uint8_t>(p[k])} << (8 * k);
  return std::bit_cast<float>(bits);
}

double BinaryReader::f64() { return std::bit_cast<double>(u64()); }

std::size_t BinaryReader::count(std::size_t item_bytes) {
  const std::uint64_t n = u64();
  if (error_) return 0;
  if (n > (bytes_.size() - offset_) / std::max<std::size_t>(item_bytes, 1)) {
    fail("a length of " + std::to_string(n) + " runs past the end");
    return 0;
  }
  return static_cast<std::size_t>(n);
}

std::string BinaryReader::string() {
  const std::size_t n = count(1);
  const char* p = take(n);
  if (!p) return {};
  std::string text(p, n);
  if (!is_valid_utf8(text)) {
    fail("a text that is not valid UTF-8");
    return {};
  }
  return text;
}

Configuration BinaryReader::vector() {
  Configuration values(static_cast<Eigen::Index>(count(8)));
  for (double& x : values) x = f64();
  return values;
}

SE3 BinaryReader::se3() {
  SE3 placement;
  placement.rotation = fixed<SpatialRotation>();
  placement.translation = fixed<Vector3D>();
  if (ok() && !is_orthogonal(placement.rotation)) {
    fail("a rotation that is not orthonormal");
    return SE3::identity();
  }
  return placement;
}

Symmetric3 BinaryReader::symmetric3() {
  Symmetric3 matrix;
  for (double& x : matrix.data) x = f64();
  return matrix;
}

}  // namespace kinetra
