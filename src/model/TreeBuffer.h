// The subsystem tree buffer: the block of memory that tells a subsystem's extension library
// which parts of its subtree are to be processed, and from which the marks are read back
// after the library has run. Its layout is fixed (32-bit little-endian integers, no gaps):
//   0  length of the rest of the record, children included
//   4  InfoLength = 14 + L + P + S (bytes from offset 8 up to the child count)
//   8  Marked, 9 Marked again (one byte each)
//  10  L, Library; then P, Parameter; then S, ShortName (each a 4-byte length and the bytes)
//   8 + InfoLength  number of children, then the children's records in child order.
// The block comes back from a foreign library: every read stays inside the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "model/SysTree.h"

namespace kor {

// Total length of the node's record, children included.
std::size_t TreeBufferSize(const TSysNode& node);
// Writes the node's record at the start of the block; the bytes written (TreeBufferSize), or
// 0 when the block is too small or a length does not fit the layout's 32-bit fields.
std::size_t WriteTreeBuffer(const TSysNode& node, std::span<std::uint8_t> block);
// The record of child k (from 0) inside a record, bounded by the record; empty (null) when k
// is out of range, or, after the log line " error getting pointer", when a length or count
// left in the block points outside it.
std::span<const std::uint8_t> ChildRecord(std::span<const std::uint8_t> record, int k);
// Copies the marks of the record back into the node's subtree (a top-level node keeps its own
// mark, a SavedMark cannot be taken away) and returns the node's resulting FullyMarked. An
// empty record changes nothing.
bool ReadTreeBuffer(TSysNode& node, std::span<const std::uint8_t> record);

}  // namespace kor
