// Extraction benchmark: makes its archives (one large mixed file, 20,000 small files in a
// tree, one large stored file), then times extracting each with setupcheck (the reader), with
// unzip and with bsdtar, best of several runs, and prints the reader's time against the
// faster of the two. With a Wine command it also times the Windows build of setupcheck.
// Usage: zip_bench WORKDIR SETUPCHECK [WINE SETUPCHECK.EXE]
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 3;

// Deterministic data: text-like runs (compress well), noise (does not) and zeros.
class TGenerator {
public:
    explicit TGenerator(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    void Text(std::string& out, std::size_t size) {
        static const char* kWords[] = {"install ", "archive ", "subsystem ", "the ", "of ", "directory ",
                                       "registry ", "value ", "file ", "library\n", "shortcut ", "path "};
        while (size > 0) {
            std::string_view word = kWords[Next() % 12];
            std::size_t n = std::min(size, word.size());
            out.append(word.data(), n);
            size -= n;
        }
    }
    void Noise(std::string& out, std::size_t size) {
        for (std::size_t i = 0; i < size; i += 8) {
            std::uint64_t v = Next();
            out.append(reinterpret_cast<const char*>(&v), std::min<std::size_t>(8, size - i));
        }
    }
    void Mixed(std::string& out, std::size_t size) {
        while (out.size() < size) {
            std::size_t chunk = std::min<std::size_t>(size - out.size(), 4096 + Next() % 65536);
            switch (Next() % 4) {
            case 0: Noise(out, chunk); break;
            case 1: out.append(chunk, '\0'); break;
            default: Text(out, chunk);
            }
        }
    }

private:
    std::uint64_t state_;
};

void WriteFile(const fs::path& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

int Run(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

// Best wall time of kRuns runs of command (which extracts into out), in seconds.
double Time(const std::string& command, const fs::path& out) {
    double best = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        fs::remove_all(out);
        fs::create_directories(out);
        Run("sync");
        auto start = std::chrono::steady_clock::now();
        int code = Run(command);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (code != 0) throw std::runtime_error("failed (" + std::to_string(code) + "): " + command);
        best = std::min(best, seconds);
    }
    fs::remove_all(out);
    return best;
}

struct TArchive {
    std::string Label;
    fs::path Path;
};

std::vector<TArchive> MakeArchives(const fs::path& work) {
    fs::path source = work / "src";
    std::vector<TArchive> archives;
    auto zip = [&](const std::string& label, const std::string& options, const std::string& what) {
        fs::path archive = work / (label + ".zip");
        fs::remove(archive);
        if (Run("cd " + Quote(source) + " && zip -q -r " + options + " " + Quote(archive) + " " + what) != 0)
            throw std::runtime_error("zip failed for " + label);
        archives.push_back({label, archive});
    };
    TGenerator random(42);

    fs::remove_all(source);
    fs::create_directories(source);
    std::string data;
    data.reserve(300u << 20);
    random.Mixed(data, 300u << 20);
    WriteFile(source / "mixed.bin", data);
    zip("large-mixed-300MiB-deflated", "-6", "mixed.bin");
    zip("large-300MiB-stored", "-0", "mixed.bin");
    fs::remove(source / "mixed.bin");
    data.clear();
    data.shrink_to_fit();

    for (int d = 0; d < 100; ++d) {
        fs::path dir = source / ("dir" + std::to_string(d / 10)) / ("sub" + std::to_string(d));
        fs::create_directories(dir);
        for (int f = 0; f < 200; ++f) {
            std::string small;
            random.Text(small, 200 + random.Next() % 8000);
            WriteFile(dir / ("file" + std::to_string(f) + ".txt"), small);
        }
    }
    zip("20000-small-files-deflated", "-6", ".");
    fs::remove_all(source);
    std::swap(archives[1], archives[2]);
    return archives;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        std::cerr << "usage: zip_bench WORKDIR SETUPCHECK [WINE SETUPCHECK.EXE]\n";
        return 2;
    }
    try {
        fs::path work = fs::absolute(argv[1]);
        fs::create_directories(work);
        std::string setupcheck = fs::absolute(argv[2]).string();
        fs::path out = work / "out";
        std::vector<TArchive> archives = MakeArchives(work);
        std::printf("%-30s %10s %10s %10s %14s\n", "archive", "reader s", "unzip s", "bsdtar s", "reader/faster");
        for (const TArchive& a : archives) {
            double reader = Time("'" + setupcheck + "' zip extract " + Quote(a.Path) + " " + Quote(out) + " >/dev/null", out);
            double unzip = Time("unzip -q -o " + Quote(a.Path) + " -d " + Quote(out), out);
            double bsdtar = Time("bsdtar -xf " + Quote(a.Path) + " -C " + Quote(out), out);
            std::printf("%-30s %10.3f %10.3f %10.3f %14.2f\n", a.Label.c_str(), reader, unzip, bsdtar,
                        reader / std::min(unzip, bsdtar));
            std::fflush(stdout);
        }
        if (argc == 5) {
            std::string wine = argv[3], exe = argv[4];
            std::printf("\n%-30s %10s %10s %14s\n", "archive", "native s", "wine s", "wine/native");
            for (const TArchive& a : archives) {
                double native = Time("'" + setupcheck + "' zip extract " + Quote(a.Path) + " " + Quote(out) + " >/dev/null", out);
                double wined = Time("'" + wine + "' '" + exe + "' zip extract " + Quote(a.Path) + " " + Quote(out) +
                                        " >/dev/null 2>&1",
                                    out);
                std::printf("%-30s %10.3f %10.3f %14.2f\n", a.Label.c_str(), native, wined, wined / native);
                std::fflush(stdout);
            }
        }
        for (const TArchive& a : archives) fs::remove(a.Path);
    } catch (const std::exception& e) {
        std::cerr << "zip_bench: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
