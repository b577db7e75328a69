// Fuzz target for the description reader: any bytes must load or be refused without a fault,
// and a description without tree sections must survive a save and a reload byte for byte.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/InstIDF.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kor::TIDFTextFile file;
    if (!file.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
    std::string saved = file.SaveToBytes();
    kor::TIDFTextFile reread;
    if (!reread.LoadFromBytes(saved)) __builtin_trap();   // what we write we must read
    bool hasTree = false;
    for (int i = 0; i < file.SectionCount(); ++i) hasTree |= file.GetSection(i)->IsTree;
    if (!hasTree && reread.SaveToBytes() != saved) __builtin_trap();
    for (int i = 0; i < file.SectionCount(); ++i) {
        const kor::TIDFSection* section = file.GetSection(i);
        if (file.SectionByName(section->Name) == nullptr) __builtin_trap();
        for (int j = 0; j < section->ParamCount(); ++j)
            if (section->ParamByName(section->GetParam(j)->Name) == nullptr) __builtin_trap();
    }
    return 0;
}
