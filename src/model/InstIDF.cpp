// Reading and writing IDF text files. The file is read into memory in one go and split into
// lines the way the format defines them: a line ends at CR (a following LF belongs to the
// line end); a lone LF is an ordinary character.
#include "model/InstIDF.h"

#include <limits>

#include "app/LogFiles.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"

namespace kor {

namespace {

constexpr std::string_view kTreeSuffix = "]-tree";

char UpperAsciiChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

TIDFParamKind KindOfWord(std::string_view word) {
    std::string upper = UpperAscii(word);
    if (upper == "INTEGER") return pkInteger;
    if (upper == "BOOLEAN") return pkBoolean;
    if (upper == "DOUBLE") return pkDouble;
    if (upper == "BINARY") return pkBinary;
    return pkString;
}

// Splits a buffer into lines; Next returns false at the end (nothing read).
class TLineReader {
public:
    explicit TLineReader(std::string_view bytes) : bytes_(bytes) {}

    bool Next(std::string_view& line) {
        if (pos_ >= bytes_.size()) return false;
        std::size_t start = pos_;
        std::size_t end = bytes_.find('\r', pos_);
        if (end == std::string_view::npos) {
            end = bytes_.size();
            pos_ = end;
        } else {
            pos_ = end + 1;
            if (pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
        }
        line = TrimControl(bytes_.substr(start, end - start));
        return true;
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

bool IsValidHeader(std::string_view line) {
    std::string_view head = line.substr(0, 12);
    return head == "IDF-CPS-text" || head == "IDF-FPS-text";
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

std::string UpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = UpperAsciiChar(c);
    return result;
}

bool SameNameAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperAsciiChar(a[i]) != UpperAsciiChar(b[i])) return false;
    return true;
}

std::string_view TrimControl(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
    return text.substr(begin, end - begin);
}

std::int32_t StrToInt(std::string_view text) {
    auto fail = [&]() -> std::int32_t {
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    };
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return fail();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return fail();
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1) return fail();
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return fail();
    return static_cast<std::int32_t>(value);
}

// --- TIDFSection ---

TIDFParam* TIDFSection::GetParam(int index) const {
    if (index < 0 || index >= ParamCount()) return nullptr;
    return params_[static_cast<std::size_t>(index)].get();
}

TIDFParam* TIDFSection::AddParam(std::string name) {
    params_.push_back(std::make_unique<TIDFParam>(std::move(name)));
    return params_.back().get();
}

TIDFParam* TIDFSection::InsertParam(std::string name, int index) {
    if (index < 0 || index > ParamCount()) return nullptr;
    auto it = params_.insert(params_.begin() + index, std::make_unique<TIDFParam>(std::move(name)));
    return it->get();
}

void TIDFSection::DeleteParam(int index) {
    if (index < 0 || index >= ParamCount()) return;
    params_.erase(params_.begin() + index);
}

TIDFParam* TIDFSection::ParamByName(std::string_view name) const {
    for (const auto& param : params_)
        if (SameNameAsciiCase(param->Name, name)) return param.get();
    return nullptr;
}

void TIDFSection::ClearParams() {
    while (!params_.empty()) params_.pop_back();
}

// --- TIDFTextFile ---

TIDFSection* TIDFTextFile::SectionByName(std::string_view name) const {
    for (const auto& section : sections_)
        if (SameNameAsciiCase(section->Name, name)) return section.get();
    return nullptr;
}

TIDFSection* TIDFTextFile::AddSection(std::string name) {
    sections_.push_back(std::make_unique<TIDFSection>(std::move(name)));
    return sections_.back().get();
}

void TIDFTextFile::DeleteSection(int index) {
    if (index < 0 || index >= SectionCount()) return;
    sections_.erase(sections_.begin() + index);
}

void TIDFTextFile::DeleteSectionByName(std::string_view name) {
    for (auto it = sections_.begin(); it != sections_.end(); ++it)
        if ((*it)->Name == name) {
            sections_.erase(it);
            return;
        }
}

void TIDFTextFile::ClearSections() {
    while (!sections_.empty()) sections_.pop_back();
}

bool TIDFTextFile::LoadFromFile(const std::string& fileName) {
    Log(" Load IDF file " + fileName);
    if (!FileExists(fileName)) return false;
    std::string bytes;
    if (!ReadWholeFile(fileName, bytes)) return false;
    return LoadFromBytes(bytes);
}

bool TIDFTextFile::LoadFromBytes(std::string_view bytes) {
    TLineReader reader(bytes);
    std::string_view line;
    if (!reader.Next(line) || !IsValidHeader(line)) return false;
    if (!reader.Next(line) || !line.empty()) return false;

    ClearParams();
    ClearSections();

    TIDFSection* current = this;   // root parameters until the first header
    TIDFParamKind lastKind = pkString;
    while (reader.Next(line)) {
        if (line.empty() || StartsWith(line, "//")) continue;
        if (line.front() == '[' && line.size() >= 1 + kTreeSuffix.size() && EndsWith(line, kTreeSuffix)) {
            current = AddSection(std::string(line.substr(1, line.size() - 1 - kTreeSuffix.size())));
            current->IsTree = true;
            continue;
        }
        if (line.front() == '[' && line.size() >= 2 && line.back() == ']') {
            current = AddSection(std::string(line.substr(1, line.size() - 2)));
            continue;
        }
        std::size_t eq = line.find('=');
        TIDFParam* param = current->AddParam(std::string(line.substr(0, eq)));
        std::string_view value = eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
        if (current->IsTree) {
            std::size_t kindEnd = value.find('=');
            if (kindEnd != std::string_view::npos) {
                lastKind = KindOfWord(value.substr(0, kindEnd));
                value = value.substr(kindEnd + 1);
            }
            param->Kind = lastKind;
            if (lastKind == pkBoolean) {
                param->SetBoolean(UpperAscii(value) == "TRUE");
                continue;
            }
        }
        param->Value = std::string(value);
    }
    return true;
}

std::string TIDFTextFile::SaveToBytes() const {
    std::string out = ParamCount() > 0 ? "IDF-FPS-text\r\n\r\n" : "IDF-CPS-text\r\n\r\n";
    for (const auto& param : params_) out += param->Name + "=" + param->Value + "\r\n";
    for (const auto& section : sections_) {
        out += "[" + section->Name + (section->IsTree ? "]-tree\r\n" : "]\r\n");
        for (int i = 0; i < section->ParamCount(); ++i) {
            const TIDFParam* param = section->GetParam(i);
            if (param->Kind != pkBinary) out += param->Name + "=" + param->Value + "\r\n";
        }
    }
    return out;
}

bool TIDFTextFile::SaveToFile(const std::string& fileName) const {
    TFile file;
    if (!file.Open(fileName, TOpenMode::Create)) return false;
    std::string bytes = SaveToBytes();
    return file.Write(bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace kor
