// setupcheck zip list ARCHIVE / setupcheck zip extract ARCHIVE DESTDIR: lists an archive as
// the reader sees it, or extracts it with the installer's settings and prints one line per
// event. The output is an interface (benchmarks and crash reproduction read it): keep it.
#include <cstdio>
#include <iostream>

#include "Commands.h"
#include "app/InstTool.h"
#include "archive/ZipReader.h"

namespace kor::check {
namespace {

std::string Hex8(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

std::string DosDateTimeText(std::uint32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u %02u:%02u:%02u", (value >> 16) & 0x1F, (value >> 21) & 0x0F,
                  (value >> 25) + 1980, (value >> 11) & 0x1F, (value >> 5) & 0x3F, (value & 0x1F) * 2);
    return text;
}

int List(TZipReader& reader, std::ostream& out) {
    reader.ReadDirectory();
    for (int i = 0; i < reader.MemberCount(); ++i) {
        const TZipHeaderInfo& m = reader.Member(i);
        out << i << ' ' << m.Method << ' ' << m.CompressedSize << ' ' << m.UncompressedSize << ' ' << Hex8(m.Crc32)
            << ' ' << Hex8(m.ExternalAttributes) << ' ' << DosDateTimeText(m.DosDateTime) << ' ' << m.DirPart
            << m.NamePart << '\n';
    }
    return 0;
}

int Extract(TZipReader& reader, const std::string& destDir, std::ostream& out) {
    reader.SetDestDir(destDir);
    reader.RecreateDirs = true;
    reader.OverwriteMode = TOverwriteMode::Always;
    reader.DoAll = true;
    reader.FilesList.push_back("*.*");
    reader.IncompleteZipMode = TIncompleteZipMode::izAssumeBad;
    reader.RetainAttributes = true;
    reader.OnEndUnZip = [&out](TZipReader&, int index, const std::string& name) {
        out << "done " << index << ' ' << name << '\n';
    };
    reader.OnBadCRC = [&out](TZipReader&, std::uint32_t, std::uint32_t, int index) { out << "badcrc " << index << '\n'; };
    reader.OnUnsafeName = [&out](TZipReader&, int index, const std::string& name) {
        out << "refused " << index << ' ' << name << '\n';
    };
    reader.Extract();
    return 0;
}

int RunZip(const std::vector<std::string>& args, std::ostream& out) {
    bool list = args.size() == 2 && args[0] == "list";
    bool extract = args.size() == 3 && args[0] == "extract";
    if (!list && !extract) {
        std::cerr << "usage: setupcheck zip list ARCHIVE | setupcheck zip extract ARCHIVE DESTDIR\n";
        return 2;
    }
    // No box may wait for a person: texts go to standard error, questions are declined.
    TMessageRoute previous = SetMessageRoute([](const TMessageRequest& request) {
        std::cerr << "message " << request.Text << '\n';
        return static_cast<int>(kIdCancel);
    });
    int code = 1;
    try {
        TZipReader reader;
        reader.SetZipName(args[1]);
        code = list ? List(reader, out) : Extract(reader, args[2], out);
    } catch (const Exception& error) {
        out << "error " << error.ClassName() << ": " << error.what() << '\n';
    } catch (const std::exception& error) {
        out << "error Exception: " << error.what() << '\n';
    }
    out.flush();
    SetMessageRoute(std::move(previous));
    return code;
}

const TCommandRegistration kZip("zip", "zip list ARCHIVE | zip extract ARCHIVE DESTDIR", RunZip);

}  // namespace
}  // namespace kor::check
