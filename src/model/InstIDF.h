// IDF text files: the one format of setup.idf, temp.inf, uninst.idf and uninst.inf.
// A file is an ordered list of root parameters and sections, each an ordered list of
// name/value parameters. Bytes are kept exactly as read; look-ups by name compare the
// letters a-z without regard to case and every other byte exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kor {

enum TIDFParamKind : std::uint8_t { pkString = 0, pkInteger = 1, pkBoolean = 2, pkDouble = 3, pkBinary = 4 };

// The text with the letters a-z upper-cased and every other byte kept: texts equal without
// regard to the case of a-z have equal results, so it also serves as a look-up key.
std::string UpperAscii(std::string_view text);
// Equality with the letters a-z compared without regard to case, all other bytes exactly.
bool SameNameAsciiCase(std::string_view a, std::string_view b);
// Trims bytes 0..32 at both ends.
std::string_view TrimControl(std::string_view text);
// Reads a decimal 32-bit integer: leading blanks and a sign allowed, nothing after the digits.
// Throws EConvertError otherwise.
std::int32_t StrToInt(std::string_view text);

class TIDFParam {
public:
    explicit TIDFParam(std::string name = {}) : Name(std::move(name)) {}

    std::string Name;
    TIDFParamKind Kind = pkString;
    std::string Value;

    const std::string& AsString() const { return Value; }
    std::int32_t AsInteger() const { return StrToInt(Value); }
    void SetString(std::string value) { Value = std::move(value); }
    void SetInteger(std::int32_t value) { Value = std::to_string(value); }
    void SetBoolean(bool value) { Value = value ? "1" : "0"; }
};

class TIDFSection {
public:
    explicit TIDFSection(std::string name = {}, bool isTree = false) : Name(std::move(name)), IsTree(isTree) {}
    virtual ~TIDFSection() = default;
    TIDFSection(const TIDFSection&) = delete;
    TIDFSection& operator=(const TIDFSection&) = delete;

    std::string Name;
    bool IsTree = false;

    int ParamCount() const { return static_cast<int>(params_.size()); }
    // Null when index is outside 0..ParamCount-1.
    TIDFParam* GetParam(int index) const;
    // Appends a new empty pkString parameter; never reuses one of the same name.
    TIDFParam* AddParam(std::string name);
    // Inserts at 0..ParamCount; null (nothing inserted) outside that range.
    TIDFParam* InsertParam(std::string name, int index);
    void DeleteParam(int index);
    // First parameter whose name matches (a-z without regard to case), or null.
    TIDFParam* ParamByName(std::string_view name) const;
    void ClearParams();

protected:
    std::vector<std::unique_ptr<TIDFParam>> params_;
};

class TIDFTextFile : public TIDFSection {
public:
    TIDFTextFile() = default;

    int SectionCount() const { return static_cast<int>(sections_.size()); }
    // The index must be within 0..SectionCount-1.
    TIDFSection* GetSection(int index) const { return sections_.at(static_cast<std::size_t>(index)).get(); }
    // First section whose name matches (a-z without regard to case), or null.
    TIDFSection* SectionByName(std::string_view name) const;
    // Appends a new plain section; never reuses one of the same name.
    TIDFSection* AddSection(std::string name);
    void DeleteSection(int index);
    // Deletes the first section whose name matches exactly, case included.
    void DeleteSectionByName(std::string_view name);
    void ClearSections();

    // Logs " Load IDF file <name>" and reads the file; false for a missing file or a bad
    // header, in which case the content is left as it was.
    bool LoadFromFile(const std::string& fileName);
    // Writes the file, replacing an existing one; false when it cannot be created or written.
    bool SaveToFile(const std::string& fileName) const;

    // The same reading and writing on bytes in memory (no log line).
    bool LoadFromBytes(std::string_view bytes);
    std::string SaveToBytes() const;

private:
    std::vector<std::unique_ptr<TIDFSection>> sections_;
};

}  // namespace kor
