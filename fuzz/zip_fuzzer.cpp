// Fuzz target for the ZIP reader: lists an arbitrary file as an archive, then extracts it
// with the installer's settings into a scratch directory, and checks that nothing was
// written beside that directory. The reader's own errors are expected; anything else (a
// crash, a sanitizer report, a hang, a stray file) is a finding. Reproduce one with
// "setupcheck zip extract CRASHFILE DESTDIR".
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/InstTool.h"
#include "archive/ZipReader.h"

namespace fs = std::filesystem;

namespace {

// One scratch directory per process, in memory where the system offers it.
const fs::path& Scratch() {
    static const fs::path dir = [] {
        fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path path = base / ("korzipfuzz-" + std::to_string(getpid()));
        fs::create_directories(path / "case");
        kor::SetMessageRoute([](const kor::TMessageRequest&) { return static_cast<int>(kor::kIdCancel); });
        return path;
    }();
    return dir;
}

void Run(const std::string& archive) {
    kor::TZipReader reader;
    reader.SetZipName(archive);
    try {
        reader.ReadDirectory();
        for (int i = 0; i < reader.MemberCount(); ++i) {
            reader.MemberDateTime(i);
            reader.MemberPathName(i);
        }
    } catch (const kor::Exception&) {
    }
    reader.SetDestDir((Scratch() / "case" / "out").string());
    reader.RecreateDirs = true;
    reader.OverwriteMode = kor::TOverwriteMode::Always;
    reader.DoAll = true;
    reader.FilesList.push_back("*.*");
    reader.IncompleteZipMode = kor::TIncompleteZipMode::izAssumeBad;
    try {
        reader.Extract();
    } catch (const kor::Exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path caseDir = Scratch() / "case";
    const fs::path archive = caseDir / "fuzz.zip";
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Run(archive.string());
    for (const auto& entry : fs::directory_iterator(caseDir)) {
        std::string name = entry.path().filename().string();
        if (name != "fuzz.zip" && name != "out") {
            std::fprintf(stderr, "written outside the destination: %s\n", entry.path().c_str());
            std::abort();
        }
    }
    for (const auto& entry : fs::directory_iterator(Scratch()))
        if (entry.path().filename() != "case") {
            std::fprintf(stderr, "written outside the destination: %s\n", entry.path().c_str());
            std::abort();
        }
    std::error_code ignored;
    fs::remove_all(caseDir / "out", ignored);
    return 0;
}
