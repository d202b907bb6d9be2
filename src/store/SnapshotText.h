// The program's own snapshot text format: a registry subtree with every key,
// value name, value type and value byte, for platforms whose registry cannot
// restore a saved hive. Pure: bytes in, a tree out (and back); no Win32.
//
//   kIpConfig store snapshot 1
//   key
//   value "Setting Index" 00000004:01000000
//   key "Office"
//   value "Hosts File" 00000001:43003A005C0000000000
//   key "Office" "{0000000-...}"
//   end 3 2 9A0C41F7
//
// Lines end with CR LF. The first "key" line is the snapshot's root; every
// later key names its whole path below the root, and its parent must have
// been listed before it. A value belongs to the key listed last: its type
// (eight hex digits) and its data (two hex digits a byte, any length).
// Names are quoted UTF-8 in which '"', '\', control characters and lone
// surrogates are escaped (\" \\ \uXXXX). The "end" line counts the keys and
// values and carries the CRC-32 of every byte before it, so that a truncated
// or altered file is refused as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kip {

struct SnapshotValue {
  std::wstring name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;

  bool operator==(const SnapshotValue&) const = default;
};

struct SnapshotKey {
  std::wstring name;  // empty for the root of a snapshot
  std::vector<SnapshotValue> values;
  std::vector<SnapshotKey> subkeys;

  bool operator==(const SnapshotKey&) const = default;
};

// The registry's own nesting limit; deeper snapshots are refused.
inline constexpr std::size_t kSnapshotMaxDepth = 512;

// The first line of every snapshot text, without its line end.
inline constexpr std::string_view kSnapshotTextSignature = "kIpConfig store snapshot 1";

// True when the bytes begin with the signature line.
bool LooksLikeSnapshotText(std::string_view bytes);

// The tree as snapshot text. The root's own name is not written.
std::string FormatSnapshotText(const SnapshotKey& root);

struct SnapshotParseResult {
  SnapshotKey root;
  std::string error;  // empty when the text was read completely
  std::size_t line = 0;  // line of the error (1-based), 0 when none
  bool ok() const { return error.empty(); }
};

// Reads a whole snapshot text. Anything malformed, missing, duplicated or
// left over makes the result an error; a partial tree is never returned.
SnapshotParseResult ParseSnapshotText(std::string_view bytes);

// CRC-32 (the zlib polynomial) of the bytes.
std::uint32_t SnapshotCrc32(std::string_view bytes);

}  // namespace kip
