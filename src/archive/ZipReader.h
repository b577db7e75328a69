// TZipReader: lists the members of a ZIP archive and extracts them into a destination
// directory, with progress, CRC and finished-member events. Reads only: single archives,
// archives behind a self-extractor prefix (through a scan of the local headers), and
// multi-part archives split into numbered files or spanned over removable disks. Member
// names that would land outside the destination are refused.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/LogFiles.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"

namespace kor {

KOR_DECLARE_ERROR(EBadZipFile, Exception);              // no local header found by the scan
KOR_DECLARE_ERROR(EIncompleteZip, Exception);           // no end record
KOR_DECLARE_ERROR(EUserCanceled, Exception);            // cancelled, or no next part named
KOR_DECLARE_ERROR(EFatalUnzipError, Exception);         // member data ends early
KOR_DECLARE_ERROR(EBiggerThanUncompressed, Exception);  // output beyond the stored size
KOR_DECLARE_ERROR(EListError, Exception);               // duplicate member key, bad index

enum class TOverwriteMode { Prompt, Always, Never };
enum class TIncompleteZipMode { izAssumeMulti, izAssumeBad };

// One member, from its central record or, during a recovery scan, its local header.
struct TZipHeaderInfo {
    std::uint16_t VersionMadeBy = 20;
    std::uint16_t VersionNeeded = 20;
    std::uint16_t Flags = 0;   // bit 0 encrypted, bit 3 sizes in a data descriptor
    std::uint16_t Method = 8;
    std::uint32_t DosDateTime = 0;   // date in the high word, time in the low word
    std::uint32_t Crc32 = 0xFFFFFFFF;
    std::uint32_t CompressedSize = 0;
    std::uint32_t UncompressedSize = 0;
    std::uint16_t FileNameLength = 0;
    std::uint16_t ExtraLength = 0;
    std::uint16_t CommentLength = 0;
    std::uint16_t DiskNumberStart = 0;
    std::uint16_t InternalAttributes = 1;
    std::uint32_t ExternalAttributes = 32;
    std::uint32_t LocalHeaderOffset = 0;
    std::uint32_t CentralOffset = 0;
    std::string NamePart;   // after the last "\"
    std::string DirPart;    // up to and including the last "\"
    bool Selected = false;
};

// The end-of-central-directory record.
struct TEndCentral {
    std::uint16_t ThisDisk = 0;
    std::uint16_t CentralStartDisk = 0;
    std::uint16_t EntriesThisDisk = 0;
    std::uint16_t TotalEntries = 0;
    std::uint32_t CentralSize = 0;
    std::uint32_t CentralOffset = 0;
    std::uint16_t CommentLength = 0;
};

// The members ordered by (DiskNumberStart, LocalHeaderOffset), the order of their data.
class TSortedZip {
public:
    // Throws EListError "Duplicate Object index" when the key is taken.
    void Add(TZipHeaderInfo info);
    // The member with this key, or null.
    TZipHeaderInfo* Find(std::uint16_t disk, std::uint32_t offset);
    int Count() const { return static_cast<int>(members_.size()); }
    // Throws EListError "Index %d is out of range".
    TZipHeaderInfo& operator[](int index);
    void Clear();

private:
    static std::uint64_t Key(std::uint16_t disk, std::uint32_t offset) {
        return (static_cast<std::uint64_t>(disk) << 32) | offset;
    }
    std::map<std::uint64_t, TZipHeaderInfo> members_;
    std::vector<TZipHeaderInfo*> byIndex_;   // not owned; rebuilt after a change
    bool indexStale_ = false;
};

class TZipReader {
public:
    TZipReader();
    virtual ~TZipReader();
    TZipReader(const TZipReader&) = delete;
    TZipReader& operator=(const TZipReader&) = delete;

    // Settings.
    const std::string& ZipName() const { return zipName_; }
    // A name different (ignoring letter case) from the current one discards the member list.
    void SetZipName(const std::string& name);
    const std::string& DestDir() const { return destDir_; }
    void SetDestDir(const std::string& dir);   // a trailing delimiter is dropped
    bool RecreateDirs = false;
    TOverwriteMode OverwriteMode = TOverwriteMode::Prompt;
    std::vector<std::string> FilesList;   // wildcard masks ("*", "?"; "*.*" matches every name)
    bool DoAll = false;
    TIncompleteZipMode IncompleteZipMode = TIncompleteZipMode::izAssumeMulti;
    bool KeepZipOpen = false;
    bool DoProcessMessages = true;
    bool RetainAttributes = true;

    // Events; empty by default.
    std::function<void(TZipReader& sender, int percent)> OnTotalPercentDone;
    std::function<void(TZipReader& sender, std::uint32_t calcCrc, std::uint32_t storedCrc, int fileIndex)> OnBadCRC;
    std::function<void(TZipReader& sender, int fileIndex, const std::string& fileName)> OnEndUnZip;
    std::function<void(TZipReader& sender, bool& overwriteIt, int fileIndex, std::string& fileName)>
        OnPromptForOverwrite;
    std::function<void(TZipReader& sender, TIncompleteZipMode& incompleteMode)> OnInCompleteZip;
    // Unassigned, the reader asks for a disk (spanned) or names the numbered part (split).
    std::function<void(TZipReader& sender, int nextDisk, std::string& fileName)> OnGetNextDisk;
    // A member whose name leads outside DestDir; it is not extracted and counts as failed.
    std::function<void(TZipReader& sender, int fileIndex, const std::string& memberName)> OnUnsafeName;

    void ReadDirectory();
    // Extracts what the settings select; returns the number of members it set out to extract
    // less those that failed (CRC, refused name, encrypted).
    int Extract();
    void Cancel() { canceled_ = true; }

    int MemberCount() const { return members_.Count(); }
    const TZipHeaderInfo& Member(int index);
    std::string MemberFileName(int index) { return Member(index).NamePart; }
    std::string MemberPathName(int index) { return Member(index).DirPart; }
    std::uint32_t MemberUncompressedSize(int index) { return Member(index).UncompressedSize; }
    std::uint32_t MemberAttributes(int index) { return Member(index).ExternalAttributes; }
    // Local time of the member; the current time when the stored date is no valid date.
    TLocalTime MemberDateTime(int index);
    const TEndCentral& EndCentral() const { return endCentral_; }

private:
    enum class TMultiMode { None, Spanned, Split };
    class TMemberInput;
    class TMemberOutput;

    void OpenArchive();
    void FitReadBuffer();
    void CloseUnlessKept();
    void Clear();
    void LoadDirectory();
    void ReadDirectoryFromOpenFile();
    bool FindEndRecord();
    void ScanLocalHeaders();
    bool ReadCentralRecord(TZipHeaderInfo& info);
    void ReadCentralDirectory(std::size_t count);
    void FetchPart(int partNumber);
    void DefaultGetNextDisk(int nextDisk, std::string& fileName);
    void CheckCanceled(const char* text);
    // Reads count bytes, going on to the next part of a multi-part archive; returns how many.
    std::size_t ReadAcross(void* buffer, std::size_t count);
    void SkipAcross(std::uint32_t count);
    void ExtractMember(int index, TZipHeaderInfo& member, int& result);
    void EnsureDirectory(const std::string& directory);
    void DecodeMember(TZipHeaderInfo& member, TMemberOutput& output);
    bool Matches(const TZipHeaderInfo& member) const;

    std::string zipName_;
    std::string destDir_;
    TSortedZip members_;
    TEndCentral endCentral_;
    std::int64_t commentOffset_ = 0;
    TFile file_;
    std::vector<std::uint8_t> readBuffer_;    // buffered reading of file_
    std::vector<std::uint8_t> writeBuffer_;   // gathers small output blocks
    std::size_t bufferPos_ = 0, bufferEnd_ = 0;
    std::int64_t bufferFilePos_ = 0;          // file position of readBuffer_[0]
    std::int64_t timeStamp_ = 0;
    bool haveList_ = false;
    int currentDisk_ = 0;
    TMultiMode multiMode_ = TMultiMode::None;
    bool canceled_ = false;
    bool scanned_ = false;
    std::uint64_t bytesWritten_ = 0, totalToWrite_ = 0;
    bool checkVolumeLabel_ = true;

    // Buffered reading.
    std::int64_t Position() const { return bufferFilePos_ + static_cast<std::int64_t>(bufferPos_); }
    void SeekTo(std::int64_t position);
    std::size_t ReadBuffered(void* buffer, std::size_t count);
    int ReadByte();
};

}  // namespace kor
