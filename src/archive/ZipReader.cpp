// The ZIP reader: directory, recovery scan, multi-part archives and extraction. The container
// layout follows the ZIP application note; every length read from the archive is checked
// against what the file holds before it is used.
#include "archive/ZipReader.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/InstTool.h"
#include "archive/ZipDecoders.h"
#include "archive/ZipNames.h"
#include "model/InstIDF.h"
#include "platform/TextConv.h"

namespace kor {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034B50, kCentralSignature = 0x02014B50, kEndSignature = 0x06054B50;
constexpr std::size_t kEndRecordSize = 22, kCentralRecordSize = 46, kLocalHeaderSize = 30;
constexpr std::size_t kEndSearchWindow = 65528, kInputBlock = 16000;
// Physical reads and writes are larger than the logical blocks: a megabyte at a time.
constexpr std::size_t kReadBuffer = 1 << 20, kWriteBuffer = 1 << 20;
constexpr std::int64_t kScanCancelInterval = 10240, kExeScanStart = 14000;
constexpr int kLastPart = 65536;        // disk numbers are 16 bits
constexpr int kMaxDiskPrompts = 25;     // a spanned set gives up after this many wrong disks
constexpr unsigned kMbOkCancel = 0x1;
constexpr std::uint32_t kDirectoryAttribute = 0x10;
const char kOperationCanceled[] = "Операция прервана пользователем.";

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Get32(const std::uint8_t* p) { return Get16(p) | (static_cast<std::uint32_t>(Get16(p + 2)) << 16); }

// Out-of-range fields are pulled into range; an in-range value is kept bit for bit.
std::uint32_t ClampDosDateTime(std::uint32_t value) {
    unsigned second = (value & 0x1F) * 2, minute = (value >> 5) & 0x3F, hour = (value >> 11) & 0x1F;
    unsigned day = (value >> 16) & 0x1F, month = (value >> 21) & 0x0F, year = (value >> 25) + 1980;
    bool changed = false;
    auto clamp = [&changed](unsigned& field, bool out, unsigned to) {
        if (out) {
            field = to;
            changed = true;
        }
    };
    clamp(hour, hour > 23, 23);
    clamp(minute, minute > 59, 59);
    clamp(second, second > 59, 58);
    clamp(month, month == 0, 1);
    clamp(month, month > 12, 12);
    clamp(day, day == 0, 1);
    clamp(year, year > 2099, 2099);
    if (!changed) return value;
    std::uint32_t time = (hour << 11) | (minute << 5) | (second / 2);
    std::uint32_t date = ((year - 1980) << 9) | (month << 5) | day;
    return (date << 16) | time;
}

// The fields a local header and a central record share, in the same order, from "version
// needed" on (offset 4 of a local header, 6 of a central record).
void ReadSharedFields(TZipHeaderInfo& info, const std::uint8_t* p) {
    info.VersionNeeded = Get16(p);
    info.Flags = Get16(p + 2);
    info.Method = Get16(p + 4);
    info.DosDateTime = ClampDosDateTime(Get32(p + 6));
    info.Crc32 = Get32(p + 10);
    info.CompressedSize = Get32(p + 14);
    info.UncompressedSize = Get32(p + 18);
    info.FileNameLength = Get16(p + 22);
    info.ExtraLength = Get16(p + 24);
}

void SetMemberName(TZipHeaderInfo& info, const std::string& storedName) {
    std::string name = ConvertOemToAnsi(storedName);
    std::replace(name.begin(), name.end(), '/', '\\');
    std::string::size_type slash = name.rfind('\\');
    info.DirPart = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
    info.NamePart = slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

// --- TSortedZip -------------------------------------------------------------------------

void TSortedZip::Add(TZipHeaderInfo info) {
    auto [it, inserted] = members_.try_emplace(Key(info.DiskNumberStart, info.LocalHeaderOffset), std::move(info));
    if (!inserted) throw EListError("Duplicate Object index");
    indexStale_ = true;
}

TZipHeaderInfo* TSortedZip::Find(std::uint16_t disk, std::uint32_t offset) {
    auto it = members_.find(Key(disk, offset));
    return it == members_.end() ? nullptr : &it->second;
}

TZipHeaderInfo& TSortedZip::operator[](int index) {
    if (index < 0 || index >= Count()) throw EListError("Index " + std::to_string(index) + " is out of range");
    if (indexStale_) {
        byIndex_.clear();
        for (auto& [key, info] : members_) byIndex_.push_back(&info);
        indexStale_ = false;
    }
    return *byIndex_[static_cast<std::size_t>(index)];
}

void TSortedZip::Clear() {
    members_.clear();
    byIndex_.clear();
    indexStale_ = false;
}

// --- Member data in and out -------------------------------------------------------------

// The member's compressed data: blocks of at most 16000 bytes, never more than
// CompressedSize in all, with the cancellation check before each block.
class TZipReader::TMemberInput : public TCompressedInput {
public:
    TMemberInput(TZipReader& reader, std::uint32_t size) : reader_(reader), left_(size) {}
    std::size_t ReadBlock(std::uint8_t* buffer, std::size_t capacity) override {
        if (left_ == 0) return 0;
        reader_.CheckCanceled(kOperationCanceled);
        std::size_t wanted = std::min<std::size_t>({capacity, kInputBlock, left_});
        std::size_t got = reader_.ReadAcross(buffer, wanted);
        if (got < wanted) throw EFatalUnzipError("Premature end of file reached");
        left_ -= static_cast<std::uint32_t>(got);
        return got;
    }

private:
    TZipReader& reader_;
    std::uint32_t left_;
};

// The target file: output is cut at UncompressedSize, and each block updates the CRC and the
// progress of the whole extraction. Small blocks are gathered into the reader's write buffer;
// Flush must run before the file is closed, also when the member fails.
class TZipReader::TMemberOutput : public TDecodedOutput {
public:
    TMemberOutput(TZipReader& reader, TFile& file, std::uint32_t size)
        : reader_(reader), file_(file), buffer_(reader.writeBuffer_), left_(size) {}
    void Write(const std::uint8_t* data, std::size_t count) override {
        bool tooBig = count > left_;
        if (tooBig) count = left_;
        if (count > 0) {
            if (pending_ + count > kWriteBuffer) Flush();
            if (count >= kWriteBuffer / 2) {
                Flush();   // what is gathered comes first
                file_.WriteAll(std::string_view(reinterpret_cast<const char*>(data), count));
            } else {
                if (buffer_.size() < kWriteBuffer) buffer_.resize(kWriteBuffer);
                std::memcpy(buffer_.data() + pending_, data, count);
                pending_ += count;
            }
            crc_ = crc32(crc_, data, static_cast<uInt>(count));
            left_ -= static_cast<std::uint32_t>(count);
            reader_.bytesWritten_ += count;
            if (reader_.OnTotalPercentDone) {
                int percent = 0;
                if (reader_.totalToWrite_ > 0)
                    percent = static_cast<int>(std::min<double>(
                        100, std::round(static_cast<double>(reader_.bytesWritten_) * 100 / reader_.totalToWrite_)));
                reader_.OnTotalPercentDone(reader_, percent);
            }
        }
        if (tooBig) throw EBiggerThanUncompressed("File is larger than uncompressed size!");
    }
    void Flush() {
        std::size_t pending = pending_;
        pending_ = 0;
        if (pending > 0) file_.WriteAll(std::string_view(reinterpret_cast<const char*>(buffer_.data()), pending));
    }
    std::uint32_t Crc() const { return static_cast<std::uint32_t>(crc_); }

private:
    TZipReader& reader_;
    TFile& file_;
    std::vector<std::uint8_t>& buffer_;
    std::size_t pending_ = 0;
    std::uint32_t left_;
    uLong crc_ = crc32(0, nullptr, 0);
};

// --- Settings and state -----------------------------------------------------------------

TZipReader::TZipReader() = default;

TZipReader::~TZipReader() = default;

void TZipReader::SetZipName(const std::string& name) {
    if (SameNameAsciiCase(name, zipName_)) return;
    file_.Close();
    members_.Clear();
    endCentral_ = {};
    haveList_ = false;
    timeStamp_ = 0;
    multiMode_ = TMultiMode::None;
    currentDisk_ = 0;
    zipName_ = name;
}

void TZipReader::SetDestDir(const std::string& dir) {
    destDir_ = dir;
    if (destDir_.size() > 1 && (destDir_.back() == '\\' || destDir_.back() == PathDelimiter())) destDir_.pop_back();
}

void TZipReader::Clear() {
    file_.Close();
    members_.Clear();
    endCentral_ = {};
    haveList_ = false;
    zipName_.clear();
}

const TZipHeaderInfo& TZipReader::Member(int index) { return members_[index]; }

TLocalTime TZipReader::MemberDateTime(int index) {
    std::uint32_t value = Member(index).DosDateTime;
    TLocalTime time{static_cast<int>(value >> 25) + 1980, static_cast<int>((value >> 21) & 0x0F),
                    static_cast<int>((value >> 16) & 0x1F), static_cast<int>((value >> 11) & 0x1F),
                    static_cast<int>((value >> 5) & 0x3F), static_cast<int>(value & 0x1F) * 2, 0};
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = time.Year % 4 == 0 && (time.Year % 100 != 0 || time.Year % 400 == 0);
    bool valid = time.Month >= 1 && time.Month <= 12 && time.Day >= 1 &&
                 time.Day <= kDays[time.Month - 1] + (time.Month == 2 && leap ? 1 : 0) && time.Hour <= 23 &&
                 time.Minute <= 59 && time.Second <= 59;
    return valid ? time : CurrentLocalTime();
}

void TZipReader::CheckCanceled(const char* text) {
    if (DoProcessMessages && canceled_) {
        canceled_ = false;
        throw EUserCanceled(text);
    }
}

// --- Buffered reading -------------------------------------------------------------------

void TZipReader::SeekTo(std::int64_t position) {
    if (position >= bufferFilePos_ && position <= bufferFilePos_ + static_cast<std::int64_t>(bufferEnd_)) {
        bufferPos_ = static_cast<std::size_t>(position - bufferFilePos_);
        return;
    }
    bufferFilePos_ = position;
    bufferPos_ = bufferEnd_ = 0;
}

std::size_t TZipReader::ReadBuffered(void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        if (bufferPos_ == bufferEnd_) {
            bufferFilePos_ += static_cast<std::int64_t>(bufferEnd_);
            bufferPos_ = bufferEnd_ = 0;
            if (bufferFilePos_ < 0 || file_.Seek(bufferFilePos_, TSeekOrigin::Begin) != bufferFilePos_) break;
            if (count - done >= readBuffer_.size()) {   // large reads bypass the buffer
                std::size_t n = file_.Read(out + done, count - done);
                bufferFilePos_ += static_cast<std::int64_t>(n);
                done += n;
                if (n == 0) break;
                continue;
            }
            bufferEnd_ = file_.Read(readBuffer_.data(), readBuffer_.size());
            if (bufferEnd_ == 0) break;
        }
        std::size_t n = std::min(count - done, bufferEnd_ - bufferPos_);
        std::memcpy(out + done, readBuffer_.data() + bufferPos_, n);
        bufferPos_ += n;
        done += n;
    }
    return done;
}

int TZipReader::ReadByte() {
    if (bufferPos_ < bufferEnd_) return readBuffer_[bufferPos_++];
    std::uint8_t byte;
    return ReadBuffered(&byte, 1) == 1 ? byte : -1;
}

std::size_t TZipReader::ReadAcross(void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = ReadBuffered(out, count);
    while (done < count && multiMode_ != TMultiMode::None && currentDisk_ + 2 <= kLastPart) {
        FetchPart(currentDisk_ + 2);
        done += ReadBuffered(out + done, count - done);
    }
    return done;
}

void TZipReader::SkipAcross(std::uint32_t count) {
    if (multiMode_ == TMultiMode::None) {
        SeekTo(Position() + count);
        return;
    }
    std::uint8_t scratch[4096];
    while (count > 0) {
        std::size_t step = std::min<std::size_t>(count, sizeof scratch);
        if (ReadAcross(scratch, step) != step) return;
        count -= static_cast<std::uint32_t>(step);
    }
}

// --- Opening and parts ------------------------------------------------------------------

void TZipReader::OpenArchive() {
    if (file_.IsOpen()) return;
    file_ = TFile::OpenOrThrow(zipName_, TOpenMode::ReadDenyWrite);
    bufferFilePos_ = 0;
    bufferPos_ = bufferEnd_ = 0;
    FitReadBuffer();
}

// The read buffer grows to the largest file read, up to a megabyte: small archives (and the
// fuzzer's thousands of readers) never pay for a megabyte each.
void TZipReader::FitReadBuffer() {
    constexpr std::size_t kSmallest = 4096;
    std::int64_t size = file_.Size();
    std::size_t wanted = size <= static_cast<std::int64_t>(kSmallest) ? kSmallest
                         : static_cast<std::size_t>(std::min<std::int64_t>(size, kReadBuffer));
    if (readBuffer_.size() < wanted) readBuffer_.resize(wanted);
}

void TZipReader::CloseUnlessKept() {
    if (!KeepZipOpen) file_.Close();
}

void TZipReader::DefaultGetNextDisk(int nextDisk, std::string& fileName) {
    if (multiMode_ == TMultiMode::Spanned) {
        std::string text = "Please insert disk " + std::to_string(nextDisk) + " of the multi-disk set.";
        if (ShowPlainMessage(text, "", kMbOkCancel | kMbIconQuestion) != kIdOk) fileName.clear();
        return;
    }
    char number[16];
    std::snprintf(number, sizeof number, ".%3.3d", nextDisk);
    std::string::size_type dot = fileName.rfind('.');
    std::string::size_type slash = fileName.find_last_of("\\/:");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) fileName.erase(dot);
    fileName += number;
}

// Part numbers count from 1; part N holds disk N - 1. A missing part ends the operation: a
// split archive's part either exists or never will, and a spanned set stops asking after a
// number of wrong disks, so no handler can keep the reader asking forever.
void TZipReader::FetchPart(int partNumber) {
    file_.Close();
    bufferFilePos_ = 0;
    bufferPos_ = bufferEnd_ = 0;
    std::string name = zipName_;
    for (int attempt = 1;; ++attempt) {
        if (OnGetNextDisk) OnGetNextDisk(*this, partNumber, name);
        else DefaultGetNextDisk(partNumber, name);
        if (name.empty()) throw EUserCanceled("User canceled loading new disk.");
        bool rightDisk = true;
        if (multiMode_ == TMultiMode::Spanned && checkVolumeLabel_) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%3.3d", partNumber);
            std::string label = VolumeLabel(name[0]).substr(0, 11);
            rightDisk = label.size() >= std::strlen(suffix) && label.ends_with(suffix);
        }
        if (rightDisk && FileExists(name)) break;
        if (multiMode_ != TMultiMode::Spanned || attempt >= kMaxDiskPrompts) {
            if (!FileExists(name)) TFile::OpenOrThrow(name, TOpenMode::ReadDenyWrite);   // names the part
            throw EUserCanceled("User canceled loading new disk.");
        }
    }
    file_ = TFile::OpenOrThrow(name, TOpenMode::ReadDenyWrite);
    FitReadBuffer();
    currentDisk_ = partNumber - 1;
    timeStamp_ = file_.TimeStamp();
    zipName_ = name;
}

// --- Reading the directory --------------------------------------------------------------

void TZipReader::ReadDirectory() {
    canceled_ = false;
    try {
        LoadDirectory();
    } catch (...) {
        CloseUnlessKept();
        throw;
    }
    CloseUnlessKept();
}

void TZipReader::LoadDirectory() {
    OpenArchive();
    try {
        ReadDirectoryFromOpenFile();
    } catch (...) {
        // A list read halfway must not pass for the archive's list on the next call.
        members_.Clear();
        haveList_ = false;
        throw;
    }
}

bool TZipReader::FindEndRecord() {
    std::int64_t size = file_.Size();
    if (size < static_cast<std::int64_t>(kEndRecordSize)) return false;
    std::size_t window = static_cast<std::size_t>(std::min<std::int64_t>(size, kEndSearchWindow));
    std::vector<std::uint8_t> tail(window);
    SeekTo(size - static_cast<std::int64_t>(window));
    if (ReadBuffered(tail.data(), window) != window) return false;
    for (std::size_t i = window - kEndRecordSize + 1; i-- > 0;) {
        const std::uint8_t* p = tail.data() + i;
        if (p[0] != 'P' || Get32(p) != kEndSignature) continue;
        endCentral_.ThisDisk = Get16(p + 4);
        endCentral_.CentralStartDisk = Get16(p + 6);
        endCentral_.EntriesThisDisk = Get16(p + 8);
        endCentral_.TotalEntries = Get16(p + 10);
        endCentral_.CentralSize = Get32(p + 12);
        endCentral_.CentralOffset = Get32(p + 16);
        endCentral_.CommentLength = Get16(p + 20);
        commentOffset_ = size - endCentral_.CommentLength;
        return true;
    }
    return false;
}

void TZipReader::ReadDirectoryFromOpenFile() {
    std::int64_t stamp = file_.TimeStamp();
    if (haveList_ && stamp == timeStamp_) return;
    timeStamp_ = stamp;
    members_.Clear();
    haveList_ = false;
    scanned_ = false;
    endCentral_ = {};
    currentDisk_ = 0;
    multiMode_ = TMultiMode::None;

    if (FindEndRecord()) {
        currentDisk_ = endCentral_.ThisDisk;
        if (endCentral_.ThisDisk != 0) {
            bool driveLetter = zipName_.size() >= 2 && zipName_[1] == ':' &&
                               ((zipName_[0] >= 'A' && zipName_[0] <= 'Z') || (zipName_[0] >= 'a' && zipName_[0] <= 'z'));
            multiMode_ = driveLetter && IsRemovableDrive(zipName_[0]) ? TMultiMode::Spanned : TMultiMode::Split;
        }
        if (endCentral_.TotalEntries != 0) {
            if (multiMode_ != TMultiMode::None && endCentral_.CentralStartDisk != currentDisk_)
                FetchPart(endCentral_.CentralStartDisk + 1);
            SeekTo(endCentral_.CentralOffset);
            std::uint8_t signature[4];
            if (ReadBuffered(signature, 4) == 4 && Get32(signature) == kCentralSignature) {
                SeekTo(endCentral_.CentralOffset);
                ReadCentralDirectory(endCentral_.TotalEntries);
            } else {
                ScanLocalHeaders();
            }
        }
    } else {
        if (OnInCompleteZip) OnInCompleteZip(*this, IncompleteZipMode);
        if (IncompleteZipMode == TIncompleteZipMode::izAssumeMulti) {
            Clear();
            throw EIncompleteZip("Incomplete Zip File");
        }
        ScanLocalHeaders();
    }
    haveList_ = true;
}

// Builds the list from the local headers, then completes it from whatever central records
// follow them.
void TZipReader::ScanLocalHeaders() {
    std::string::size_type dot = zipName_.rfind('.');
    bool exe = dot != std::string::npos && zipName_.compare(dot, std::string::npos, ".EXE") == 0;
    SeekTo(exe ? kExeScanStart : 0);
    std::uint32_t last4 = 0;
    std::int64_t skipped = 0;
    bool found = false;
    for (int byte; (byte = ReadByte()) >= 0;) {
        last4 = (last4 >> 8) | (static_cast<std::uint32_t>(byte) << 24);
        if (++skipped >= 4 && last4 == kLocalSignature) {
            found = true;
            break;
        }
        if (skipped % kScanCancelInterval == 0) CheckCanceled("User Aborted Operation");
    }
    if (!found) {
        Clear();
        throw EBadZipFile("Not a valid zip file!");
    }

    std::int64_t position = Position() - 4;
    std::size_t count = 0;
    for (;;) {
        std::uint8_t h[kLocalHeaderSize];
        SeekTo(position);
        if (position > UINT32_MAX || ReadBuffered(h, sizeof h) != sizeof h || Get32(h) != kLocalSignature) break;
        TZipHeaderInfo info;
        info.VersionMadeBy = 0;
        ReadSharedFields(info, h + 4);
        info.InternalAttributes = 0;
        info.ExternalAttributes = 0;
        info.LocalHeaderOffset = static_cast<std::uint32_t>(position);
        std::string name(info.FileNameLength, '\0');
        if (ReadBuffered(name.data(), name.size()) != name.size()) break;
        SetMemberName(info, name);
        position += static_cast<std::int64_t>(kLocalHeaderSize) + info.FileNameLength + info.ExtraLength +
                    info.CompressedSize + ((info.Flags & 8) ? 16 : 0);
        members_.Add(std::move(info));
        ++count;
    }
    endCentral_ = {};
    endCentral_.CentralOffset = static_cast<std::uint32_t>(std::min<std::int64_t>(position, UINT32_MAX));
    endCentral_.TotalEntries = static_cast<std::uint16_t>(std::min<std::size_t>(count, UINT16_MAX));
    currentDisk_ = 0;
    scanned_ = true;
    SeekTo(position);
    ReadCentralDirectory(count);
}

bool TZipReader::ReadCentralRecord(TZipHeaderInfo& info) {
    std::int64_t start = Position();
    std::uint8_t r[kCentralRecordSize];
    if (ReadAcross(r, sizeof r) != sizeof r || Get32(r) != kCentralSignature) return false;
    info.VersionMadeBy = Get16(r + 4);
    ReadSharedFields(info, r + 6);
    info.CommentLength = Get16(r + 32);
    info.DiskNumberStart = Get16(r + 34);
    info.InternalAttributes = Get16(r + 36);
    info.ExternalAttributes = Get32(r + 38);
    info.LocalHeaderOffset = Get32(r + 42);
    info.CentralOffset = static_cast<std::uint32_t>(start);
    std::string name(info.FileNameLength, '\0');
    if (ReadAcross(name.data(), name.size()) != name.size()) return false;
    SetMemberName(info, name);
    // Old DOS archivers mark a directory by its attribute alone, without a trailing slash;
    // taken as a file, it would stand in the way of the members inside it.
    if ((info.ExternalAttributes & kDirectoryAttribute) && info.UncompressedSize == 0 && !info.NamePart.empty()) {
        info.DirPart += info.NamePart + "\\";
        info.NamePart.clear();
    }
    SkipAcross(static_cast<std::uint32_t>(info.ExtraLength) + info.CommentLength);
    return true;
}

void TZipReader::ReadCentralDirectory(std::size_t count) {
    for (std::size_t n = 0; n < count; ++n) {
        std::int64_t start = Position();
        int disk = currentDisk_;
        TZipHeaderInfo info;
        if (!ReadCentralRecord(info)) {
            if (scanned_) return;
            if (currentDisk_ == disk) SeekTo(start);
            info = TZipHeaderInfo{};   // key (0, 0): normally a duplicate of the first member
        }
        if (scanned_) {
            // Completes the member found by the scan; the local header's position stays.
            if (TZipHeaderInfo* member = members_.Find(info.DiskNumberStart, info.LocalHeaderOffset)) *member = info;
            continue;
        }
        members_.Add(std::move(info));
    }
}

// --- Extracting -------------------------------------------------------------------------

bool TZipReader::Matches(const TZipHeaderInfo& member) const {
    std::string name = AsciiLowerCase(member.DirPart + member.NamePart);
    for (const std::string& mask : FilesList)
        if (MatchesMask(name, AsciiLowerCase(mask))) return true;
    return false;
}

// Creates the directory with its parents unless it exists; an empty name is the current one.
void TZipReader::EnsureDirectory(const std::string& directory) {
    if (directory.empty() || DirectoryExists(SystemPath(directory))) return;
    if (!ForceDirectories(SystemPath(directory)))
        throw EFCreateError("Cannot create directory \"" + directory + "\". " + LastSystemErrorText());
}

int TZipReader::Extract() {
    canceled_ = false;
    int result = 0;
    try {
        LoadDirectory();
        EnsureDirectory(destDir_);
        totalToWrite_ = 0;
        for (int i = 0; i < members_.Count(); ++i) {
            TZipHeaderInfo& member = members_[i];
            member.Selected = DoAll;
            if ((!member.NamePart.empty() || RecreateDirs) && Matches(member)) member.Selected = true;
            if (member.Selected) {
                totalToWrite_ += member.UncompressedSize;
                ++result;
            }
        }
        bytesWritten_ = 0;
        for (int i = 0; i < members_.Count(); ++i) {
            TZipHeaderInfo& member = members_[i];
            if (member.Selected) ExtractMember(i, member, result);   // DoAll selected every one
        }
    } catch (...) {
        CloseUnlessKept();
        throw;
    }
    CloseUnlessKept();
    return result;
}

void TZipReader::ExtractMember(int index, TZipHeaderInfo& member, int& result) {
    std::string relativeDir = RecreateDirs ? StripRoot(member.DirPart) : std::string();
    if (!IsSafeRelativeName(relativeDir + member.NamePart)) {
        std::string name = member.DirPart + member.NamePart;
        Log(" refused member " + name + ": its name leads outside " + destDir_);
        if (OnUnsafeName) OnUnsafeName(*this, index, name);
        --result;
        return;
    }

    if (!member.NamePart.empty()) {
        if (multiMode_ != TMultiMode::None && currentDisk_ != member.DiskNumberStart)
            FetchPart(member.DiskNumberStart + 1);
        SeekTo(member.LocalHeaderOffset);
        std::uint8_t h[kLocalHeaderSize];
        if (ReadAcross(h, sizeof h) != sizeof h) throw EFatalUnzipError("Premature end of file reached");
        SkipAcross(static_cast<std::uint32_t>(Get16(h + 26)) + Get16(h + 28));
    }

    std::string directory = destDir_.empty() ? relativeDir : destDir_ + "\\" + relativeDir;
    EnsureDirectory(directory);
    if (member.NamePart.empty()) return;

    std::string target = SystemPath(directory + member.NamePart);
    if (member.Flags & 1) {   // encrypted, and no password is ever set
        --result;
        return;
    }
    if (OverwriteMode != TOverwriteMode::Always && FileExists(target)) {
        bool overwrite = false;
        if (OverwriteMode == TOverwriteMode::Prompt && OnPromptForOverwrite)
            OnPromptForOverwrite(*this, overwrite, index, target);
        if (!overwrite) return;
    }

    TFile file = TFile::OpenOrThrow(target, TOpenMode::Create);
    TMemberOutput output(*this, file, member.UncompressedSize);
    bool completed = true;
    try {
        TMemberInput input(*this, member.CompressedSize);
        switch (member.Method) {
        case 0: {
            std::uint8_t block[kInputBlock];
            for (std::size_t n; (n = input.ReadBlock(block, sizeof block)) > 0;) output.Write(block, n);
            break;
        }
        case 1: Unshrink(input, output); break;
        case 2: case 3: case 4: case 5: Unreduce(input, output, member.Method - 1, member.UncompressedSize); break;
        case 6: Explode(input, output, member.Flags, member.UncompressedSize); break;
        case 8: Inflate(input, output, member.UncompressedSize); break;
        default:
            ShowPlainMessage("Unknown Compression Method", "Zip Error", kMbIconError);
            completed = false;
            break;
        }
        output.Flush();
    } catch (const EBiggerThanUncompressed&) {
        output.Flush();   // the output stays cut at the stored size; the CRC check decides
    } catch (...) {
        // The member ends the extraction; what was decoded stays in the partial file.
        try {
            output.Flush();
        } catch (...) {
        }
        throw;
    }
    if (completed) file.SetDosDateTime(member.DosDateTime);
    file.Close();
    if (completed && RetainAttributes) SetFileAttributesTo(target, member.ExternalAttributes);

    if (output.Crc() != member.Crc32) {
        if (OnBadCRC) OnBadCRC(*this, output.Crc(), member.Crc32, index);
        RemoveFile(target);
        --result;
    } else if (OnEndUnZip) {
        OnEndUnZip(*this, index, target);
    }
}

}  // namespace kor
