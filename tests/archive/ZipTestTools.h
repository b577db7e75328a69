// Archives for the reader's tests: a builder that writes ZIP files member by member (with
// knobs for damaged and hostile layouts), encoders that produce valid shrunk, reduced and
// imploded streams, and a way to run the zip tool, also from the Windows build under Wine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kor::test {

std::uint32_t Crc32Of(const std::string& data);
std::string Deflate(const std::string& data);
std::string Shrink(const std::string& data);
std::string Reduce(const std::string& data, int factor);
std::string Implode(const std::string& data, std::uint16_t flags);
// Data that exercises the decoders: text with repeats, zero runs, DLE bytes and noise.
std::string MixedData(std::size_t size, unsigned seed);

struct TMemberSpec {
    std::string Name;                  // stored bytes, "/" separated
    std::string Data;                  // uncompressed contents
    std::uint16_t Method = 0;          // 0 stored, 8 deflated; others need Compressed
    std::string Compressed;            // used when not empty (or when Method is not 0 or 8)
    bool UseCompressed = false;
    std::uint16_t Flags = 0;
    std::uint32_t DosDateTime = 0x5A2B6C3D;   // 2025-01-11 13:33:58
    std::uint32_t Attributes = 0x20;
    bool OverrideCrc = false;
    std::uint32_t Crc = 0;
    bool OverrideSize = false;
    std::uint32_t UncompressedSize = 0;
};

// A stored member.
TMemberSpec Stored(std::string name, std::string data);

struct TBuildOptions {
    std::string Prefix;                 // bytes before the archive (offsets not adjusted)
    bool ReverseCentral = false;        // central records in reverse order
    std::int64_t CentralOffsetDelta = 0;
    int DuplicateCentral = -1;          // index of a central record written twice
    std::string Comment;
    std::uint16_t ThisDisk = 0, CentralStartDisk = 0;
};

std::string BuildZip(const std::vector<TMemberSpec>& members, const TBuildOptions& options = {});

// The directory's path as a Unix program sees it.
std::string UnixPath(const std::string& path);
// Runs a POSIX shell script (natively, or as a Unix process under Wine); its exit code.
int RunShell(const std::string& script, const std::string& scratchDir);

}  // namespace kor::test
